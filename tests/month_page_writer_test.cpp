#include "site/month_page_writer.h"
#include "store/paths.h"
#include "store/textfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "qt_printers.h"

#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

MonthPageInput month(const QString& year, const QString& month) {
    MonthPageInput in;
    in.year = year;
    in.month = month;
    in.imageWidth = u"320"_s;
    in.imageHeight = u"240"_s;
    in.videoWidth = u"320"_s;
    in.videoHeight = u"256"_s;
    in.ftpHost = u"example.com"_s;
    in.remoteDir = u"www/diary"_s;
    return in;
}

void add(MonthPageInput& in, const QString& date, const QString& title, const QString& body = {},
         const QString& media = {}) {
    in.entries.rows[++in.entries.count] = DiaryEntry{title, body, date, media};
}

QString pageText(const MonthPageInput& in) {
    const RenderResult r = renderMonthPage(in);
    EXPECT_TRUE(r.outcome.ok()) << messageText(r.outcome).toStdString();
    return textfile::decodeWithReferences(r.page.bytes);
}

// Lines as the page ends them (CR LF); week rows keep their lone CRs.
QStringList pageLines(const MonthPageInput& in) {
    QStringList lines = pageText(in).split(u"\r\n"_s);
    EXPECT_EQ(lines.takeLast(), QString()) << "the page ends with CR LF";
    return lines;
}

QStringList weekRows(const QStringList& lines) {
    QStringList rows;
    for (const QString& l : lines) {
        if (l.startsWith(u"<tr class=\"cltr\">"_s))
            rows << l;
    }
    return rows;
}

// The seven cells of a week row.
QStringList cells(const QString& row) {
    QStringList parts = row.split(u'\r');
    parts.removeFirst(); // <tr class="cltr">
    EXPECT_TRUE(parts.last().endsWith(u"</tr>"_s));
    parts.last().chop(5);
    return parts;
}

QStringList between(const QStringList& lines, QStringView start, QStringView end) {
    const qsizetype a = lines.indexOf(start.toString());
    const qsizetype b = lines.indexOf(end.toString(), a + 1);
    EXPECT_GE(a, 0);
    EXPECT_GT(b, a);
    return lines.mid(a + 1, b - a - 1);
}

} // namespace

TEST(MonthPageWriterTest, November2005MatchesTheGoldenPageByteForByte) {
    MonthPageInput in = month(u"2005"_s, u"11"_s);
    in.siteTitle = u"私の日記"_s;
    in.links[0] = {u"10月"_s, u"200510"_s};
    in.links[1] = {QString(), u"x"_s};
    in.links[2] = {u"9月"_s, u"200509.htm"_s};
    add(in, u"2005年11月04日"_s, u"タイトル"_s, u"本文1\r\n本文2"_s, u"a.jpg;b.mp4;"_s);
    add(in, u"2005年11月23日"_s, u"二つ目"_s);
    const std::optional<QByteArray> golden = textfile::readFile(TSUZURI_TEST_DATA "/pages/200511.html"_L1);
    ASSERT_TRUE(golden);
    EXPECT_EQ(renderMonthPage(in).page.bytes, *golden);
}

TEST(MonthPageWriterTest, EmptyMonthHasAnEmptyLineInTheDiarySectionAndNoCalendarLinks) {
    const QStringList lines = pageLines(month(u"2005"_s, u"12"_s));
    EXPECT_EQ(between(lines, u"<!--ここから日記-->", u"<!--ここまで日記-->"), QStringList{QString()});
    EXPECT_EQ(between(lines, u"<!--ここからリンク-->", u"<!--ここまでリンク-->"), QStringList{});
    EXPECT_FALSE(pageText(month(u"2005"_s, u"12"_s)).contains(u"href=\"#name"_s));
    EXPECT_EQ(lines.last(), u"</html>"_s);
}

TEST(MonthPageWriterTest, FebruaryStartingOnSundayHasABlankFifthRowAndNoSixth) {
    const QStringList rows = weekRows(pageLines(month(u"2009"_s, u"02"_s)));
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(cells(rows[0])[0], u"<td id=\"i1\" class=sun>1</td>"_s);
    EXPECT_EQ(cells(rows[3])[6], u"<td id=\"i28\" class=\"sat\">28</td>"_s);
    EXPECT_EQ(cells(rows[4]), QStringList(7, u"<td>&nbsp;</td>"_s));
}

TEST(MonthPageWriterTest, SaturdayFirstDayWritesTheFirstRowAtOnceAndMakesSixRows) {
    const QStringList rows = weekRows(pageLines(month(u"2005"_s, u"10"_s)));
    ASSERT_EQ(rows.size(), 6);
    QStringList first(6, u"<td>&nbsp;</td>"_s);
    first << u"<td id=\"i1\" class=\"sat\">1</td>"_s;
    EXPECT_EQ(cells(rows[0]), first);
    EXPECT_EQ(cells(rows[5])[0], u"<td id=\"i30\" class=\"sun\">30</td>"_s);
    EXPECT_EQ(cells(rows[5])[1], u"<td id=\"i31\">31</td>"_s);
    EXPECT_EQ(cells(rows[5])[2], u"<td>&nbsp;</td>"_s);
}

TEST(MonthPageWriterTest, MonthEndingOnPosition35HasFiveRows) {
    // June 2007 starts on a Friday (position 6); its 30th day falls on position 35.
    const QStringList rows = weekRows(pageLines(month(u"2007"_s, u"06"_s)));
    ASSERT_EQ(rows.size(), 5);
    EXPECT_EQ(cells(rows[4])[6], u"<td id=\"i30\" class=\"sat\">30</td>"_s);
}

TEST(MonthPageWriterTest, LeapYearsFollowTheCenturyRule) {
    EXPECT_TRUE(pageText(month(u"2000"_s, u"02"_s)).contains(u"id=\"i29\""_s));
    EXPECT_TRUE(pageText(month(u"2004"_s, u"02"_s)).contains(u"id=\"i29\""_s));
    EXPECT_FALSE(pageText(month(u"2100"_s, u"02"_s)).contains(u"id=\"i29\""_s));
    EXPECT_FALSE(pageText(month(u"1900"_s, u"02"_s)).contains(u"id=\"i29\""_s));
}

TEST(MonthPageWriterTest, FirstDayFormsFollowWeekdayHolidayAndEntry) {
    // 1 January 2003 is a Wednesday holiday: the red font form, not the holiday class.
    MonthPageInput jan2003 = month(u"2003"_s, u"01"_s);
    QStringList row = cells(weekRows(pageLines(jan2003))[0]);
    EXPECT_EQ(row[3], u"<td id=\"i1\"><font color=FF0000>1</font></td>"_s);
    EXPECT_EQ(row[4], u"<td id=\"i2\">2</td>"_s);
    add(jan2003, u"2003年01月01日"_s, u"元日"_s);
    row = cells(weekRows(pageLines(jan2003))[0]);
    EXPECT_EQ(row[3], u"<td id=\"i1\"><font color=FF0000><a href=\"#name1\">1</a></font></td>"_s);

    // 1 January 2005 is a Saturday holiday; 1 March 2005 an ordinary Tuesday.
    EXPECT_EQ(cells(weekRows(pageLines(month(u"2005"_s, u"01"_s)))[0])[6], u"<td id=\"i1\" class=\"suk\">1</td>"_s);
    MonthPageInput mar2005 = month(u"2005"_s, u"03"_s);
    add(mar2005, u"2005年03月01日"_s, u"x"_s);
    EXPECT_EQ(cells(weekRows(pageLines(mar2005))[0])[2], u"<td id=\"i1\"><a href=\"#name1\">1</a></td>"_s);
    // A Sunday first day with an entry keeps the unquoted class.
    MonthPageInput jan2006 = month(u"2006"_s, u"01"_s);
    add(jan2006, u"2006年01月01日"_s, u"x"_s);
    EXPECT_EQ(cells(weekRows(pageLines(jan2006))[0])[0], u"<td id=\"i1\" class=sun><a href=\"#name1\">1</a></td>"_s);
}

TEST(MonthPageWriterTest, SundayHolidayMarksTheNextMondayAndAdvancesTheMondayCount) {
    // 1 January 2006 is a Sunday: 2 January is the substitute holiday, and 9 January (second Monday,
    // counting the substitute day) is 成人の日.
    const QStringList rows = weekRows(pageLines(month(u"2006"_s, u"01"_s)));
    EXPECT_EQ(cells(rows[0])[1], u"<td id=\"i2\" class=\"suk\">2</td>"_s);
    EXPECT_EQ(cells(rows[1])[1], u"<td id=\"i9\" class=\"suk\">9</td>"_s);
    EXPECT_EQ(cells(rows[2])[1], u"<td id=\"i16\">16</td>"_s);
    // 3 May 2009 is a Sunday: 4 May (a holiday anyway) is the substitute, 6 May is ordinary.
    const QStringList may = weekRows(pageLines(month(u"2009"_s, u"05"_s)));
    EXPECT_EQ(cells(may[1])[0], u"<td id=\"i3\" class=\"sun\">3</td>"_s);
    EXPECT_EQ(cells(may[1])[1], u"<td id=\"i4\" class=\"suk\">4</td>"_s);
    EXPECT_EQ(cells(may[1])[3], u"<td id=\"i6\">6</td>"_s);
    // A Saturday holiday takes the holiday class and no substitute follows.
    const QStringList nov2007 = weekRows(pageLines(month(u"2007"_s, u"11"_s)));
    EXPECT_EQ(cells(nov2007[0])[6], u"<td id=\"i3\" class=\"suk\">3</td>"_s);
    EXPECT_EQ(cells(nov2007[1])[0], u"<td id=\"i4\" class=\"sun\">4</td>"_s);
    EXPECT_EQ(cells(nov2007[1])[1], u"<td id=\"i5\">5</td>"_s);
}

TEST(MonthPageWriterTest, LawRulesChangeOnlyWhichDaysAreMarked) {
    MonthPageInput in = month(u"2026"_s, u"05"_s);
    in.holidays = HolidayRules::Law;
    const QStringList rows = weekRows(pageLines(in));
    // 3 May 2026 is a Sunday: under the law the substitute is 6 May (4 and 5 are holidays already).
    EXPECT_EQ(cells(rows[1])[3], u"<td id=\"i6\" class=\"suk\">6</td>"_s);
    in.holidays = HolidayRules::Classic;
    EXPECT_EQ(cells(weekRows(pageLines(in))[1])[3], u"<td id=\"i6\">6</td>"_s);
}

TEST(MonthPageWriterTest, EntryTestIsUntrimmedButBlockTestTrimsSpaces) {
    MonthPageInput in = month(u"2005"_s, u"11"_s);
    add(in, u"2005年11月04日"_s, u" "_s);
    add(in, u"2005年11月05日"_s, QString(), QString(), QString());
    const QString text = pageText(in);
    EXPECT_TRUE(text.contains(u"<td id=\"i4\"><a href=\"#name4\">4</a></td>"_s));
    EXPECT_FALSE(text.contains(u"<a name=name4>"_s));
    EXPECT_TRUE(text.contains(u"<td id=\"i5\" class=\"sat\">5</td>"_s));
    EXPECT_FALSE(text.contains(u"<a name=name5>"_s));
}

TEST(MonthPageWriterTest, BlocksAreNewestDayFirstAndBodiesCarryParagraphBreaks) {
    MonthPageInput in = month(u"2005"_s, u"11"_s);
    add(in, u"2005年11月20日"_s, u"later"_s, u"a\r\nb\r\n"_s);
    add(in, u"2005年11月02日"_s, u"earlier"_s, QString());
    add(in, u"2005年11月20日"_s, u"same day, later row"_s, u"one line"_s);
    const QStringList lines = pageLines(in);
    QStringList titles;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        if (lines[i] == u"<!--ここから日記タイトルを記述-->"_s)
            titles << lines[i + 1];
    }
    EXPECT_EQ(titles, (QStringList{u"same day, later row"_s, u"later"_s, u"earlier"_s}));
    QStringList bodies;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i] == u"<!--ここから日記本文を記述-->"_s)
            bodies << between(lines.mid(i), u"<!--ここから日記本文を記述-->", u"<!--ここまで日記本文を記述-->").join(u'|');
    }
    EXPECT_EQ(bodies, (QStringList{u"one line"_s, u"a</p><p>|b</p><p>|"_s, QString()}));
}

TEST(MonthPageWriterTest, RowsOfOtherMonthsOrMissingDaysAreNeitherLinkedNorWritten) {
    MonthPageInput in = month(u"2005"_s, u"11"_s);
    add(in, u"2005年10月04日"_s, u"october"_s);
    add(in, u"2005年11月31日"_s, u"no such day"_s);
    add(in, u"2005年11月4日"_s, u"not two digits"_s);
    const QString text = pageText(in);
    EXPECT_FALSE(text.contains(u"href=\"#name"_s));
    EXPECT_FALSE(text.contains(u"<a name=name"_s));
    // …but their media names still take part in the names check.
    in.entries.rows[1].media = u"a.jpg"_s;
    EXPECT_EQ(renderMonthPage(in).outcome.msg, Msg::MediaNamesUnterminated);
}

TEST(MonthPageWriterTest, MediaLinesFollowTheNamesAndSettings) {
    MonthPageInput in = month(u"2005"_s, u"11"_s);
    in.remoteDir = u"www/"_s;
    add(in, u"2005年11月04日"_s, u"t"_s, QString(), u"A.MP4;clip.mp4;"_s);
    QStringList media = between(pageLines(in), u"<!--ここから画像イメージ-->", u"<!--ここまで画像イメージ-->");
    ASSERT_EQ(media.size(), 2);
    EXPECT_EQ(media[0], u"<a href=\"image/A.MP4\" target=\"_blank\"><img class=\"limg\" src=\"image/A.MP4\" "
                        u"width=\"320px\" height=\"240px\"></a>"_s);
    EXPECT_TRUE(media[1].startsWith(u"<object "_s));
    EXPECT_TRUE(media[1].contains(u"value=\"http://example.com/www/image/clip.mp4\""_s));
    EXPECT_FALSE(media[1].contains(u"www//"_s));
    EXPECT_EQ(media[1].indexOf(u".mp4"_s), media[1].indexOf(u"clip.mp4"_s) + 4)
        << "the reader takes a video line's first .mp4 as the video's";

    in.originalSize = true;
    in.imageWidth.clear();
    media = between(pageLines(in), u"<!--ここから画像イメージ-->", u"<!--ここまで画像イメージ-->");
    EXPECT_EQ(media[0], u"<a href=\"image/A.MP4\" target=\"_blank\"><img class=\"limg\" src=\"image/A.MP4\"></a>"_s);
}

TEST(MonthPageWriterTest, EmptyMediaNamesNeverHideTheOthers) {
    MonthPageInput in = month(u"2005"_s, u"11"_s);
    add(in, u"2005年11月04日"_s, u"t"_s, QString(), u"a.jpg;;"_s);
    add(in, u"2005年11月05日"_s, u"u"_s, QString(), u";b.jpg; ;"_s);
    add(in, u"2005年11月06日"_s, QString(), QString(), u";;"_s);
    const QStringList lines = pageLines(in);
    QStringList media;
    for (qsizetype i = 0; i < lines.size(); ++i) {
        if (lines[i] == u"<!--ここから画像イメージ-->"_s)
            media << between(lines.mid(i), u"<!--ここから画像イメージ-->", u"<!--ここまで画像イメージ-->").join(u'|');
    }
    ASSERT_EQ(media.size(), 2) << "the entry holding only empty names has no block";
    EXPECT_TRUE(media[0].contains(u"src=\"image/b.jpg\""_s));
    EXPECT_FALSE(media[0].contains(u'|'));
    EXPECT_TRUE(media[1].contains(u"src=\"image/a.jpg\""_s));
    // …yet it is linked: the calendar's test is untrimmed.
    EXPECT_TRUE(pageText(in).contains(u"<a href=\"#name6\">6</a>"_s));
}

TEST(MonthPageWriterTest, LinkPathsAreCompletedAndReturned) {
    MonthPageInput in = month(u"2005"_s, u"11"_s);
    in.links[0] = {u"a"_s, u"200511"_s};
    in.links[1] = {u"b"_s, u"old.htm"_s};
    in.links[2] = {u"c"_s, QString()};
    in.links[3] = {QString(), u"skipped"_s};
    in.links[11] = {u"l"_s, u"x.html#top"_s};
    const RenderResult r = renderMonthPage(in);
    EXPECT_EQ(between(pageLines(in), u"<!--ここからリンク-->", u"<!--ここまでリンク-->"),
              (QStringList{u"<li><a href=\"200511.html\">a</a></li>"_s, u"<li><a href=\"old.htm\">b</a></li>"_s,
                           u"<li><a href=\".html\">c</a></li>"_s, u"<li><a href=\"x.html#top\">l</a></li>"_s}));
    EXPECT_EQ(r.page.links[0].path, u"200511.html"_s);
    EXPECT_EQ(r.page.links[2].path, u".html"_s);
    EXPECT_EQ(r.page.links[3].path, u"skipped"_s);
}

TEST(MonthPageWriterTest, TextOutsideCodePage932IsWrittenAsReferences) {
    MonthPageInput in = month(u"2005"_s, u"11"_s);
    in.siteTitle = u"旅😀〜"_s;
    add(in, u"2005年11月04日"_s, u"&#65;"_s, u"𠮷野家"_s);
    const QByteArray bytes = renderMonthPage(in).page.bytes;
    EXPECT_TRUE(bytes.contains("&#128512;&#12316;"));
    EXPECT_TRUE(bytes.contains("&#134071;"));
    EXPECT_TRUE(bytes.contains("\r\n&#65;\r\n"));
    EXPECT_FALSE(bytes.contains('?'));
}

TEST(MonthPageWriterTest, YearOrMonthThatNamesNoMonthIsAnError) {
    EXPECT_EQ(renderMonthPage(month(u"abcd"_s, u"11"_s)).outcome.msg, Msg::ErrorOccurred);
    EXPECT_EQ(renderMonthPage(month(u"2005"_s, u"13"_s)).outcome.msg, Msg::ErrorOccurred);
    // The years a month command can reach beyond the accepted range still write.
    EXPECT_TRUE(renderMonthPage(month(u"1899"_s, u"12"_s)).outcome.ok());
    EXPECT_TRUE(renderMonthPage(month(u"3000"_s, u"01"_s)).outcome.ok());
}

class MakeMonthHtmlTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir(home.path()).mkpath(u"diary"_s)); }
    QString page() const { return paths::monthPage(home.path(), u"diary"_s, u"2005", u"11"); }
    QTemporaryDir home;
};

TEST_F(MakeMonthHtmlTest, WritesThePageAndReturnsTheCompletedLinks) {
    MonthPageInput in = month(u"2005"_s, u"11"_s);
    in.links[0] = {u"a"_s, u"200510"_s};
    LinkPairs links;
    ASSERT_TRUE(MakeMonthHtml(home.path(), u"diary"_s, in, &links).ok());
    EXPECT_EQ(textfile::readFile(page()), renderMonthPage(in).page.bytes);
    EXPECT_EQ(links[0].path, u"200510.html"_s);
}

TEST_F(MakeMonthHtmlTest, UnterminatedMediaNamesLeaveTheOldPageUntouched) {
    ASSERT_TRUE(textfile::writeFileAtomically(page(), "old page").ok());
    MonthPageInput in = month(u"2005"_s, u"11"_s);
    add(in, u"2005年11月04日"_s, u"t"_s, QString(), u"a.jpg;b.jpg"_s);
    LinkPairs links;
    links[0].path = u"untouched"_s;
    EXPECT_EQ(MakeMonthHtml(home.path(), u"diary"_s, in, &links).msg, Msg::MediaNamesUnterminated);
    EXPECT_EQ(textfile::readFile(page()), QByteArray("old page"));
    EXPECT_EQ(links[0].path, u"untouched"_s);
}

TEST_F(MakeMonthHtmlTest, FailedWriteKeepsThePreviousPageWhole) {
    ASSERT_TRUE(textfile::writeFileAtomically(page(), "old page").ok());
    MonthPageInput in = month(u"2005"_s, u"11"_s);
    for (int d = 1; d <= 30; ++d)
        add(in, QString::asprintf("2005年11月%02d日", d), u"title"_s, QString(2000, u'本'));
    rlimit old{};
    getrlimit(RLIMIT_FSIZE, &old);
    const auto handler = signal(SIGXFSZ, SIG_IGN);
    rlimit small = old;
    small.rlim_cur = 4096;
    setrlimit(RLIMIT_FSIZE, &small);
    const Outcome o = MakeMonthHtml(home.path(), u"diary"_s, in);
    setrlimit(RLIMIT_FSIZE, &old);
    signal(SIGXFSZ, handler);
    EXPECT_EQ(o.msg, Msg::WriteFailed);
    EXPECT_EQ(textfile::readFile(page()), QByteArray("old page"));
}

TEST_F(MakeMonthHtmlTest, MissingDiaryFolderIsReported) {
    EXPECT_EQ(MakeMonthHtml(home.path(), u"nowhere"_s, month(u"2005"_s, u"11"_s)).msg, Msg::WriteFailed);
}
