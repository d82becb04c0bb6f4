#include "site/month_page_writer.h"
#include "site/page_format.h"
#include "site/snippets.h"
#include "store/textfile.h"

#include <QDir>
#include <QTemporaryDir>

#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

const QString kCrLf = u"\r\n"_s;

MonthPageInput november(const QString& title = {}, const QString& body = {}, const QString& media = {}) {
    MonthPageInput in;
    in.year = u"2005"_s;
    in.month = u"11"_s;
    in.siteTitle = u"綴"_s;
    if (!title.isEmpty())
        in.entries.rows[++in.entries.count] = DiaryEntry{title, body, u"2005年11月04日"_s, media};
    return in;
}

QString pageText(const MonthPageInput& in) {
    const RenderResult r = renderMonthPage(in);
    EXPECT_TRUE(r.outcome.ok());
    return textfile::decode(r.page.bytes);
}

} // namespace

TEST(Snippets, FixedTexts_ExactScriptBodyAndStylesheetLines) {
    EXPECT_EQ(scriptSnippet(), u"<script type=text/javascript src=calender.js></script>"_s);
    EXPECT_EQ(bodySnippet(), u"onload=\"datemark()\""_s);

    const QString css = stylesheetSnippet();
    ASSERT_TRUE(css.startsWith(u"\r\n/*ここからカレンダー関連*/\r\n"_s));
    ASSERT_TRUE(css.endsWith(u"\r\n/*ここまでカレンダー関連*/\r\n"_s));
    const QStringList lines = css.split(kCrLf);
    ASSERT_EQ(lines.size(), 60); // an empty first line, the 58 lines, nothing after the final break
    EXPECT_EQ(lines[5], u"  font-family: Times New Roman,MS 明朝;"_s);
    EXPECT_EQ(lines[50], u"  float:left;"_s);
    EXPECT_EQ(lines[56], u"  clear:left;"_s);
    // Every declaration line has its two spaces; braces stand alone or end a selector line.
    for (int i = 2; i <= 57; ++i) {
        const QString& l = lines[i];
        EXPECT_TRUE(l == u"}"_s || l.endsWith(u" {"_s) ||
                    (l.startsWith(u"  "_s) && !l.startsWith(u"   "_s) && l.endsWith(u';')))
            << i << ": " << l.toStdString();
    }
}

TEST(Snippets, BlocksOfAnEmptyMonth_CalendarCellsOnTheirOwnLinesAndTheDiaryAroundOneEmptyLine) {
    const QString page = pageText(november());
    const QString cal = cutBlock(page, marker::kCalendarStart, marker::kCalendarEnd);
    EXPECT_TRUE(cal.startsWith(kCrLf + marker::kCalendarStart.toString() + kCrLf + u"<table class=\"cltbl\">"_s));
    EXPECT_TRUE(cal.endsWith(u"</table>\r\n"_s + marker::kCalendarEnd.toString()));
    // The week rows' lone CRs are line ends here: no CR without its LF, every cell its own line.
    EXPECT_EQ(cal.count(u'\r'), cal.count(kCrLf));
    const QStringList lines = cal.split(kCrLf);
    EXPECT_TRUE(lines.contains(u"<tr class=\"cltr\">"_s));
    EXPECT_TRUE(lines.contains(u"<td id=\"i30\">30</td>"_s));
    EXPECT_TRUE(lines.contains(u"<td>&nbsp;</td></tr>"_s));
    EXPECT_EQ(lines.filter(u"<td id=\"i"_s).size(), 30);

    EXPECT_EQ(cutBlock(page, marker::kDiaryStart, marker::kDiaryEnd),
              kCrLf + marker::kDiaryStart.toString() + kCrLf + kCrLf + marker::kDiaryEnd.toString());
}

TEST(Snippets, CutBlock_AllBlocksOfAKindMarkersEqualTheLineStrayEndAddsOnlyItselfUnendedRunsToTheEnd) {
    const struct {
        QString page, block;
    } cases[] = {
        {u"x\r\n<!--ここまで日記-->\r\n<!--ここから日記-->\r\na\r\n<!--ここまで日記-->\r\ny\r\n"
         u"<!--ここから日記-->\nb\r<!--ここまで日記-->\r\n"_s,
         u"\r\n<!--ここまで日記-->\r\n<!--ここから日記-->\r\na\r\n<!--ここまで日記-->"
         u"\r\n<!--ここから日記-->\r\nb\r\n<!--ここまで日記-->"_s},
        {u" <!--ここから日記-->\r\nno\r\n<!--ここから日記-->x\r\nno\r\n<!--ここから日記-->\r\n"
         u"a\r\n <!--ここまで日記-->\r\nb"_s,
         u"\r\n<!--ここから日記-->\r\na\r\n <!--ここまで日記-->\r\nb"_s},
        {u"no markers\r\n"_s, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.page.toStdString());
        EXPECT_EQ(cutBlock(c.page, marker::kDiaryStart, marker::kDiaryEnd), c.block);
    }
}

TEST(Snippets, PageWithLfOrCrLineEnds_GivesTheSameBlocks) {
    const QString page = pageText(november(u"題"_s, u"一\r\n二"_s, u"a.jpg;"_s));
    const CodeSnippets expected = codeSnippets(page);
    EXPECT_TRUE(expected.diary.contains(u"\r\n一</p><p>\r\n二\r\n"_s));
    QString lf = page, cr = page;
    EXPECT_EQ(codeSnippets(lf.replace(kCrLf, u"\n"_s).replace(u'\r', u'\n')), expected);
    EXPECT_EQ(codeSnippets(cr.replace(kCrLf, u"\r"_s)), expected);
}

TEST(Snippets, FromTheFolder_CharactersCodePage932LacksStayReferencesAndNoOrUnreadablePageGivesFixedTextsOnly) {
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkdir(u"diary"_s));
    const auto read = [&] { return readCodeSnippets(home.path(), u"diary"_s, u"2005"_s, u"11"_s); };
    const CodeSnippets fixedOnly{{}, stylesheetSnippet(), bodySnippet(), scriptSnippet(), {}};
    EXPECT_TRUE(read().outcome.ok());
    EXPECT_EQ(read().snippets, fixedOnly);

    const MonthPageInput in = november(u"😀"_s, u"本文"_s);
    ASSERT_TRUE(MakeMonthHtml(home.path(), u"diary"_s, in).ok());
    const CodeSnippets s = FillCodeSnippets(home.path(), u"diary"_s, u"2005"_s, u"11"_s);
    EXPECT_TRUE(s.diary.contains(u"\r\n&#128512;\r\n"_s));
    EXPECT_EQ(s, codeSnippets(pageText(in)));

    ASSERT_TRUE(QDir(home.filePath(u"diary"_s)).remove(u"200511.html"_s));
    ASSERT_TRUE(QDir(home.path()).mkpath(u"diary/200511.html"_s));
    EXPECT_FALSE(read().outcome.ok());
    EXPECT_EQ(read().snippets, fixedOnly);
}
