#include "site/snippets.h"

#include "cli_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

#include <sys/stat.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

static void PrintTo(const QJsonObject& o, std::ostream* os) {
    *os << QJsonDocument(o).toJson().toStdString();
}

namespace {

QJsonObject link(const QString& title = {}, const QString& path = {}) {
    return {{u"title"_s, title}, {u"path"_s, path}};
}

QJsonObject entry(const DiaryEntry& e) {
    return {{u"date"_s, e.date}, {u"title"_s, e.title}, {u"body"_s, e.body}, {u"media"_s, e.media}};
}

// The printed month: its links filled up to the twelve rows with empty ones.
QJsonObject monthJson(const QJsonValue& siteTitle, QJsonArray links, const QJsonArray& entries) {
    while (links.size() < 12)
        links.append(link());
    return {{u"year"_s, u"2005"_s},
            {u"month"_s, u"11"_s},
            {u"siteTitle"_s, siteTitle},
            {u"links"_s, links},
            {u"entries"_s, entries}};
}

QJsonObject snippetsJson(const CodeSnippets& s) {
    return {{u"calendar"_s, s.calendar},
            {u"stylesheet"_s, s.stylesheet},
            {u"body"_s, s.body},
            {u"script"_s, s.script},
            {u"diary"_s, s.diary}};
}

MonthPageInput month() {
    MonthPageInput in = test::bareMonth(2005, 11, u"綴の日記 😀 <!--↓サイト名-->"_s);
    in.links[0] = {u"十月 &#12316;"_s, u"200510"_s};
    in.links[3] = {u"九月"_s, u"200509.htm"_s};
    // Typed text shaped like the page's structure comes back as typed, and changes no other field.
    add(in, 2, u"古い日<!--ここまで日記タイトルを記述-->"_s,
        u"一行目</p><p>\uFEFF\r\n<!--ここまで日記本文を記述-->\r\n&#60;&#12316;\r\n"_s, u"x.jpg;y.mp4;Z.MP4;"_s);
    add(in, 23, u"<!--ここから日記タイトルを記述-->"_s, u"波〜"_s);
    return in;
}

class CliExportTest : public test::CliTest {
protected:
    QJsonObject printed() const { return QJsonDocument::fromJson(out.toUtf8()).object(); }
};

} // namespace

// Import of what export prints gives back the same page bytes: the bulk suite's round trip.
TEST_F(CliExportTest, WrittenPage_PrintsTheMonthNewestFirst) {
    write(month());
    ASSERT_EQ(run({u"export"_s, u"--folder"_s, u"diary"_s, u"200511"_s}), 0) << err.toStdString();
    // The page keeps no empty rows between links: they move up.
    const MonthPageInput in = month();
    EXPECT_EQ(printed(),
              monthJson(in.siteTitle, {link(in.links[0].title, u"200510.html"_s), link(u"九月"_s, u"200509.htm"_s)},
                        {entry(in.entries.rows[2]), entry(in.entries.rows[1])}));

    // A month without a page (the program folder named with a slash at its end): empty, no site title.
    ASSERT_TRUE(QFile::remove(path(u"diary/200511.html"_s)));
    ASSERT_EQ(run({u"export"_s, u"--home"_s, home + u"/"_s, u"200511"_s}), 0) << err.toStdString();
    EXPECT_EQ(printed(), monthJson(QJsonValue::Null, {}, {}));
}

TEST_F(CliExportTest, Errors_ExitOneWithAMessageAndPrintNothing) {
    // A page that does not read whole: part of a month must not be printed where it could be imported.
    file(u"diary/200512.html"_s, "<html><body>my own page</body></html>\r\n");
    // A pipe in a page's place must not hold the command for ever.
    ASSERT_EQ(::mkfifo(QFile::encodeName(path(u"diary/200510.html"_s)).constData(), 0600), 0);
    const struct {
        QStringList args;
        const char* inMessage;
    } cases[] = {
        {{u"export"_s, u"200512"_s}, "200512.html"},
        {{u"export"_s, u"200513"_s}, "200513"},
        {{u"export"_s}, "usage"},
        {{u"export"_s, u"200511"_s, u"200512"_s}, "usage"},
        {{u"export"_s, u"--folder"_s, u"nosuch"_s, u"200511"_s}, "nosuch"},
        {{u"snippets"_s, u"--folder"_s, u"nosuch"_s, u"200511"_s}, "nosuch"},
        {{u"export"_s, u"200510"_s}, "200510.html"},
        {{u"snippets"_s, u"200510"_s}, "200510.html"},
        {{u"export"_s, u"--folder"_s, u"../diary"_s, u"200511"_s}, "日記フォルダ名【 ../diary 】"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        EXPECT_EQ(run(c.args), 1);
        EXPECT_TRUE(out.isEmpty()) << out.toStdString();
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.inMessage))) << err.toStdString();
    }
}

// The fixed texts of a month without a page: the snippets suite.
TEST_F(CliExportTest, Snippets_PrintsTheFiveTextsOfTheCalendarTab) {
    write(month());
    ASSERT_EQ(run({u"snippets"_s, u"200511"_s}), 0) << err.toStdString();
    const CodeSnippets expected = codeSnippetsOfMonth(home, u"diary"_s, u"2005"_s, u"11"_s);
    ASSERT_FALSE(expected.diary.isEmpty());
    EXPECT_EQ(printed(), snippetsJson(expected));
}
