#include "cli_fixture.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

class CliSearchBackupTest : public test::CliTest {
protected:
    void SetUp() override {
        write(u"diary"_s, 11, u"京都へ"_s, u"紅葉を見た"_s);
        write(u"diary"_s, 12, u"大阪"_s, u"キョウトから帰る"_s);
        write(u"other"_s, 10, u"京都再び"_s, {});
    }
    void write(const QString& folder, int month, const QString& title, const QString& body) {
        MonthPageInput in = test::bareMonth(2005, month);
        add(in, 3, title, body);
        CliTest::write(in, folder);
    }
};

} // namespace

TEST_F(CliSearchBackupTest, Search_PrintsTheHitsNewestFirstAsTextOrJson) {
    ASSERT_EQ(run({u"search"_s, u"きょうと"_s}), 0) << err.toStdString();
    EXPECT_EQ(out, u"2005年12月03日  大阪\n    キョウトから帰る\n"_s);

    ASSERT_EQ(run({u"search"_s, u"--all-folders"_s, u"--json"_s, u"京都"_s}), 0) << err.toStdString();
    const QJsonArray hits = QJsonDocument::fromJson(out.toUtf8()).object().value(u"hits"_s).toArray();
    ASSERT_EQ(hits.size(), 2);
    EXPECT_EQ(hits[0].toObject().value(u"folder"_s).toString(), u"diary"_s);
    EXPECT_EQ(hits[1].toObject().value(u"title"_s).toString(), u"京都再び"_s);
    EXPECT_EQ(hits[1].toObject().value(u"titleMatches"_s).toArray(),
              (QJsonArray{QJsonObject{{u"start"_s, 0}, {u"length"_s, 2}}}));

    // A page cut short is still searched, and named on the error stream.
    file(u"diary/200512.html"_s, bytes(u"diary/200512.html"_s)->first(1500));
    EXPECT_EQ(run({u"search"_s, u"京都"_s}), 0);
    EXPECT_TRUE(err.contains(u"diary/200512.html"_s)) << err.toStdString();
}

// A search that finds nothing exits with 1; misuse of either command with 2, refusals with 1; none prints.
TEST_F(CliSearchBackupTest, BackupThenRestore_AsANewFolderReportsWhatCameBack_ThenRefusalsAndMisuse) {
    ASSERT_EQ(run({u"backup"_s, u"--folder"_s, u"other"_s}), 0) << err.toStdString();
    const QString zip = out.trimmed();
    EXPECT_TRUE(QFileInfo(zip).fileName().startsWith(u"other-"_s));

    ASSERT_EQ(run({u"restore"_s, zip, u"--as"_s, u"copy"_s}), 0) << err.toStdString();
    EXPECT_TRUE(out.contains(u"【 copy 】"_s) && out.contains(u"月のページ 1 件"_s)) << out.toStdString();
    EXPECT_EQ(bytes(u"copy/200510.html"_s), bytes(u"other/200510.html"_s));

    const struct {
        QStringList args;
        int status;
        const char* says;
    } refusals[] = {
        {{u"search"_s, u"札幌"_s}, 1, ""},
        {{u"search"_s}, 2, ""},
        {{u"search"_s, u"--folder"_s, u"other"_s, u"--all-folders"_s, u"京都"_s}, 2, ""},
        {{u"search"_s, u"--folder"_s, u"nosuch"_s, u"京都"_s}, 2, ""},
        {{u"search"_s, u"--color"_s, u"京都"_s}, 2, ""},
        {{u"restore"_s, zip, u"--as"_s, u"copy"_s}, 1, "すでにある"},
        {{u"restore"_s, zip, u"--folder"_s, u"x"_s}, 2, "--as"},
        {{u"restore"_s}, 2, "usage"},
        {{u"backup"_s, u"--folder"_s, u"nosuch"_s}, 1, "nosuch"},
        {{u"backup"_s, u"a.zip"_s, u"b.zip"_s}, 2, "usage"},
    };
    for (const auto& c : refusals) {
        SCOPED_TRACE(c.args.join(u' ').toStdString());
        EXPECT_EQ(run(c.args), c.status);
        EXPECT_TRUE(err.contains(QString::fromUtf8(c.says))) << err.toStdString();
        EXPECT_TRUE(out.isEmpty()) << out.toStdString();
    }
}
