#include "settings/settings_files.h"

#include "cli_fixture.h"

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

class CliImportTest : public test::CliTest {
protected:
    QString json(const QByteArray& text) { return file(u"month.json"_s, text); }
    const QString page = path(u"diary/200511.html"_s);
};

} // namespace

TEST_F(CliImportTest, WritesTheWritersPageWithLineBreaksAsCrLfAndSettingsFromTheFolder) {
    ASSERT_TRUE(writeSizeSettings(home, u"diary"_s, {u"640"_s, u"480"_s, u"1"_s, u"2"_s, 0}).ok());
    ASSERT_TRUE(writeConnectionSettings(home, u"diary"_s, {u"host.jp"_s, {}, {}, u"www"_s, 0}).ok());
    const QString path = json(R"({"year":"2005","month":"11","siteTitle":"題",
        "links":[{"title":"10月","path":"200510"}],
        "entries":[{"date":"2005年11月04日","title":"t","body":"a\nb\rc\r\nd","media":"x.jpg;v.mp4;"}],
        "settings":{"imageWidth":"320"}})"_ba);
    ASSERT_EQ(run({u"import"_s, path}), 0) << err.toStdString();
    EXPECT_EQ(out.trimmed(), page);

    MonthPageInput expected = test::bareMonth(2005, 11, u"題"_s);
    expected.links[0] = {u"10月"_s, u"200510"_s};
    add(expected, 4, u"t"_s, u"a\r\nb\r\nc\r\nd"_s, u"x.jpg;v.mp4;"_s);
    expected.imageWidth = u"320"_s;  // from the file
    expected.imageHeight = u"480"_s; // from etc_diary.ini
    expected.videoWidth = u"1"_s;
    expected.videoHeight = u"2"_s;
    expected.ftpHost = u"host.jp"_s;
    expected.remoteDir = u"www"_s;
    EXPECT_EQ(textfile::readFile(page), renderMonthPage(expected).page.bytes);
}

TEST_F(CliImportTest, FolderDefaultsToFdirIniAndCanBeNamed) {
    ASSERT_TRUE(QDir(home).mkpath(u"other"_s) && writeFdirIni(home, u"other"_s).ok());
    const QString path = json(R"({"year":"2005","month":"11"})"_ba);
    ASSERT_EQ(run({u"import"_s, path}), 0) << err.toStdString();
    EXPECT_TRUE(bytes(u"other/200511.html"_s));
    ASSERT_EQ(run({u"import"_s, u"--folder"_s, u"diary"_s, path}), 0) << err.toStdString();
    EXPECT_TRUE(QFile::exists(page));
    // An empty last line names no folder (it would be the program folder itself): "diary", and a word.
    ASSERT_TRUE(QFile::remove(page));
    file(u"ini/fdir.ini"_s, "other\r\n\r\n");
    ASSERT_EQ(run({u"import"_s, path}), 0) << err.toStdString();
    EXPECT_TRUE(QFile::exists(page));
    EXPECT_TRUE(err.contains(u"ini/fdir.ini"_s)) << err.toStdString();
}

TEST_F(CliImportTest, ErrorsWriteNothingAndExitWithOne) {
    file(u"diary/200511.html"_s, "old");
    const struct {
        QByteArray json;
        const char* expect;
    } cases[] = {
        {"not json", "not a JSON object"},
        {"{\"siteTitle\":\"\xff\"}", "not UTF-8"},
        {QByteArray(100000, '['), "nested too deeply"},
        {R"({"year":"2005","month":"11"} {})", "text after the value"},
        {R"({"year":"2005","month":"11","siteTitle":"\q"})", "unknown escape"},
        {R"({"year":"2005","month":"13"})", "month"},
        {R"({"year":"20x5","month":"11"})", "year"},
        {R"({"year":"2005","month":"11","entries":[{"date":"2005年11月04日","media":"a.jpg"}]})", "「;」"},
        {R"({"year":"2005","month":"11","links":[{},{},{},{},{},{},{},{},{},{},{},{},{}]})", "12 links"},
        {R"({"year":"2005","month":"11","entries":[{"title":5}]})", "must be a string"},
        // Entries the page would leave out, or could not carry.
        {R"({"year":"2005","month":"11","entries":[{"title":"t","date":"2005年11月4日"}]})", "entries[0].date"},
        {R"({"year":"2005","month":"11","entries":[{"title":"t","date":"2005年10月04日"}]})", "entries[0].date"},
        {R"({"year":"2005","month":"11","entries":[{"title":"a","date":"2005年11月04日"},
                                                  {"title":"b","date":"2005年11月04日"}]})",
         "entries[1].date \"2005年11月04日\" is also the date of entries[0]"},
        {R"({"year":"2005","month":"11","entries":[{"title":" ","media":" ;","date":"2005年11月04日"}]})",
         "entries[0] has no"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run({u"import"_s, json(c.json)}), 1) << c.json.toStdString();
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.expect))) << err.toStdString();
        EXPECT_EQ(textfile::readFile(page), QByteArray("old"));
    }
    EXPECT_EQ(run({u"import"_s, u"--folder"_s, u"missing"_s, json("{}")}), 1);
    EXPECT_TRUE(err.contains(u"does not exist"_s));
    EXPECT_EQ(run({u"import"_s, path(u"nofile.json"_s)}), 1);
    EXPECT_EQ(run({u"import"_s, u"--home"_s}), 1);
}

// 23 February 2026 is the Emperor's Birthday by law, not by the classic rules (the calendar suite has the
// rest). A year given as a number and a month without its leading zero name the page.
TEST_F(CliImportTest, PagesFollowTheLawUnlessTheFolderChoseTheClassicRules) {
    for (const HolidayRules rules : {HolidayRules::Law, HolidayRules::Classic}) {
        ASSERT_TRUE(writeSizeSettings(home, u"diary"_s, {{}, {}, {}, {}, 0, rules}).ok());
        ASSERT_EQ(run({u"import"_s, json(R"({"year":2026,"month":"2"})")}), 0) << err.toStdString();
        EXPECT_EQ(bytes(u"diary/202602.html"_s).value_or("").contains(R"(<td id="i23" class="suk">)"),
                  rules == HolidayRules::Law);
    }
}

TEST_F(CliImportTest, IndexRebuildsIndexAndFeedAndNamesThePagesLeftOut) {
    file(u"diary/200510.html"_s, "<html>");
    EXPECT_EQ(run({u"index"_s}), 1);
    EXPECT_TRUE(err.contains(u"200510.html"_s)) << err.toStdString();
    EXPECT_TRUE(bytes(u"diary/feed.xml"_s));
    EXPECT_EQ(run({u"index"_s, u"--folder"_s, u"missing"_s}), 1);
}

TEST_F(CliImportTest, PageThatDoesNotReadWhole_RefusedWithTheReason_OrReplacedAfterABackupWhenAsked) {
    const QByteArray own = "<html><body>my own page</body></html>";
    const QString path = json(R"({"year":"2005","month":"11"})");
    file(u"diary/200511.html"_s, own);
    EXPECT_EQ(run({u"import"_s, path}), 1);
    EXPECT_TRUE(err.contains(u"200511.html"_s) && err.contains(u"--replace-unreadable"_s)) << err.toStdString();
    EXPECT_EQ(textfile::readFile(page), own);
    for (const QString& kept : {page + u".bak"_s, page + u".bak.1"_s}) {
        file(u"diary/200511.html"_s, own);
        ASSERT_EQ(run({u"import"_s, u"--replace-unreadable"_s, path}), 0) << err.toStdString();
        EXPECT_TRUE(err.contains(kept));
        EXPECT_EQ(textfile::readFile(kept), own);
        EXPECT_TRUE(readMonthPageFile(home, u"diary"_s, u"2005"_s, u"11"_s).outcome.ok());
    }
    // A link to nowhere in the page's place is never followed, not even to replace it.
    ASSERT_TRUE(QFile::remove(page) && QFile::link(this->path(u"elsewhere.html"_s), page));
    EXPECT_EQ(run({u"import"_s, u"--replace-unreadable"_s, path}), 1);
    EXPECT_FALSE(QFile::exists(this->path(u"elsewhere.html"_s)));
}
