#include "site/month_page_writer.h"
#include "site/page_format.h"
#include "store/month_page_reader.h"
#include "store/paths.h"
#include "store/textfile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "page_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

const QString kPage = u"200511.html"_s;

MonthPageInput november() {
    MonthPageInput in;
    in.year = u"2005"_s;
    in.month = u"11"_s;
    in.siteTitle = u"綴の日記"_s;
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

// Three entries (written newest first: 05, 04, 02) and two links.
MonthPageInput sample() {
    MonthPageInput in = november();
    add(in, u"2005年11月02日"_s, u"写真"_s, u"公園へ"_s, u"x.jpg;y.mp4;"_s);
    add(in, u"2005年11月04日"_s, u"雨"_s, u"一行目\r\n二行目"_s);
    add(in, u"2005年11月05日"_s, u"晴れ"_s, u"最後に改行\r\n"_s);
    in.links[0] = {u"十月"_s, u"200510"_s};
    in.links[1] = {u"九月"_s, u"200509.html"_s};
    return in;
}

QByteArray render(const MonthPageInput& in) {
    const RenderResult r = renderMonthPage(in);
    EXPECT_TRUE(r.outcome.ok()) << messageText(r.outcome).toStdString();
    return r.page.bytes;
}

QString renderText(const MonthPageInput& in) {
    return textfile::decode(render(in));
}

MonthPageRead parse(const QString& pageText) {
    return parseMonthPage(textfile::encode(pageText), kPage);
}

// The page with every line that equals `line` replaced by `replacement` (CR LF lines; week rows untouched).
QString replaceLines(const QString& page, QStringView line, const QString& replacement) {
    QStringList lines = page.split(u"\r\n"_s);
    for (QString& l : lines) {
        if (l == line)
            l = replacement;
    }
    return lines.join(u"\r\n"_s);
}

const DiaryEntry& row(const MonthPageRead& r, int i) {
    return r.page.entries.rows[i];
}

} // namespace

// ---------------------------------------------------------------------------------------------------
// Pages as the writer makes them

TEST(MonthPageReader, WrittenPage_GivesEntriesNewestFirstWithTheirFields) {
    const MonthPageRead r = parseMonthPage(render(sample()), kPage);
    ASSERT_TRUE(r.outcome.ok());
    EXPECT_TRUE(r.exists);
    ASSERT_EQ(r.page.entries.count, 3);
    EXPECT_EQ(row(r, 0), DiaryEntry{});
    EXPECT_EQ(row(r, 1), (DiaryEntry{u"晴れ"_s, u"最後に改行\r\n"_s, u"2005年11月05日"_s, {}}));
    EXPECT_EQ(row(r, 2), (DiaryEntry{u"雨"_s, u"一行目\r\n二行目"_s, u"2005年11月04日"_s, {}}));
    EXPECT_EQ(row(r, 3), (DiaryEntry{u"写真"_s, u"公園へ"_s, u"2005年11月02日"_s, u"x.jpg;y.mp4;"_s}));
    EXPECT_EQ(row(r, 4), DiaryEntry{});
    EXPECT_EQ(r.page.siteTitle, u"綴の日記"_s);
}

TEST(MonthPageReader, TwoLinkLines_FillRowsZeroAndOneWithCompletedPaths) {
    const MonthPageRead r = parseMonthPage(render(sample()), kPage);
    EXPECT_EQ(r.page.links[0], (LinkPair{u"十月"_s, u"200510.html"_s}));
    EXPECT_EQ(r.page.links[1], (LinkPair{u"九月"_s, u"200509.html"_s}));
    for (int k = 2; k < 12; ++k)
        EXPECT_EQ(r.page.links[k], LinkPair{}) << k;
}

TEST(MonthPageReader, SiteTitle_FirstLineOnlyEmptyStaysEmptyAndNoMarkerGivesNothing) {
    MonthPageInput in = sample();
    in.siteTitle = u"一行目\r\n二行目"_s;
    EXPECT_EQ(parseMonthPage(render(in), kPage).page.siteTitle, u"一行目"_s);

    in.siteTitle.clear();
    EXPECT_EQ(parseMonthPage(render(in), kPage).page.siteTitle, QString());

    // No site-name line at all: nothing, so the window keeps its site title box as it is.
    const QString page = replaceLines(renderText(sample()), marker::kSiteName, u"<!-- -->"_s);
    EXPECT_EQ(parse(page).page.siteTitle, std::nullopt);

    // The marker begins the line: text after it does not matter.
    const QString tailed =
        replaceLines(renderText(sample()), marker::kSiteName, marker::kSiteName.toString() + u"xx"_s);
    EXPECT_EQ(parse(tailed).page.siteTitle, u"綴の日記"_s);

    // The marker as the page's last line has no title after it.
    EXPECT_EQ(parse(u"<html>\r\n"_s + marker::kSiteName.toString()).page.siteTitle, std::nullopt);
}

TEST(MonthPageReader, ThirtyOneEntries_ReadCompletely) {
    MonthPageInput in = november();
    in.month = u"12"_s;
    for (int d = 1; d <= 31; ++d)
        add(in, u"2005年12月%1日"_s.arg(d, 2, 10, QChar(u'0')), u"t%1"_s.arg(d), u"b\r\n%1"_s.arg(d),
            u"p%1.jpg;"_s.arg(d));
    const MonthPageRead r = parseMonthPage(render(in), u"200512.html"_s);
    ASSERT_TRUE(r.outcome.ok());
    ASSERT_EQ(r.page.entries.count, 31);
    for (int i = 1; i <= 31; ++i) {
        const int d = 32 - i;
        EXPECT_EQ(row(r, i), (DiaryEntry{u"t%1"_s.arg(d), u"b\r\n%1"_s.arg(d),
                                         u"2005年12月%1日"_s.arg(d, 2, 10, QChar(u'0')), u"p%1.jpg;"_s.arg(d)}));
    }
}

// ---------------------------------------------------------------------------------------------------
// Pages changed by hand, by an editor or by a transfer

TEST(MonthPageReaderHandEdited, SpacesBeforeTitleBodyAndDateMarkers_StillRecognised) {
    QString page = renderText(sample());
    for (const QStringView m : {marker::kTitleStart, marker::kTitleEnd, marker::kBodyStart, marker::kBodyEnd,
                                marker::kDateStart, marker::kDateEnd})
        page = replaceLines(page, m, u"  "_s + m.toString());
    const MonthPageRead r = parse(page);
    ASSERT_EQ(r.page.entries.count, 3);
    EXPECT_EQ(row(r, 2), (DiaryEntry{u"雨"_s, u"一行目\r\n二行目"_s, u"2005年11月04日"_s, {}}));
    EXPECT_EQ(row(r, 3).media, u"x.jpg;y.mp4;"_s);
}

TEST(MonthPageReaderHandEdited, SpacesBeforeMediaOrLinksStartMarker_SectionNotRecognised) {
    QString page = renderText(sample());
    page = replaceLines(page, marker::kMediaStart, u" "_s + marker::kMediaStart.toString());
    page = replaceLines(page, marker::kLinksStart, u" "_s + marker::kLinksStart.toString());
    const MonthPageRead r = parse(page);
    ASSERT_TRUE(r.outcome.ok());
    ASSERT_EQ(r.page.entries.count, 3);
    EXPECT_EQ(row(r, 3).media, QString());
    EXPECT_EQ(row(r, 3).title, u"写真"_s);
    EXPECT_EQ(r.page.links, LinkPairs{});
}

TEST(MonthPageReaderHandEdited, CrOnlyAndLfOnlyLineEnds_ReadLikeTheWrittenPage) {
    const QString page = renderText(sample());
    const MonthPageRead original = parse(page);
    ASSERT_EQ(original.page.entries.count, 3);
    QString crOnly = page;
    crOnly.replace(u"\r\n"_s, u"\r"_s);
    QString lfOnly = page;
    lfOnly.replace(u"\r\n"_s, u"\n"_s);
    lfOnly.replace(u"\r"_s, u"\n"_s); // the week rows' lone CRs too
    QString mixed = page;
    mixed.replace(u"</p><p>\r\n"_s, u"</p><p>\n"_s);
    for (const QString& edited : {crOnly, lfOnly, mixed}) {
        const MonthPageRead r = parse(edited);
        EXPECT_TRUE(r.outcome.ok());
        EXPECT_EQ(r.page, original.page);
    }
}

TEST(MonthPageReaderHandEdited, MissingEndMarkerAtEndOfFile_KeepsWhatWasReadAndSaysThePageIsIncomplete) {
    const QString page = renderText(sample());
    // Cut the page inside the second block's body: the first block is whole, the second never ends.
    const qsizetype cut = page.indexOf(u"二行目"_s) + 3;
    const MonthPageRead r = parse(page.left(cut));
    // Not an empty or short month to write over: the window keeps the page as it is.
    EXPECT_EQ(r.outcome.msg, Msg::PageIncomplete);
    EXPECT_EQ(r.outcome.args, QStringList{kPage});
    EXPECT_EQ(r.page.entries.count, 1);
    EXPECT_EQ(row(r, 1).title, u"晴れ"_s);
    // The unfinished entry lies beyond the count, where nothing walks.
    EXPECT_EQ(row(r, 2).body, u"一行目\r\n二行目"_s);
    EXPECT_EQ(r.page.links[0].title, u"十月"_s);
    EXPECT_EQ(r.page.siteTitle, u"綴の日記"_s);

    // A links section that never ends takes the lines up to the end of the page, twelve at most.
    QString links = u"<!--ここからリンク-->\r\n"_s;
    for (int k = 0; k < 14; ++k)
        links += u"<li><a href=\"p%1.html\">t%1</a></li>\r\n"_s.arg(k);
    const MonthPageRead l = parse(links);
    EXPECT_EQ(l.page.links[11], (LinkPair{u"t11"_s, u"p11.html"_s}));
    EXPECT_EQ(l.page.entries.count, 0);
    EXPECT_EQ(l.outcome.msg, Msg::PageIncomplete);

    // Cut between two whole blocks: nothing is half read, but the blocks after the cut are missing.
    const qsizetype between = page.indexOf(u"<hr>\r\n"_s) + 6;
    const MonthPageRead b = parse(page.left(between));
    EXPECT_EQ(b.page.entries.count, 1);
    EXPECT_EQ(b.outcome.msg, Msg::PageIncomplete);
}

TEST(MonthPageReaderHandEdited, PageOfAnotherMaking_IsNotTakenForAnEmptyMonth) {
    const MonthPageRead r = parse(u"<html><body>\r\n<p>my own page</p>\r\n</body></html>\r\n"_s);
    EXPECT_EQ(r.page.entries.count, 0);
    EXPECT_EQ(r.outcome.msg, Msg::PageIncomplete);
    EXPECT_TRUE(parse(u" \r\n"_s).outcome.ok()) << "an empty file holds nothing to lose";
}

TEST(MonthPageReaderHandEdited, TruncatedAtAnyByte_NeverMoreThanTheWholePage) {
    const QByteArray bytes = render(sample());
    const MonthPageRead whole = parseMonthPage(bytes, kPage);
    const QByteArray diaryEnd = textfile::encode(marker::kDiaryEnd);
    int previous = 0;
    for (qsizetype n = 0; n <= bytes.size(); ++n) {
        const MonthPageRead r = parseMonthPage(bytes.first(n), kPage);
        // Only a page that still reaches the diary's end marker (or holds nothing at all) reads as whole.
        ASSERT_EQ(r.outcome.ok(), bytes.first(n).contains(diaryEnd) || bytes.first(n).trimmed().isEmpty()) << n;
        ASSERT_GE(r.page.entries.count, previous) << n;
        ASSERT_LE(r.page.entries.count, 3) << n;
        for (int i = 1; i <= r.page.entries.count; ++i)
            ASSERT_EQ(row(r, i), row(whole, i)) << n;
        previous = r.page.entries.count;
    }
    EXPECT_EQ(previous, 3);
}

TEST(MonthPageReaderHandEdited, LinesWithoutTheWritersShape_AreSkipped) {
    QString page = renderText(sample());
    page = replaceLines(page, marker::kMediaEnd,
                        u"\r\n<a href=\"image/n.jpg\">no source</a>\r\n<img src=\"image/open.jpg>\r\n"
                        u"<object data=\"movie.mp4\">\r\n<object src=\"y.mp4\">\r\n<a src=\"image/\">\r\n"_s +
                            marker::kMediaEnd.toString());
    page = replaceLines(page, marker::kLinksEnd,
                        u"<li>plain</li>\r\n<li><a href=\"p.html\">no end</li>\r\n"
                        u"<li><a href=\"q.html\">八月</a></li>\r\n"_s +
                            marker::kLinksEnd.toString());
    const MonthPageRead r = parse(page);
    ASSERT_TRUE(r.outcome.ok());
    ASSERT_EQ(r.page.entries.count, 3);
    // Empty lines, image lines without a source or its closing quote, video lines without a "/" before
    // their ".mp4" and empty names add nothing, to any entry.
    EXPECT_EQ(row(r, 3).media, u"x.jpg;y.mp4;"_s);
    EXPECT_EQ(row(r, 1).media, QString());
    EXPECT_EQ(r.page.links[2], (LinkPair{u"八月"_s, u"q.html"_s}));
    EXPECT_EQ(r.page.links[3], LinkPair{});
}

TEST(MonthPageReaderHandEdited, MoreThanTwelveLinkLines_TheRestIgnored) {
    MonthPageInput in = sample();
    QString page = renderText(in);
    QString extra;
    for (int k = 0; k < 15; ++k)
        extra += u"<li><a href=\"p%1.html\">t%1</a></li>\r\n"_s.arg(k);
    page = replaceLines(page, marker::kLinksEnd, extra + marker::kLinksEnd.toString());
    const MonthPageRead r = parse(page);
    ASSERT_TRUE(r.outcome.ok());
    EXPECT_EQ(r.page.links[0].title, u"十月"_s);
    EXPECT_EQ(r.page.links[11], (LinkPair{u"t9"_s, u"p9.html"_s}));
    EXPECT_EQ(r.page.entries.count, 3);
}

TEST(MonthPageReaderHandEdited, BodyLineWithTextAfterParagraphBreak_DropsThatText) {
    QString page = renderText(sample());
    page.replace(u"一行目</p><p>"_s, u"一行目</p><p>消える"_s);
    EXPECT_EQ(row(parse(page), 2).body, u"一行目\r\n二行目"_s);
}

TEST(MonthPageReaderHandEdited, FieldsOutsideADateSection_GoToTheSameRowUntilADateEnds) {
    QString page = renderText(sample());
    // Without the newest block's date section, its fields are overwritten by the next block's.
    const qsizetype from = page.indexOf(marker::kDateStart.toString());
    const qsizetype to = page.indexOf(marker::kDateEnd.toString()) + marker::kDateEnd.size();
    page.remove(from, to - from);
    const MonthPageRead r = parse(page);
    ASSERT_EQ(r.page.entries.count, 2);
    EXPECT_EQ(row(r, 1), (DiaryEntry{u"雨"_s, u"最後に改行\r\n一行目\r\n二行目"_s, u"2005年11月04日"_s, {}}));
}

TEST(MonthPageReaderHandEdited, ThirtySecondBlock_FailsNamingThePageAndKeepsTheFirstThirtyOne) {
    MonthPageInput in = november();
    in.month = u"12"_s;
    for (int d = 1; d <= 31; ++d)
        add(in, u"2005年12月%1日"_s.arg(d, 2, 10, QChar(u'0')), u"t%1"_s.arg(d), u"b"_s);
    const QString page = renderText(in);
    // Another copy of the oldest block (day 1) before the diary end marker.
    const qsizetype start = page.indexOf(u"<a name=name1></a>"_s);
    const qsizetype end = page.indexOf(marker::kDiaryEnd.toString());
    ASSERT_GT(start, 0);
    const QString doubled = page.left(end) + page.mid(start, end - start) + page.mid(end);

    const MonthPageRead r = parseMonthPage(textfile::encode(doubled), u"200512.html"_s);
    EXPECT_EQ(r.outcome.msg, Msg::PageTooManyEntries);
    EXPECT_EQ(r.outcome.args, QStringList{u"200512.html"_s});
    EXPECT_EQ(r.page.entries.count, 31);
    EXPECT_EQ(row(r, 31).title, u"t1"_s);
    EXPECT_EQ(row(r, 1).title, u"t31"_s);

    // A 32nd block made only of an empty date section fails too, instead of counting a 32nd row.
    const QString emptyDate = page.left(end) + marker::kDateStart.toString() + u"\r\n"_s + marker::kDateEnd.toString() +
                              u"\r\n"_s + page.mid(end);
    const MonthPageRead e = parseMonthPage(textfile::encode(emptyDate), u"200512.html"_s);
    EXPECT_EQ(e.outcome.msg, Msg::PageTooManyEntries);
    EXPECT_EQ(e.page.entries.count, 31);
}

// ---------------------------------------------------------------------------------------------------
// Files

TEST(MonthPageReaderFile, MissingPage_IsAnEmptyMonthNotAnError) {
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkdir(u"diary"_s));
    const MonthPageRead r = readMonthPageFile(home.path(), u"diary"_s, u"2005"_s, u"11"_s);
    EXPECT_TRUE(r.outcome.ok());
    EXPECT_FALSE(r.exists);
    EXPECT_EQ(r.page, MonthPage{});
}

TEST(MonthPageReaderFile, PageOnDisk_ReadsBackWhatWasWritten) {
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkdir(u"diary"_s));
    ASSERT_TRUE(MakeMonthHtml(home.path(), u"diary"_s, sample()).ok());
    const MonthPageRead r = readMonthPageFile(home.path(), u"diary"_s, u"2005"_s, u"11"_s);
    EXPECT_TRUE(r.outcome.ok());
    EXPECT_TRUE(r.exists);
    EXPECT_EQ(r.page, parseMonthPage(render(sample()), kPage).page);
}

TEST(MonthPageReaderFile, UnreadablePage_FailsNamingThePage) {
    QTemporaryDir home;
    // A folder in the page's place exists but cannot be read as a page.
    ASSERT_TRUE(QDir(home.path()).mkpath(u"diary/200511.html"_s));
    const MonthPageRead r = readMonthPageFile(home.path(), u"diary"_s, u"2005"_s, u"11"_s);
    EXPECT_EQ(r.outcome.msg, Msg::PageUnreadable);
    EXPECT_EQ(r.outcome.args, QStringList{kPage});
    EXPECT_TRUE(r.exists);
}
