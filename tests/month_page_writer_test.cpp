#include "site/page_format.h"
#include "store/paths.h"

#include <QDate>
#include <QDir>
#include <QRegularExpression>
#include <QTemporaryDir>

#include <functional>

#include "file_size_limit.h"
#include "month_pages.h"

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

// The week rows as day numbers, "-" for a blank cell: "- - - - - - 1 / 2 3 …".
QString weekRows(const MonthPageInput& in) {
    static const QRegularExpression dayCell(u"<td id=\"i(\\d+)\".*?</td>"_s);
    QString rows = pageText(in).split(u"\r\n"_s).filter(u"<tr class=\"cltr\">"_s).join(u" / "_s);
    rows.replace(dayCell, u"\\1"_s).replace(u"<td>&nbsp;</td>"_s, u"-"_s).remove(u"<tr class=\"cltr\">\r"_s);
    return rows.remove(u"</tr>"_s).replace(u'\r', u' ');
}

// The calendar cell of a day, as written.
QString cellOf(const MonthPageInput& in, int day) {
    const QString text = pageText(in);
    const qsizetype from = text.indexOf(u"<td id=\"i%1\""_s.arg(day));
    return from < 0 ? QString() : text.mid(from, text.indexOf(u"</td>"_s, from) + 5 - from);
}

// The media lines of each block, newest first, every line followed by "|".
QStringList mediaSections(const MonthPageInput& in) {
    QStringList sections = pageText(in).split(marker::kMediaStart.toString() + u"\r\n"_s).mid(1);
    for (QString& s : sections)
        s = s.section(marker::kMediaEnd.toString(), 0, 0).replace(u"\r\n"_s, u"|"_s);
    return sections;
}

QString imageLine(const QString& name, const QString& size = u" width=\"320px\" height=\"240px\""_s) {
    return u"<a href=\"image/%1\" target=\"_blank\"><img class=\"limg\" src=\"image/%1\"%2></a>|"_s.arg(name, size);
}

} // namespace

TEST(MonthPageWriterTest, November2005MatchesTheGoldenPageByteForByte) {
    MonthPageInput in = month(2005, 11, u"私の日記"_s);
    in.links[0] = {u"10月"_s, u"200510"_s};
    in.links[1] = {QString(), u"x"_s};
    in.links[2] = {u"9月"_s, u"200509.htm"_s};
    add(in, 4, u"タイトル"_s, u"本文1\r\n本文2"_s, u"a.jpg;b.mp4;"_s);
    add(in, 23, u"二つ目"_s);
    EXPECT_EQ(textfile::readFile(TSUZURI_TEST_DATA "/pages/200511.html"_L1), renderMonthPage(in).page.bytes);
}

// A February that starts on a Sunday keeps a blank fifth row; 28 years hold every kind of year.
TEST(MonthPageWriterTest, WeekRows_EveryMonthStartsOnItsWeekdayInFiveOrSixRows) {
    QList<int> years{1899, 1900, 2100};
    for (int y = 2000; y <= 2028; ++y)
        years << y;
    for (const int y : years) {
        for (int m = 1; m <= 12; ++m) {
            const QDate first(y, m, 1);
            const int blanks = first.dayOfWeek() % 7;
            QStringList rows;
            for (int p = 0; p < std::max(35, (blanks + first.daysInMonth() + 6) / 7 * 7); p += 7) {
                QStringList days;
                for (int d = p - blanks + 1; d <= p - blanks + 7; ++d)
                    days << (d >= 1 && d <= first.daysInMonth() ? QString::number(d) : u"-"_s);
                rows << days.join(u' ');
            }
            ASSERT_EQ(weekRows(month(y, m)), rows.join(u" / "_s)) << y << '/' << m;
        }
    }
}

// The first day has forms of its own: a weekday holiday in red font, a Sunday's class unquoted.
TEST(MonthPageWriterTest, DayCellsFollowWeekdayHolidayAndEntry) {
    const struct {
        int year, month, day;
        bool entry;
        QString cell;
    } cases[] = {
        {2003, 1, 1, false, u"<td id=\"i1\"><font color=FF0000>1</font></td>"_s},
        {2005, 1, 1, false, u"<td id=\"i1\" class=\"suk\">1</td>"_s},
        {2005, 10, 1, false, u"<td id=\"i1\" class=\"sat\">1</td>"_s},
        {2005, 3, 1, true, u"<td id=\"i1\"><a href=\"#name1\">1</a></td>"_s},
        {2009, 2, 1, false, u"<td id=\"i1\" class=sun>1</td>"_s},
        {2009, 5, 3, false, u"<td id=\"i3\" class=\"sun\">3</td>"_s},
        {2007, 11, 3, false, u"<td id=\"i3\" class=\"suk\">3</td>"_s},
    };
    for (const auto& c : cases) {
        MonthPageInput in = month(c.year, c.month);
        in.holidays = HolidayRules::Classic;
        if (c.entry)
            add(in, c.day, u"x"_s);
        EXPECT_EQ(cellOf(in, c.day), c.cell) << c.year << '/' << c.month;
    }
    // Under the law, the default, the substitute for Sunday 3 May 2026 is 6 May (4 and 5 are holidays already).
    MonthPageInput may2026 = month(2026, 5);
    EXPECT_EQ(cellOf(may2026, 6), u"<td id=\"i6\" class=\"suk\">6</td>"_s);
    may2026.holidays = HolidayRules::Classic;
    EXPECT_EQ(cellOf(may2026, 6), u"<td id=\"i6\">6</td>"_s);
}

// Rows of other months or of days the month lacks are not written.
TEST(MonthPageWriterTest, CalendarLinksAnyTextButBlocksAndMediaLinesNeedTextNotEmptyAfterTrimming) {
    MonthPageInput in = month(2005, 11);
    add(in, 4, u" "_s);
    add(in, 5, QString());
    add(in, 6, QString(), QString(), u";;"_s);
    add(in, 7, u"t"_s, QString(), u"a.jpg;;"_s);
    add(in, 8, u"u"_s, QString(), u";b.jpg; ;"_s);
    add(in, u"2005年10月09日"_s, u"october"_s);
    add(in, u"2005年11月31日"_s, u"no such day"_s);
    add(in, u"2005年11月9日"_s, u"not two digits"_s);
    for (int d = 4; d <= 9; ++d)
        EXPECT_EQ(cellOf(in, d).contains(u"href=\"#name%1\""_s.arg(d)), d != 5 && d != 9) << d;
    EXPECT_EQ(pageText(in).count(u"<a name=name"_s), 2); // the blocks of the 8th and 7th
    EXPECT_EQ(mediaSections(in), (QStringList{imageLine(u"b.jpg"_s), imageLine(u"a.jpg"_s)}));
}

TEST(MonthPageWriterTest, MediaLinesFollowTheNamesAndSettings) {
    MonthPageInput in = month(2005, 11);
    in.remoteDir = u"www/"_s;
    add(in, 4, u"t"_s, QString(), u"A.MP4;clip.mp4;"_s);
    in.originalSize = true;
    EXPECT_TRUE(mediaSections(in).first().startsWith(imageLine(u"A.MP4"_s, {})));
    // An empty size leaves the attributes out, as the original size does.
    in.originalSize = false;
    in.imageHeight.clear();
    in.videoWidth.clear();
    const QString sizeless = mediaSections(in).first();
    EXPECT_TRUE(sizeless.startsWith(imageLine(u"A.MP4"_s, {}) + u"<object "_s));
    EXPECT_FALSE(sizeless.contains(u"width"_s));
    EXPECT_EQ(sizeless.count(u"\"http://example.com/www/image/clip.mp4\""_s), 2);
}

// Page names get ".html" (the round trips); addresses, mail links, anchors and folders stay as typed.
TEST(MonthPageWriterTest, LinkPathsThatAreNoPageNamesAreReturnedAsTyped) {
    MonthPageInput in = month(2005, 11);
    in.links[4] = {u"d"_s, u"https://example.com/a"_s};
    in.links[5] = {u"e"_s, u"mailto:me@example.jp"_s};
    in.links[6] = {u"f"_s, u"#top"_s};
    in.links[7] = {u"g"_s, u"../"_s};
    in.links[11] = {u"l"_s, u"x.html#top"_s};
    EXPECT_EQ(renderMonthPage(in).page.links, in.links);
}

// The title is the site title with its tags taken out and spaces trimmed, then the month.
TEST(MonthPageWriterTest, TitleIsThePlainSiteTitleAndTheMonth) {
    const std::pair<QString, QByteArray> cases[] = {
        {u"  <a href=\"../\"><b>A</b>&amp; B</a> "_s, "A&amp; B 2005\x94N11\x8c\x8e"},
        {u"<img src=\"x.png\">"_s, "2005\x94N11\x8c\x8e"},
        {u"a<b 😀"_s, "a<b &#128512; 2005\x94N11\x8c\x8e"},
    };
    for (const auto& [siteTitle, title] : cases)
        EXPECT_EQ(renderMonthPage(month(2005, 11, siteTitle)).page.bytes.split('\n').value(5),
                  "<title>" + title + "</title>\r");
}

TEST(MonthPageWriterTest, YearOrMonthThatNamesNoMonthIsAnErrorButTheYearsMonthCommandsReachStillWrite) {
    MonthPageInput abcd = month(2005, 11);
    abcd.year = u"abcd"_s;
    EXPECT_EQ(renderMonthPage(abcd).outcome.msg, Msg::ErrorOccurred);
    EXPECT_EQ(renderMonthPage(month(2005, 13)).outcome.msg, Msg::ErrorOccurred);
    EXPECT_TRUE(renderMonthPage(month(1899, 12)).outcome.ok());
    EXPECT_TRUE(renderMonthPage(month(3000, 1)).outcome.ok());
    // A day of two digits only: "1/" is no 9th, however the characters subtract.
    EXPECT_EQ(dayOfDate(u"2005年11月09日", u"2005"_s, u"11"_s), 9);
    EXPECT_EQ(dayOfDate(u"2005年11月1/日", u"2005"_s, u"11"_s), 0);
}

TEST(MonthPageWriterTest, TextThePageCannotCarry_IsRefusedNamingTheField) {
    const std::pair<std::function<void(MonthPageInput&)>, QString> cases[] = {
        {[](MonthPageInput& in) { in.siteTitle = u"綴\r\n日記"_s; }, u"サイトのタイトル"_s},
        {[](MonthPageInput& in) { in.links[2].title = u"十月\n"_s; }, u"リンク3の日本語名"_s},
        {[](MonthPageInput& in) { in.entries.rows[1].title = QString(QChar(0xD800)); }, u"2005年11月04日のタイトル"_s},
        {[](MonthPageInput& in) { in.entries.rows[1].body = u"一\n二\0"_s; }, u"2005年11月04日の本文"_s},
        {[](MonthPageInput& in) { in.entries.rows[1].date += u"\r\n"_s; }, u"日記の日付"_s},
        {[](MonthPageInput& in) { in.links[0].title = u"a"_s, in.links[0].path = u"p\">q"_s; },
         u"リンク1のファイル名"_s},
        {[](MonthPageInput& in) { in.entries.rows[1].media = u"a.jpg;\"b\".mp4.mp4;"_s; },
         u"2005年11月04日の画像ファイル名"_s},
        {[](MonthPageInput& in) { in.entries.rows[1].media = u"v.mp4;"_s, in.remoteDir = u"a.mp4"_s; },
         u"アップロード先"_s},
    };
    for (const auto& [spoil, field] : cases) {
        MonthPageInput in = month(2005, 11);
        add(in, 4, u"題"_s, u"本文"_s, u"a.jpg;"_s);
        spoil(in);
        const Outcome o = renderMonthPage(in).outcome;
        EXPECT_EQ(o.msg, Msg::TextNotWritable) << field.toStdString();
        EXPECT_EQ(o.args, QStringList{field});
    }
}

class MakeMonthHtmlTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir(home.path()).mkpath(u"diary"_s)); }
    QString page() const { return paths::monthPage(home.path(), u"diary"_s, u"2005", u"11"); }
    QTemporaryDir home;
    MonthPageInput in = month(2005, 11);
};

TEST_F(MakeMonthHtmlTest, WritesThePageAndReturnsTheCompletedLinks_UnwritableMonthOrMissingFolderTouchesNothing) {
    in.links[0] = {u"a"_s, u"200510"_s};
    add(in, 4, u"t"_s, QString(), u"a.jpg;b.jpg"_s);
    LinkPairs links;
    links[0].path = u"untouched"_s;
    EXPECT_EQ(writeMonthPage(home.path(), u"diary"_s, in, &links).msg, Msg::MediaNamesUnterminated);
    EXPECT_FALSE(QFile::exists(page()));
    EXPECT_EQ(links[0].path, u"untouched"_s);
    in.entries.rows[1].media += u';';
    ASSERT_TRUE(writeMonthPage(home.path(), u"diary"_s, in, &links).ok());
    EXPECT_EQ(textfile::readFile(page()), renderMonthPage(in).page.bytes);
    EXPECT_EQ(links[0].path, u"200510.html"_s);
    EXPECT_EQ(writeMonthPage(home.path(), u"nowhere"_s, in).msg, Msg::WriteFailed);
}

TEST_F(MakeMonthHtmlTest, FailedWriteKeepsThePreviousPageWhole) {
    ASSERT_TRUE(writeMonthPage(home.path(), u"diary"_s, in).ok());
    const std::optional<QByteArray> before = textfile::readFile(page());
    for (int d = 1; d <= 30; ++d)
        add(in, d, u"title"_s, QString(2000, u'本'));
    Outcome o;
    {
        FileSizeLimit limit(4096);
        o = writeMonthPage(home.path(), u"diary"_s, in);
    }
    EXPECT_EQ(o.msg, Msg::WriteFailed);
    EXPECT_EQ(textfile::readFile(page()), before);
}

TEST_F(MakeMonthHtmlTest, PageThatDoesNotReadWhole_IsNeverWrittenOver) {
    ASSERT_TRUE(textfile::writeFileAtomically(page(), "<html>my own page</html>").ok());
    EXPECT_EQ(writeMonthPage(home.path(), u"diary"_s, in).msg, Msg::PageIncomplete);
    EXPECT_EQ(textfile::readFile(page()), QByteArray("<html>my own page</html>"));
}
