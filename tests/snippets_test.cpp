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

MonthPageInput november() {
    MonthPageInput in;
    in.year = u"2005"_s;
    in.month = u"11"_s;
    in.siteTitle = u"綴"_s;
    in.imageWidth = u"320"_s;
    in.imageHeight = u"240"_s;
    return in;
}

QByteArray render(const MonthPageInput& in) {
    const RenderResult r = renderMonthPage(in);
    EXPECT_TRUE(r.outcome.ok());
    return r.page.bytes;
}

const QString kCrLf = u"\r\n"_s;

} // namespace

TEST(Snippets, FixedTexts_ExactScriptBodyAndStylesheetLines) {
    EXPECT_EQ(scriptSnippet(), u"<script type=text/javascript src=calender.js></script>"_s);
    EXPECT_EQ(bodySnippet(), u"onload=\"datemark()\""_s);
    EXPECT_EQ(bodySnippet().size(), 19);

    const QString css = stylesheetSnippet();
    ASSERT_TRUE(css.startsWith(u"\r\n/*ここからカレンダー関連*/\r\n"_s));
    ASSERT_TRUE(css.endsWith(u"\r\n/*ここまでカレンダー関連*/\r\n"_s));
    EXPECT_FALSE(css.contains(u"\r\n\r\n"_s));
    const QStringList lines = css.split(kCrLf);
    ASSERT_EQ(lines.size(), 60); // an empty first line, the 58 lines, nothing after the final break
    EXPECT_EQ(lines[5], u"  font-family: Times New Roman,MS 明朝;"_s);
    EXPECT_EQ(lines[50], u"  float:left;"_s);
    EXPECT_EQ(lines[56], u"  clear:left;"_s);
    // Every declaration line has its two spaces; braces stand alone or end a selector line.
    for (int i = 2; i <= 57; ++i) {
        const QString& l = lines[i];
        if (l == u"}"_s)
            continue;
        EXPECT_TRUE(l.endsWith(u" {"_s) || (l.startsWith(u"  "_s) && !l.startsWith(u"   "_s) && l.endsWith(u';')))
            << i << ": " << l.toStdString();
    }
}

TEST(Snippets, CalendarBlock_EachCellOnItsOwnLineJoinedByCrLfWithoutFinalBreak) {
    const QString page = textfile::decode(render(november()));
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
}

TEST(Snippets, DiaryBlockOfEmptyMonth_BothMarkersAroundOneEmptyLine) {
    const QString page = textfile::decode(render(november()));
    EXPECT_EQ(cutBlock(page, marker::kDiaryStart, marker::kDiaryEnd),
              kCrLf + marker::kDiaryStart.toString() + kCrLf + kCrLf + marker::kDiaryEnd.toString());
}

TEST(Snippets, Blocks_AllOfAKindInPageOrderAndAStrayEndAddsOnlyItself) {
    const QString page = u"x\r\n<!--ここまで日記-->\r\n<!--ここから日記-->\r\na\r\n<!--ここまで日記-->\r\ny\r\n"
                         u"<!--ここから日記-->\nb\r<!--ここまで日記-->\r\n"_s;
    EXPECT_EQ(cutBlock(page, marker::kDiaryStart, marker::kDiaryEnd),
              u"\r\n<!--ここまで日記-->\r\n<!--ここから日記-->\r\na\r\n<!--ここまで日記-->"
              u"\r\n<!--ここから日記-->\r\nb\r\n<!--ここまで日記-->"_s);
}

TEST(Snippets, Blocks_MarkersMustEqualTheLineAndAnUnendedBlockRunsToTheEnd) {
    const QString page = u" <!--ここから日記-->\r\nno\r\n<!--ここから日記-->x\r\nno\r\n<!--ここから日記-->\r\n"
                         u"a\r\n <!--ここまで日記-->\r\nb"_s;
    EXPECT_EQ(cutBlock(page, marker::kDiaryStart, marker::kDiaryEnd),
              u"\r\n<!--ここから日記-->\r\na\r\n <!--ここまで日記-->\r\nb"_s);
    EXPECT_EQ(cutBlock(u"no markers\r\n"_s, marker::kDiaryStart, marker::kDiaryEnd), QString());
}

TEST(Snippets, PageWithLfOrCrLineEnds_GivesTheSameBlocks) {
    MonthPageInput in = november();
    in.entries.rows[1] = DiaryEntry{u"題"_s, u"一\r\n二"_s, u"2005年11月04日"_s, u"a.jpg;"_s};
    in.entries.count = 1;
    const QString page = textfile::decode(render(in));
    const CodeSnippets expected = codeSnippets(page);
    QString lf = page;
    lf.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
    QString cr = page;
    cr.replace(u"\r\n"_s, u"\r"_s);
    EXPECT_EQ(codeSnippets(lf), expected);
    EXPECT_EQ(codeSnippets(cr), expected);
    EXPECT_TRUE(expected.diary.contains(u"\r\n一</p><p>\r\n二\r\n"_s));
}

TEST(Snippets, CharactersCodePage932Lacks_StayReferencesInTheBlocks) {
    MonthPageInput in = november();
    in.entries.rows[1] = DiaryEntry{u"😀"_s, u"本文"_s, u"2005年11月04日"_s, {}};
    in.entries.count = 1;
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkdir(u"diary"_s));
    ASSERT_TRUE(MakeMonthHtml(home.path(), u"diary"_s, in).ok());
    const CodeSnippets s = FillCodeSnippets(home.path(), u"diary"_s, u"2005"_s, u"11"_s);
    EXPECT_TRUE(s.diary.contains(u"\r\n&#128512;\r\n"_s));
    EXPECT_TRUE(s.calendar.contains(u"<a href=\"#name4\">4</a>"_s));
    EXPECT_EQ(s.script, scriptSnippet());
    EXPECT_EQ(s.stylesheet, stylesheetSnippet());
}

TEST(Snippets, NoPageOrUnreadablePage_FixedTextsOnly) {
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkdir(u"diary"_s));
    const SnippetsRead none = readCodeSnippets(home.path(), u"diary"_s, u"2005"_s, u"11"_s);
    EXPECT_TRUE(none.outcome.ok());
    EXPECT_EQ(none.snippets, codeSnippets(std::nullopt));
    EXPECT_TRUE(none.snippets.calendar.isEmpty());
    EXPECT_TRUE(none.snippets.diary.isEmpty());
    EXPECT_EQ(none.snippets.body, bodySnippet());

    ASSERT_TRUE(QDir(home.path()).mkpath(u"diary/200511.html"_s));
    const SnippetsRead unreadable = readCodeSnippets(home.path(), u"diary"_s, u"2005"_s, u"11"_s);
    EXPECT_FALSE(unreadable.outcome.ok());
    EXPECT_EQ(unreadable.snippets, codeSnippets(std::nullopt));
}
