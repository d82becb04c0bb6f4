#include "site/month_page_writer.h"
#include "site/page_format.h"
#include "site/month_page_reader.h"
#include "store/textfile.h"

#include "diary/messages.h"

#include <QDir>
#include <QTemporaryDir>

#include "page_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

const QString kPage = u"200511.html"_s;

void add(MonthPageInput& in, const QString& date, const QString& title, const QString& body = {},
         const QString& media = {}) {
    in.entries.rows[++in.entries.count] = DiaryEntry{title, body, date, media};
}

MonthPageInput month(const QString& month) {
    MonthPageInput in;
    in.year = u"2005"_s;
    in.month = month;
    in.siteTitle = u"綴の日記"_s;
    return in;
}

// Three entries (written newest first: 05, 04, 02) and two links.
MonthPageInput sample() {
    MonthPageInput in = month(u"11"_s);
    add(in, u"2005年11月02日"_s, u"写真"_s, u"公園へ"_s, u"x.jpg;y.mp4;"_s);
    add(in, u"2005年11月04日"_s, u"雨"_s, u"一行目\r\n二行目"_s);
    add(in, u"2005年11月05日"_s, u"晴れ"_s, u"最後に改行\r\n"_s);
    in.links[0] = {u"十月"_s, u"200510"_s};
    in.links[1] = {u"九月"_s, u"200509.html"_s};
    return in;
}

// December with an entry on every day, written newest first.
MonthPageInput fullDecember() {
    MonthPageInput in = month(u"12"_s);
    for (int d = 1; d <= 31; ++d)
        add(in, u"2005年12月%1日"_s.arg(d, 2, 10, QChar(u'0')), u"t%1"_s.arg(d), u"b\r\n%1"_s.arg(d),
            u"p%1.jpg;"_s.arg(d));
    return in;
}

QString renderText(const MonthPageInput& in) {
    const RenderResult r = renderMonthPage(in);
    EXPECT_TRUE(r.outcome.ok()) << messageText(r.outcome).toStdString();
    return textfile::decode(r.page.bytes);
}

MonthPageRead parse(const QString& pageText, const QString& name = kPage) {
    return parseMonthPage(textfile::encode(pageText), name);
}

// The page with every CR LF line that equals `line` replaced (the week rows' lone CRs stay inside lines).
QString replaceLines(const QString& page, QStringView line, const QString& replacement) {
    QStringList lines = page.split(u"\r\n"_s);
    std::replace(lines.begin(), lines.end(), line.toString(), replacement);
    return lines.join(u"\r\n"_s);
}

const DiaryEntry& row(const MonthPageRead& r, int i) {
    return r.page.entries.rows[i];
}

const DiaryEntry kRain{u"雨"_s, u"一行目\r\n二行目"_s, u"2005年11月04日"_s, {}};

} // namespace

TEST(MonthPageReader, WrittenPage_GivesEntriesNewestFirstAndLinksWithCompletedPaths) {
    const MonthPageRead r = parse(renderText(sample()));
    ASSERT_TRUE(r.outcome.ok());
    EXPECT_TRUE(r.exists);
    ASSERT_EQ(r.page.entries.count, 3);
    const MonthPageInput given = sample();
    for (int i = 0; i <= 4; ++i)
        EXPECT_EQ(row(r, i), i == 0 || i == 4 ? DiaryEntry{} : given.entries.rows[4 - i]) << i;
    EXPECT_EQ(r.page.siteTitle, u"綴の日記"_s);
    LinkPairs links{};
    links[0] = {u"十月"_s, u"200510.html"_s};
    links[1] = {u"九月"_s, u"200509.html"_s};
    EXPECT_EQ(r.page.links, links);
}

TEST(MonthPageReader, SiteTitle_FirstLineOnlyEmptyStaysEmptyAndNoMarkerGivesNothing) {
    MonthPageInput in = sample();
    in.siteTitle = u"一行目\r\n二行目"_s;
    EXPECT_EQ(parse(renderText(in)).page.siteTitle, u"一行目"_s);
    in.siteTitle.clear();
    EXPECT_EQ(parse(renderText(in)).page.siteTitle, QString());

    // Nothing, so the window keeps its site title box as it is.
    const QString page = renderText(sample());
    EXPECT_EQ(parse(replaceLines(page, marker::kSiteName, u"<!-- -->"_s)).page.siteTitle, std::nullopt);
    EXPECT_EQ(parse(u"<html>\r\n"_s + marker::kSiteName.toString()).page.siteTitle, std::nullopt);
    // The marker begins the line: text after it does not matter.
    const QString tailed = replaceLines(page, marker::kSiteName, marker::kSiteName.toString() + u"xx"_s);
    EXPECT_EQ(parse(tailed).page.siteTitle, u"綴の日記"_s);
}

TEST(MonthPageReaderHandEdited, SpacesBeforeMarkers_FieldMarkersRecognisedMediaAndLinksStartsNot) {
    QString page = renderText(sample());
    for (const QStringView m : {marker::kTitleStart, marker::kTitleEnd, marker::kBodyStart, marker::kBodyEnd,
                                marker::kDateStart, marker::kDateEnd, marker::kMediaStart, marker::kLinksStart})
        page = replaceLines(page, m, u"  "_s + m.toString());
    const MonthPageRead r = parse(page);
    ASSERT_TRUE(r.outcome.ok());
    ASSERT_EQ(r.page.entries.count, 3);
    EXPECT_EQ(row(r, 2), kRain);
    EXPECT_EQ(row(r, 3), (DiaryEntry{u"写真"_s, u"公園へ"_s, u"2005年11月02日"_s, {}}));
    EXPECT_EQ(r.page.links, LinkPairs{});
}

TEST(MonthPageReaderHandEdited, CrOnlyLfOnlyAndMixedLineEnds_ReadLikeTheWrittenPage) {
    const QString page = renderText(sample());
    const MonthPageRead original = parse(page);
    ASSERT_EQ(original.page.entries.count, 3);
    QString crOnly = page, lfOnly = page, mixed = page;
    crOnly.replace(u"\r\n"_s, u"\r"_s);
    lfOnly.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
    mixed.replace(u"</p><p>\r\n"_s, u"</p><p>\n"_s);
    for (const QString& edited : {crOnly, lfOnly, mixed}) {
        const MonthPageRead r = parse(edited);
        EXPECT_TRUE(r.outcome.ok());
        EXPECT_EQ(r.page, original.page);
    }
}

TEST(MonthPageReaderHandEdited, MissingEndMarkerAtEndOfFile_KeepsWhatWasReadAndSaysThePageIsIncomplete) {
    const QString page = renderText(sample());
    // Cut inside the second block's body: not an empty or short month to write over.
    const MonthPageRead r = parse(page.left(page.indexOf(u"二行目"_s) + 3));
    EXPECT_EQ(r.outcome.msg, Msg::PageIncomplete);
    EXPECT_EQ(r.outcome.args, QStringList{kPage});
    EXPECT_EQ(r.page.entries.count, 1);
    EXPECT_EQ(r.page.links[0].title, u"十月"_s);
    EXPECT_EQ(r.page.siteTitle, u"綴の日記"_s);
}

TEST(MonthPageReaderHandEdited, PageOfAnotherMaking_IsNotTakenForAnEmptyMonth) {
    const MonthPageRead r = parse(u"<html><body>\r\n<p>my own page</p>\r\n</body></html>\r\n"_s);
    EXPECT_EQ(r.page.entries.count, 0);
    EXPECT_EQ(r.outcome.msg, Msg::PageIncomplete);
    EXPECT_TRUE(parse(u" \r\n"_s).outcome.ok()) << "an empty file holds nothing to lose";
}

TEST(MonthPageReaderHandEdited, TruncatedAtAnyByte_NeverMoreThanTheWholePage) {
    const QByteArray bytes = textfile::encode(renderText(sample()));
    const MonthPageRead all = parseMonthPage(bytes, kPage);
    const QByteArray diaryEnd = textfile::encode(marker::kDiaryEnd);
    int previous = 0;
    for (qsizetype n = 0; n <= bytes.size(); ++n) {
        const QByteArray cut = bytes.first(n);
        const MonthPageRead r = parseMonthPage(cut, kPage);
        // Only a page that still reaches the diary's end marker (or holds nothing at all) reads as whole.
        const bool whole = cut.contains(diaryEnd) || cut.trimmed().isEmpty();
        ASSERT_EQ(r.outcome.msg, whole ? Msg::None : Msg::PageIncomplete) << n;
        ASSERT_GE(r.page.entries.count, previous) << n;
        ASSERT_LE(r.page.entries.count, 3) << n;
        for (int i = 1; i <= r.page.entries.count; ++i)
            ASSERT_EQ(row(r, i), row(all, i)) << n;
        previous = r.page.entries.count;
    }
    EXPECT_EQ(previous, 3);
}

TEST(MonthPageReaderHandEdited, MisshapenLinesTextAfterAParagraphBreakAndLinksPastTheTwelfth_AddNothing) {
    QString page = renderText(sample());
    page = replaceLines(page, marker::kMediaEnd,
                        u"\r\n<a href=\"image/n.jpg\">no source</a>\r\n<img src=\"image/open.jpg>\r\n"
                        u"<object data=\"movie.mp4\">\r\n<object src=\"y.mp4\">\r\n<a src=\"image/\">\r\n"_s +
                            marker::kMediaEnd.toString());
    QString links =
        u"<li>plain</li>\r\n<li><a href=\"p.html\">no end</li>\r\n<li><a href=\"q.html\">八月</a></li>\r\n"_s;
    for (int k = 0; k < 15; ++k)
        links += u"<li><a href=\"p%1.html\">t%1</a></li>\r\n"_s.arg(k);
    page = replaceLines(page, marker::kLinksEnd, links + marker::kLinksEnd.toString());
    page.replace(u"一行目</p><p>"_s, u"一行目</p><p>消える"_s);
    const MonthPageRead r = parse(page);
    ASSERT_TRUE(r.outcome.ok());
    ASSERT_EQ(r.page.entries.count, 3);
    EXPECT_EQ(row(r, 3).media, u"x.jpg;y.mp4;"_s);
    EXPECT_EQ(row(r, 1).media, QString());
    EXPECT_EQ(row(r, 2), kRain);
    EXPECT_EQ(r.page.links[0].title, u"十月"_s);
    EXPECT_EQ(r.page.links[2], (LinkPair{u"八月"_s, u"q.html"_s}));
    EXPECT_EQ(r.page.links[11], (LinkPair{u"t8"_s, u"p8.html"_s}));
}

TEST(MonthPageReaderHandEdited, FieldsOutsideADateSection_GoToTheSameRowUntilADateEnds_OrLeaveThePageIncomplete) {
    const QString page = renderText(sample());
    const auto withoutDateSection = [&](qsizetype from) {
        return QString(page).remove(from,
                                    page.indexOf(marker::kDateEnd.toString(), from) + marker::kDateEnd.size() - from);
    };
    const MonthPageRead newest = parse(withoutDateSection(page.indexOf(marker::kDateStart.toString())));
    EXPECT_TRUE(newest.outcome.ok());
    ASSERT_EQ(newest.page.entries.count, 2);
    EXPECT_EQ(row(newest, 1), (DiaryEntry{u"雨"_s, u"最後に改行\r\n一行目\r\n二行目"_s, u"2005年11月04日"_s, {}}));
    // The oldest block's fields would be lost with the next write.
    const MonthPageRead oldest = parse(withoutDateSection(page.lastIndexOf(marker::kDateStart.toString())));
    EXPECT_EQ(oldest.outcome.msg, Msg::PageIncomplete);
    EXPECT_EQ(oldest.page.entries.count, 2);
}

TEST(MonthPageReader, ThirtyOneBlocksReadWhole_AThirtySecondFailsNamingThePageAndKeepsTheFirstThirtyOne) {
    const QString page = renderText(fullDecember());
    const MonthPageRead full = parse(page, u"200512.html"_s);
    ASSERT_TRUE(full.outcome.ok());
    ASSERT_EQ(full.page.entries.count, 31);
    const EntryTable given = fullDecember().entries;
    for (int i = 1; i <= 31; ++i)
        EXPECT_EQ(row(full, i), given.rows[32 - i]);

    const qsizetype start = page.indexOf(u"<a name=name1></a>"_s);
    const qsizetype end = page.indexOf(marker::kDiaryEnd.toString());
    ASSERT_GT(start, 0);
    const QString emptyDate = marker::kDateStart.toString() + u"\r\n"_s + marker::kDateEnd.toString() + u"\r\n"_s;
    // Another copy of the oldest block, or a 32nd block of only an empty date section.
    for (const QString& extra : {page.mid(start, end - start), emptyDate}) {
        const MonthPageRead r = parse(page.left(end) + extra + page.mid(end), u"200512.html"_s);
        EXPECT_EQ(r.outcome.msg, Msg::PageTooManyEntries);
        EXPECT_EQ(r.outcome.args, QStringList{u"200512.html"_s});
        EXPECT_EQ(r.page.entries.count, 31);
        EXPECT_EQ(row(r, 1).title, u"t31"_s);
        EXPECT_EQ(row(r, 31).title, u"t1"_s);
    }
}

TEST(MonthPageReaderFile, MissingPageIsAnEmptyMonth_WrittenPageReadsBack_UnreadablePageFailsNamingIt) {
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkdir(u"diary"_s));
    const auto read = [&] { return readMonthPageFile(home.path(), u"diary"_s, u"2005"_s, u"11"_s); };
    MonthPageRead r = read();
    EXPECT_TRUE(r.outcome.ok());
    EXPECT_FALSE(r.exists);
    EXPECT_EQ(r.page, MonthPage{});

    ASSERT_TRUE(MakeMonthHtml(home.path(), u"diary"_s, sample()).ok());
    r = read();
    EXPECT_TRUE(r.outcome.ok());
    EXPECT_TRUE(r.exists);
    EXPECT_EQ(r.page, parse(renderText(sample())).page);

    // A folder in the page's place exists but cannot be read as a page.
    ASSERT_TRUE(QDir(home.filePath(u"diary"_s)).remove(kPage) && QDir(home.path()).mkpath(u"diary/200511.html"_s));
    r = read();
    EXPECT_EQ(r.outcome.msg, Msg::PageUnreadable);
    EXPECT_EQ(r.outcome.args, QStringList{kPage});
    EXPECT_TRUE(r.exists);
}
