#include "cli/cli.h"
#include "settings/settings_files.h"
#include "site/month_page_writer.h"
#include "site/snippets.h"
#include "store/paths.h"
#include "store/textfile.h"

#include <QDir>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QTemporaryDir>

#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

class CliExportTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir(home.path()).mkpath(u"diary"_s)); }

    int run(const QStringList& args) {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err), i(&in);
        cli::Context ctx{o, e, i, home.path(), false};
        const int rc = cli::runCli(args, ctx);
        o.flush();
        e.flush();
        return rc;
    }

    QJsonObject printed() const {
        QJsonParseError error;
        const QJsonDocument doc = QJsonDocument::fromJson(out.toUtf8(), &error);
        EXPECT_TRUE(doc.isObject()) << error.errorString().toStdString() << out.toStdString();
        return doc.object();
    }

    QString page() const { return paths::monthPage(home.path(), u"diary"_s, u"2005", u"11"); }

    // A month with the folder's own settings, so import writes it with the same sizes and address.
    MonthPageInput month() {
        EXPECT_TRUE(writeSizeSettings(home.path(), u"diary"_s, {u"640"_s, u"480"_s, u"320"_s, u"256"_s, 0, {}}).ok());
        EXPECT_TRUE(
            writeConnectionSettings(home.path(), u"diary"_s, {u"ftp.example.jp"_s, u"u"_s, u"p"_s, u"www/d"_s, 0})
                .ok());
        MonthPageInput in;
        in.year = u"2005"_s;
        in.month = u"11"_s;
        in.siteTitle = u"綴の日記 😀"_s;
        in.imageWidth = u"640"_s;
        in.imageHeight = u"480"_s;
        in.videoWidth = u"320"_s;
        in.videoHeight = u"256"_s;
        in.ftpHost = u"ftp.example.jp"_s;
        in.remoteDir = u"www/d"_s;
        in.links[0] = {u"十月"_s, u"200510"_s};
        in.links[3] = {u"九月"_s, u"200509.htm"_s};
        in.entries.rows[1] = {u"古い日"_s, u"一行目\r\n二行目\r\n"_s, u"2005年11月02日"_s, u"x.jpg;y.mp4;Z.MP4;"_s};
        in.entries.rows[2] = {u"新しい日 𠮷"_s, u"波〜"_s, u"2005年11月23日"_s, {}};
        in.entries.count = 2;
        return in;
    }

    QTemporaryDir home;
    QString out, err, in;
};

TEST_F(CliExportTest, WrittenPage_PrintsTheMonthInTheShapeImportReads) {
    ASSERT_TRUE(MakeMonthHtml(home.path(), u"diary"_s, month()).ok());
    ASSERT_EQ(run({u"export"_s, u"200511"_s}), 0) << err.toStdString();
    const QJsonObject o = printed();
    EXPECT_EQ(o.value(u"year"_s), u"2005"_s);
    EXPECT_EQ(o.value(u"month"_s), u"11"_s);
    EXPECT_EQ(o.value(u"siteTitle"_s), u"綴の日記 😀"_s);
    EXPECT_FALSE(o.contains(u"settings"_s));

    const QJsonArray links = o.value(u"links"_s).toArray();
    ASSERT_EQ(links.size(), 12);
    EXPECT_EQ(links[0].toObject(), (QJsonObject{{u"title"_s, u"十月"_s}, {u"path"_s, u"200510.html"_s}}));
    // The page keeps no empty rows between links: they move up.
    EXPECT_EQ(links[1].toObject(), (QJsonObject{{u"title"_s, u"九月"_s}, {u"path"_s, u"200509.htm"_s}}));
    EXPECT_EQ(links[2].toObject(), (QJsonObject{{u"title"_s, u""_s}, {u"path"_s, u""_s}}));

    const QJsonArray entries = o.value(u"entries"_s).toArray();
    ASSERT_EQ(entries.size(), 2);
    EXPECT_EQ(entries[0].toObject(), (QJsonObject{{u"date"_s, u"2005年11月23日"_s},
                                                  {u"title"_s, u"新しい日 𠮷"_s},
                                                  {u"body"_s, u"波〜"_s},
                                                  {u"media"_s, u""_s}}));
    EXPECT_EQ(entries[1].toObject(), (QJsonObject{{u"date"_s, u"2005年11月02日"_s},
                                                  {u"title"_s, u"古い日"_s},
                                                  {u"body"_s, u"一行目\r\n二行目\r\n"_s},
                                                  {u"media"_s, u"x.jpg;y.mp4;Z.MP4;"_s}}));
}

TEST_F(CliExportTest, ExportThenImport_GivesBackTheSamePageBytes) {
    ASSERT_TRUE(MakeMonthHtml(home.path(), u"diary"_s, month()).ok());
    const std::optional<QByteArray> before = textfile::readFile(page());
    ASSERT_TRUE(before);
    ASSERT_EQ(run({u"export"_s, u"--folder"_s, u"diary"_s, u"200511"_s}), 0) << err.toStdString();
    const QString json = home.filePath(u"month.json"_s);
    ASSERT_TRUE(textfile::writeFileAtomically(json, out.toUtf8()).ok());
    ASSERT_TRUE(QFile::remove(page()));

    ASSERT_EQ(run({u"import"_s, json}), 0) << err.toStdString();
    EXPECT_EQ(textfile::readFile(page()), before);
}

TEST_F(CliExportTest, MonthWithoutPage_PrintsAnEmptyMonthWithNoSiteTitle) {
    ASSERT_EQ(run({u"export"_s, u"--home"_s, home.path() + u"/"_s, u"200511"_s}), 0) << err.toStdString();
    const QJsonObject o = printed();
    EXPECT_TRUE(o.value(u"siteTitle"_s).isNull());
    EXPECT_EQ(o.value(u"entries"_s).toArray().size(), 0);
    const QJsonArray links = o.value(u"links"_s).toArray();
    ASSERT_EQ(links.size(), 12);
    for (const QJsonValue& l : links)
        EXPECT_EQ(l.toObject(), (QJsonObject{{u"title"_s, u""_s}, {u"path"_s, u""_s}}));
}

TEST_F(CliExportTest, Errors_ExitOneWithAMessageAndPrintNothing) {
    // A 32nd entry block: a part of the month must not be printed where it could be imported.
    MonthPageInput full = month();
    full.month = u"12"_s;
    for (int d = 1; d <= 31; ++d)
        full.entries.rows[d] = {u"t"_s, u"b"_s, u"2005年12月%1日"_s.arg(d, 2, 10, QChar(u'0')), {}};
    full.entries.count = 31;
    QString text = textfile::decode(renderMonthPage(full).page.bytes);
    const qsizetype block = text.indexOf(u"<a name=name31>"_s);
    text.insert(block, text.mid(block, text.indexOf(u"<a name=name30>"_s) - block));
    ASSERT_TRUE(
        textfile::writeFileAtomically(paths::monthPage(home.path(), u"diary"_s, u"2005", u"12"), textfile::encode(text))
            .ok());

    const struct {
        QStringList args;
        const char* inMessage;
    } cases[] = {
        {{u"export"_s, u"200512"_s}, "200512.html"},
        {{u"export"_s, u"200513"_s}, "200513"},
        {{u"export"_s, u"2005-11"_s}, "2005-11"},
        {{u"export"_s}, "usage"},
        {{u"export"_s, u"200511"_s, u"200512"_s}, "usage"},
        {{u"export"_s, u"--folder"_s, u"nosuch"_s, u"200511"_s}, "nosuch"},
        {{u"export"_s, u"200511"_s, u"--home"_s}, "--home"},
        {{u"snippets"_s, u"--folder"_s, u"nosuch"_s, u"200511"_s}, "nosuch"},
        {{u"snippets"_s, u"200500"_s}, "200500"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.args), 1) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(out.isEmpty()) << out.toStdString();
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.inMessage))) << err.toStdString();
    }
}

TEST_F(CliExportTest, Snippets_PrintsTheFiveTextsOfTheCalendarTab) {
    ASSERT_TRUE(MakeMonthHtml(home.path(), u"diary"_s, month()).ok());
    ASSERT_EQ(run({u"snippets"_s, u"200511"_s}), 0) << err.toStdString();
    const CodeSnippets expected = FillCodeSnippets(home.path(), u"diary"_s, u"2005"_s, u"11"_s);
    ASSERT_FALSE(expected.diary.isEmpty());
    EXPECT_EQ(printed(), (QJsonObject{{u"calendar"_s, expected.calendar},
                                      {u"stylesheet"_s, expected.stylesheet},
                                      {u"body"_s, expected.body},
                                      {u"script"_s, expected.script},
                                      {u"diary"_s, expected.diary}}));

    ASSERT_EQ(run({u"snippets"_s, u"200510"_s}), 0) << err.toStdString();
    const QJsonObject none = printed();
    EXPECT_EQ(none.value(u"calendar"_s), u""_s);
    EXPECT_EQ(none.value(u"diary"_s), u""_s);
    EXPECT_EQ(none.value(u"script"_s), scriptSnippet());
}
