#include "site/page_format.h"
#include "site/snippets.h"

#include <QDir>
#include <QTemporaryDir>

#include "month_pages.h"

using namespace Qt::StringLiterals;
using namespace tsuzuri;

// The week rows' lone CRs are line ends in the snippet: no CR without its LF.
TEST(Snippets, BlocksOfAnEmptyMonth_CalendarCellsOnTheirOwnLinesAndTheDiaryAroundOneEmptyLine) {
    const CodeSnippets s = codeSnippets(pageText(month(2005, 11)));
    const QString crLf = u"\r\n"_s;
    EXPECT_TRUE(s.calendar.startsWith(crLf + marker::kCalendarStart.toString() + u"\r\n<table class=\"cltbl\">"_s));
    EXPECT_TRUE(s.calendar.endsWith(u"</table>\r\n"_s + marker::kCalendarEnd.toString()));
    EXPECT_TRUE(s.calendar.contains(u"\r\n<td id=\"i30\">30</td>\r\n"_s));
    EXPECT_EQ(s.calendar.count(u'\r'), s.calendar.count(crLf));
    EXPECT_EQ(s.diary, crLf + marker::kDiaryStart.toString() + crLf + crLf + marker::kDiaryEnd.toString());
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

TEST(Snippets, FromTheFolder_CharactersCodePage932LacksStayReferencesAndNoOrUnreadablePageGivesFixedTextsOnly) {
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkdir(u"diary"_s));
    const auto read = [&] { return readCodeSnippets(home.path(), u"diary"_s, u"2005"_s, u"11"_s); };
    const CodeSnippets fixedOnly{{}, stylesheetSnippet(), bodySnippet(), scriptSnippet(), {}};
    EXPECT_TRUE(read().outcome.ok());
    EXPECT_EQ(read().snippets, fixedOnly);

    MonthPageInput in = month(2005, 11);
    add(in, 4, u"😀"_s, u"本文"_s);
    ASSERT_TRUE(writeMonthPage(home.path(), u"diary"_s, in).ok());
    const CodeSnippets s = codeSnippetsOfMonth(home.path(), u"diary"_s, u"2005"_s, u"11"_s);
    EXPECT_TRUE(s.diary.contains(u"\r\n&#128512;\r\n"_s));
    EXPECT_EQ(s, codeSnippets(pageText(in)));

    ASSERT_TRUE(QDir(home.filePath(u"diary"_s)).remove(u"200511.html"_s));
    ASSERT_TRUE(QDir(home.path()).mkpath(u"diary/200511.html"_s));
    EXPECT_FALSE(read().outcome.ok());
    EXPECT_EQ(read().snippets, fixedOnly);
}
