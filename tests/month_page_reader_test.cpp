#include "site/page_format.h"

#include <QDir>
#include <QTemporaryDir>

#include "month_pages.h"

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

const QString kPage = u"200511.html"_s;

// Three entries (written newest first: 05, 04, 02) and two links.
MonthPageInput sample() {
    MonthPageInput in = month(2005, 11, u"綴の日記"_s);
    add(in, 2, u"写真"_s, u"公園へ"_s, u"x.jpg;y.mp4;"_s);
    add(in, 4, u"雨"_s, u"一行目\r\n二行目"_s);
    add(in, 5, u"晴れ"_s, u"最後に改行\r\n"_s);
    in.links[0] = {u"十月"_s, u"200510"_s};
    in.links[1] = {u"九月"_s, u"200509.html"_s};
    return in;
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

} // namespace

TEST(MonthPageReaderHandEdited, EditsThatKeepTheStructure_ReadExactlyLikeTheWrittenPage) {
    const QString page = pageText(sample());
    const MonthPageRead original = parse(page);
    ASSERT_EQ(original.page.entries.count, 3);
    QString indented = page;
    for (const QStringView m : {marker::kTitleStart, marker::kTitleEnd, marker::kBodyStart, marker::kBodyEnd,
                                marker::kDateStart, marker::kDateEnd})
        indented = replaceLines(indented, m, u"  "_s + m.toString());
    const std::pair<const char*, QString> cases[] = {
        {"CR only", QString(page).replace(u"\r\n"_s, u"\r"_s)},
        {"LF only", QString(page).replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n')},
        {"mixed", QString(page).replace(u"</p><p>\r\n"_s, u"</p><p>\n"_s)},
        {"spaces before the field markers", indented},
        {"lines between blocks", QString(page).replace(u"<hr>\r\n"_s, u"<hr>\r\n\r\n<br>\r\n"_s)},
        {"a byte order mark", u"\uFEFF"_s + page},
        {"text after </html>", page + u"<!-- counter -->\r\n"_s},
        {"text after the site name marker",
         replaceLines(page, marker::kSiteName, marker::kSiteName.toString() + u"xx"_s)},
    };
    for (const auto& [name, edited] : cases) {
        const MonthPageRead r = parse(edited);
        EXPECT_TRUE(r.outcome.ok()) << name;
        EXPECT_EQ(r.page, original.page) << name;
    }
    EXPECT_TRUE(parse(u" \r\n"_s).outcome.ok()) << "an empty file holds nothing to lose";
}

TEST(MonthPageReaderHandEdited, TruncatedAtAnyByte_NeverMoreThanTheWholePage) {
    const QByteArray bytes = textfile::encode(pageText(sample()));
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

TEST(MonthPageReaderHandEdited, DamageThatLosesOrMovesText_IsReportedIncomplete) {
    const QString page = pageText(sample());
    const auto lines = [&](QStringView m, const QString& by) { return replaceLines(page, m, by); };
    const auto plus = [](QStringView a, QStringView b) { return a.toString() + b.toString(); };
    const qsizetype dateFrom = page.indexOf(marker::kDateStart.toString());
    QString links;
    for (int k = 0; k < 13; ++k)
        links += u"<li><a href=\"p%1.html\">t%1</a></li>\r\n"_s.arg(k);
    const std::pair<const char*, QString> cases[] = {
        {"LF CR line ends", QString(page).replace(u"\r\n"_s, u"\n\r"_s)},
        {"a blank line after every line", QString(page).replace(u"\r\n"_s, u"\r\n\r\n"_s)},
        {"title end deleted", lines(marker::kTitleEnd, {})},
        {"date end deleted", lines(marker::kDateEnd, {})},
        {"links end deleted", lines(marker::kLinksEnd, {})},
        {"text after a title end", lines(marker::kTitleEnd, plus(marker::kTitleEnd, u"x"))},
        {"text after a body end", lines(marker::kBodyEnd, plus(marker::kBodyEnd, u"x"))},
        {"text before a date end", lines(marker::kDateEnd, plus(u"x", marker::kDateEnd))},
        {"site name deleted", lines(marker::kSiteName, {})},
        {"links start deleted", lines(marker::kLinksStart, {})},
        {"media start indented", lines(marker::kMediaStart, plus(u" ", marker::kMediaStart))},
        {"NUL bytes in a title", QString(page).replace(u"晴れ"_s, u"晴\0\0れ"_s)},
        {"a date section deleted", QString(page).remove(dateFrom, page.indexOf(u"</p>"_s, dateFrom) - dateFrom)},
        {"a title written unescaped by an earlier version", lines(u"晴れ", marker::kTitleEnd.toString())},
        {"a site title of two lines", lines(u"綴の日記", u"綴の\r\n日記"_s)},
        {"text after a paragraph break", QString(page).replace(u"一行目</p><p>"_s, u"一行目</p><p>消える"_s)},
        {"a body ending in a paragraph break", QString(page).replace(u"\r\n二行目\r\n"_s, u"\r\n二行目</p><p>\r\n"_s)},
        {"a link title holding </a>", QString(page).replace(u"十月</a>"_s, u"十</a>月</a>"_s)},
        {"a media line without a name",
         lines(marker::kMediaEnd, plus(u"<img src=\"image/open.jpg>\r\n", marker::kMediaEnd))},
        {"a link line without </a>",
         lines(marker::kLinksEnd, plus(u"<li><a href=\"p.html\">八月</li>\r\n", marker::kLinksEnd))},
        {"a thirteenth link", lines(marker::kLinksEnd, plus(links, marker::kLinksEnd))},
        {"a page of another making", u"<html><body>\r\n<p>my own page</p>\r\n</body></html>\r\n"_s},
    };
    for (const auto& [name, damaged] : cases) {
        const MonthPageRead r = parse(damaged);
        EXPECT_EQ(r.outcome.msg, Msg::PageIncomplete) << name;
        EXPECT_EQ(r.outcome.args, QStringList{kPage}) << name;
    }
    // No site title then, so the window keeps its site title box as it is.
    EXPECT_EQ(parse(lines(marker::kSiteName, u"<!-- -->"_s)).page.siteTitle, std::nullopt);
    EXPECT_EQ(parse(u"<html>\r\n"_s + marker::kSiteName.toString()).page.siteTitle, std::nullopt);
}

TEST(MonthPageReader, TypedStructureTakesTheDocumentedForms_PagesOfEarlierVersionsReadAsBefore) {
    MonthPageInput in = month(2005, 11);
    add(in, 4, u"&#12316;\uFEFF"_s, u"a</p><p>b\r\n<!--ここまで日記-->"_s);
    add(in, 5, marker::kTitleEnd.toString(), u"&#65;"_s);
    add(in, 6, u"&\u2060#65;&\u2060\u2060#"_s); // a word joiner typed between "&" and "#" is the text's own
    const QString page = pageText(in);
    for (const QString& written :
         {u"\r\n&&#8288;#12316;&#65279;\r\n"_s, u"\r\n<!--&#8288;ここまで日記タイトルを記述-->\r\n"_s,
          u"\r\na</p><!----><p>b</p><p>\r\n<!--&#8288;ここまで日記-->\r\n"_s, u"\r\n&#65;\r\n"_s})
        EXPECT_TRUE(page.contains(written)) << written.toStdString();
    for (int j = 1; j <= 3; ++j)
        EXPECT_EQ(row(parse(page), 4 - j), in.entries.rows[j]);
    // What no version escapes is turned back as always: a reference to a character code page 932 lacks only.
    const QString earlier = QString(page).replace(u"&&#8288;#12316;&#65279;"_s, u"&#12316;&#60;"_s);
    EXPECT_EQ(row(parse(earlier), 3).title, u"〜&#60;"_s);
}

TEST(MonthPageReader, AThirtySecondBlockFailsNamingThePageAndKeepsTheFirstThirtyOne) {
    MonthPageInput december = month(2005, 12);
    for (int d = 1; d <= 31; ++d)
        add(december, d, u"t%1"_s.arg(d));
    const QString page = pageText(december);
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

TEST(MonthPageReaderFile, MissingPageIsAnEmptyMonth_WrittenPageReadsBack_UnreadableOrForeignDatedFailsNamingIt) {
    QTemporaryDir home;
    ASSERT_TRUE(QDir(home.path()).mkdir(u"diary"_s));
    const auto read = [&](const QString& m = u"11"_s) {
        return readMonthPageFile(home.path(), u"diary"_s, u"2005"_s, m);
    };
    MonthPageRead r = read();
    EXPECT_TRUE(r.outcome.ok());
    EXPECT_FALSE(r.exists);
    EXPECT_EQ(r.page, MonthPage{});

    ASSERT_TRUE(writeMonthPage(home.path(), u"diary"_s, sample()).ok());
    r = read();
    EXPECT_TRUE(r.outcome.ok());
    EXPECT_TRUE(r.exists);
    EXPECT_EQ(r.page, parse(pageText(sample())).page);
    // November's page under October's name: the next generate would lose entries dated on no day of October.
    ASSERT_TRUE(QFile::copy(home.filePath(u"diary/200511.html"_s), home.filePath(u"diary/200510.html"_s)));
    EXPECT_EQ(read(u"10"_s).outcome.msg, Msg::PageIncomplete);
    // A folder in the page's place exists but cannot be read as a page (pipes and links: store_test).
    const QString path = home.filePath(u"diary/"_s + kPage);
    ASSERT_TRUE(QFile::remove(path) && QDir().mkpath(path));
    r = read();
    EXPECT_EQ(r.outcome.msg, Msg::PageUnreadable);
    EXPECT_EQ(r.outcome.args, QStringList{kPage});
    EXPECT_TRUE(r.exists);
}
