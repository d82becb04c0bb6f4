// The upload against a real FTP server (pyftpdlib) on a free loopback port.

#include "cli/cli.h"
#include "settings/settings_files.h"
#include "store/paths.h"
#include "upload/curl_ftp_client.h"
#include "upload/upload_runner.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QRandomGenerator>
#include <QTemporaryDir>

#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;
using namespace tsuzuri::upload;

namespace {

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Every byte value, CR LF and lone CR and LF, a Ctrl-Z: what an ASCII-mode transfer would mangle.
QByteArray awkwardBytes(int size, quint32 seed) {
    QByteArray b("\r\n\r\x1a\n\0"_ba);
    QRandomGenerator g(seed);
    while (b.size() < size)
        b.append(char(g.bounded(256)));
    return b;
}

class FtpUploadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath(u"prog/diary/image"_s));
        ASSERT_TRUE(QDir(root.path()).mkpath(u"server"_s));
        startServer();
    }

    void TearDown() override {
        if (server.state() != QProcess::NotRunning) {
            server.kill();
            server.waitForFinished(5000);
        }
    }

    void startServer(const QStringList& extra = {}) {
        server.setProcessChannelMode(QProcess::SeparateChannels);
        server.start(QString::fromUtf8(TSUZURI_FTP_PYTHON),
                     QStringList{QString::fromUtf8(TSUZURI_SOURCE_DIR) + u"/tests/ftp_server.py"_s, u"--home"_s,
                                 serverHome(), u"--user"_s, u"tsuzuri"_s, u"--password"_s, u"secret"_s} +
                         extra);
        ASSERT_TRUE(server.waitForStarted(10000)) << "cannot start " TSUZURI_FTP_PYTHON;
        while (!server.canReadLine() && server.waitForReadyRead(10000)) {
        }
        const QByteArray first = server.readLine().trimmed();
        ASSERT_TRUE(first.startsWith("PORT ")) << "the test FTP server did not start (is pyftpdlib installed for "
                                               << TSUZURI_FTP_PYTHON << "?): " << server.readAllStandardError().toStdString();
        host = u"127.0.0.1:"_s + QString::fromLatin1(first.mid(5));
    }

    // The server's event lines so far ("LOGIN tsuzuri", "STOR …").
    QStringList events() {
        server.waitForReadyRead(50);
        log += QString::fromUtf8(server.readAllStandardOutput());
        return log.split(u'\n', Qt::SkipEmptyParts);
    }
    int logins() { return int(events().filter(u"LOGIN "_s).size()); }

    QString home() const { return root.filePath(u"prog"_s); }
    QString diary(const QString& rel) const { return home() + u"/diary/"_s + rel; }
    QString serverHome() const { return root.filePath(u"server"_s); }
    QString remote(const QString& rel) const { return serverHome() + u'/' + rel; }

    void file(const QString& rel, const QByteArray& bytes) {
        QDir().mkpath(QFileInfo(diary(rel)).path());
        QFile f(diary(rel));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    // Everything below the server's root, "dir/" for directories.
    QStringList remoteTree() const {
        QStringList t;
        QDirIterator it(serverHome(), QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo i(it.next());
            t << QDir(serverHome()).relativeFilePath(i.filePath()) + (i.isDir() ? u"/"_s : QString());
        }
        t.sort();
        return t;
    }

    UploadRequest request(const QString& rootText, QStringList selected, int chksaku = 0,
                          const QString& password = u"secret"_s) const {
        return {home(), u"diary"_s, {host, u"tsuzuri"_s, password, rootText, chksaku}, std::move(selected)};
    }

    UploadResult run(const UploadRequest& r, const UploadRunner::ProgressCallback& progress = {}) {
        CurlFtpSession session;
        UploadRunner runner(session);
        return runner.run(r, progress);
    }

    QTemporaryDir root;
    QProcess server;
    QString host, log;
};

} // namespace

TEST_F(FtpUploadTest, Example_GivesThatRemoteTreeWithIdenticalBytes_OverOneLogin_AndAgainOverExistingDirectories) {
    file(u"image/a.jpg"_s, awkwardBytes(300000, 1));
    file(u"image/b.jpg"_s, awkwardBytes(1000, 2));
    file(u"calender.css"_s, "td.sun { color: red; }\r\n"_ba);
    file(u"200511.html"_s, "not selected");
    const UploadRequest r = request(u"www/diary"_s, {u"[フォルダ]image"_s, u"[ファイル]calender.css"_s});

    const UploadResult first = run(r);
    ASSERT_EQ(messageText(first.outcome), u"アップロード完了"_s);
    EXPECT_EQ(remoteTree(), (QStringList{u"www/"_s, u"www/diary/"_s, u"www/diary/calender.css"_s, u"www/diary/image/"_s,
                                         u"www/diary/image/a.jpg"_s, u"www/diary/image/b.jpg"_s}));
    for (const QString& f : {u"image/a.jpg"_s, u"image/b.jpg"_s, u"calender.css"_s})
        EXPECT_EQ(bytesOf(remote(u"www/diary/"_s + f)), bytesOf(diary(f))) << f.toStdString();
    EXPECT_EQ(logins(), 1);

    // Every directory exists now: that is no failure, and the files are replaced.
    file(u"image/b.jpg"_s, "second");
    EXPECT_EQ(run(r).outcome.msg, Msg::UploadDone);
    EXPECT_EQ(bytesOf(remote(u"www/diary/image/b.jpg"_s)), "second");
    EXPECT_EQ(logins(), 2);
}

TEST_F(FtpUploadTest, EmptyRoot_LandsInTheLoginDirectory_NothingSelected_OnlyTheBaseDirectories) {
    file(u"200511.html"_s, "page");
    ASSERT_EQ(run(request({}, {u"[ファイル]200511.html"_s})).outcome.msg, Msg::UploadDone);
    EXPECT_EQ(remoteTree(), QStringList{u"200511.html"_s});

    ASSERT_EQ(run(request(u"/a/b/"_s, {})).outcome.msg, Msg::UploadDone);
    EXPECT_EQ(remoteTree(), (QStringList{u"200511.html"_s, u"a/"_s, u"a/b/"_s}));
}

TEST_F(FtpUploadTest, FolderHoldingOnlySubfolders_MakesTheDirectory_SendsNothing) {
    ASSERT_TRUE(QDir().mkpath(diary(u"old/2004"_s)));
    file(u"old/2004/x.jpg"_s, "x");
    ASSERT_EQ(run(request(u"w"_s, {u"[フォルダ]old"_s})).outcome.msg, Msg::UploadDone);
    EXPECT_EQ(remoteTree(), (QStringList{u"w/"_s, u"w/old/"_s}));
}

TEST_F(FtpUploadTest, SpacedJapaneseAndUrlSpecialNames_ArriveIntact_OnAUtf8Server) {
    file(u"写真 帳/夏 の海.jpg"_s, "sea");
    file(u"100% ;type=a #1?.html"_s, "odd");
    const UploadResult r =
        run(request(u"日記 2005"_s, {u"[フォルダ]写真 帳"_s, u"[ファイル]100% ;type=a #1?.html"_s}));
    ASSERT_EQ(r.outcome.msg, Msg::UploadDone) << messageText(r.outcome).toStdString();
    EXPECT_EQ(remoteTree(), (QStringList{u"日記 2005/"_s, u"日記 2005/100% ;type=a #1?.html"_s, u"日記 2005/写真 帳/"_s,
                                         u"日記 2005/写真 帳/夏 の海.jpg"_s}));
    EXPECT_EQ(bytesOf(remote(u"日記 2005/写真 帳/夏 の海.jpg"_s)), "sea");
}

TEST_F(FtpUploadTest, JapaneseNames_GoInCodePage932_ToAServerWithoutUtf8) {
    TearDown();
    startServer({u"--cp932"_s});
    file(u"写真/①～.jpg"_s, "cp932");
    UploadResult r = run(request(u"日記"_s, {u"[フォルダ]写真"_s}));
    ASSERT_EQ(r.outcome.msg, Msg::UploadDone) << messageText(r.outcome).toStdString();
    EXPECT_EQ(remoteTree(), (QStringList{u"日記/"_s, u"日記/写真/"_s, u"日記/写真/①～.jpg"_s}));

    // A name code page 932 cannot hold is stopped with a reason, not sent as "?".
    file(u"絵/\U0001F600.jpg"_s, "emoji");
    r = run(request(u"日記"_s, {u"[フォルダ]絵"_s}));
    EXPECT_EQ(r.outcome.msg, Msg::ErrorWithReason);
    EXPECT_TRUE(r.outcome.args.value(0).contains(u"\U0001F600"_s)) << messageText(r.outcome).toStdString();
    EXPECT_FALSE(remoteTree().join(u' ').contains(u'?'));
}

TEST_F(FtpUploadTest, WrongPassword_ErrorWithTheServersReason_NothingSentNothingDeleted) {
    file(u"image/a.jpg"_s, "a");
    const UploadResult r = run(request(u"www"_s, {u"[フォルダ]image"_s}, 1, u"wrong"_s));
    EXPECT_FALSE(r.arrived);
    EXPECT_TRUE(messageText(r.outcome).startsWith(u"エラーが発生しました。\r\n530 "_s)) << messageText(r.outcome).toStdString();
    EXPECT_TRUE(remoteTree().isEmpty());
    EXPECT_TRUE(QFile::exists(diary(u"image/a.jpg"_s)));
}

TEST_F(FtpUploadTest, RefusedDirectory_ErrorWithTheServersReason) {
    // A plain file where the base directory should be: the second level cannot be made.
    QFile blocker(remote(u"www"_s));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    file(u"a.html"_s, "a");
    const UploadResult r = run(request(u"www/diary"_s, {u"[ファイル]a.html"_s}));
    EXPECT_EQ(r.outcome.msg, Msg::ErrorWithReason);
    EXPECT_TRUE(r.outcome.args.value(0).startsWith(u"550 "_s)) << messageText(r.outcome).toStdString();
}

TEST_F(FtpUploadTest, ServerStoppedMidRun_Error_NothingDeleted) {
    for (int i = 0; i < 5; ++i)
        file(u"image/%1.jpg"_s.arg(i), awkwardBytes(2000, quint32(i)));
    const UploadResult r = run(request(u"www"_s, {u"[フォルダ]image"_s}, 1), [&](const UploadProgress& p) {
        if (p.filesDone == 2 && server.state() != QProcess::NotRunning) {
            server.kill();
            server.waitForFinished(5000);
        }
    });
    EXPECT_FALSE(r.arrived);
    EXPECT_TRUE(messageText(r.outcome).startsWith(u"エラーが発生しました。\r\n"_s)) << messageText(r.outcome).toStdString();
    EXPECT_EQ(QDir(diary(u"image"_s)).entryList(QDir::Files).size(), 5);
}

TEST_F(FtpUploadTest, CancelMidFile_StopsCancelled_NothingDeleted) {
    file(u"image/big.jpg"_s, awkwardBytes(8 << 20, 7));
    CurlFtpSession session;
    UploadRunner runner(session);
    const UploadResult r = runner.run(request(u"www"_s, {u"[フォルダ]image"_s}, 1), [&](const UploadProgress& p) {
        if (p.bytesSent > 0)
            runner.cancel();
    });
    EXPECT_EQ(r.outcome.msg, Msg::UploadCancelled);
    EXPECT_TRUE(QFile::exists(diary(u"image/big.jpg"_s)));
}

TEST_F(FtpUploadTest, CleanUp_WithAndWithoutChksaku_AndForImages) {
    file(u"image/a.jpg"_s, "a");
    file(u"image/keep/k.jpg"_s, "k");
    file(u"images/x.jpg"_s, "x");
    const auto imageFiles = [&] { return QDir(diary(u"image"_s)).entryList(QDir::Files); };

    ASSERT_EQ(run(request(u"www"_s, {u"[フォルダ]image"_s}, 0)).outcome.msg, Msg::UploadDone);
    EXPECT_EQ(imageFiles(), QStringList{u"a.jpg"_s});

    // images alone asks for the clean-up, but nothing of image went out: nothing goes.
    ASSERT_EQ(run(request(u"www"_s, {u"[フォルダ]images"_s}, 1)).outcome.msg, Msg::UploadDone);
    EXPECT_EQ(imageFiles(), QStringList{u"a.jpg"_s});

    const UploadResult r = run(request(u"www"_s, {u"[フォルダ]images"_s, u"[フォルダ]image"_s}, 1));
    ASSERT_EQ(r.outcome.msg, Msg::UploadDone);
    EXPECT_TRUE(imageFiles().isEmpty());
    EXPECT_TRUE(QFile::exists(diary(u"image/keep/k.jpg"_s)));
    EXPECT_TRUE(QFile::exists(diary(u"images/x.jpg"_s)));
    EXPECT_EQ(bytesOf(remote(u"www/image/a.jpg"_s)), "a");
}

// --- tsuzuri-cli upload ---

namespace {

class CliUploadTest : public FtpUploadTest {
protected:
    void SetUp() override {
        FtpUploadTest::SetUp();
        settings.host = host;
        settings.user = u"tsuzuri"_s;
        settings.password = u"secret"_s;
        settings.remoteDir = u"www"_s;
        file(u"200511.html"_s, "page");
    }

    int cli(const QStringList& args, bool interactive, const QString& answer = {}) {
        EXPECT_TRUE(writeConnectionSettings(home(), u"diary"_s, settings).ok());
        out.clear();
        err.clear();
        QString in = answer;
        QTextStream o(&out), e(&err), i(&in);
        cli::Context ctx{o, e, i, home(), interactive};
        const int rc = cli::runCli(QStringList{u"upload"_s, u"--folder"_s, u"diary"_s} + args, ctx);
        o.flush();
        e.flush();
        return rc;
    }

    ConnectionSettings settings;
    QString out, err;
};

} // namespace

TEST_F(CliUploadTest, WithoutATerminal_RefusesWithoutYes_SendsNothing) {
    EXPECT_EQ(cli({u"[ファイル]200511.html"_s}, false), 2);
    EXPECT_TRUE(err.contains(u"--yes"_s));
    EXPECT_EQ(logins(), 0);
    EXPECT_TRUE(remoteTree().isEmpty());
}

TEST_F(CliUploadTest, Yes_UploadsWithTheFoldersSettings_ProgressOnStderr_Exit0) {
    EXPECT_EQ(cli({u"--yes"_s, u"[ファイル]200511.html"_s}, false), 0) << err.toStdString();
    EXPECT_EQ(out, u"アップロード完了\n"_s);
    EXPECT_TRUE(err.contains(u"[1/1] 200511.html"_s)) << err.toStdString();
    EXPECT_EQ(bytesOf(remote(u"www/200511.html"_s)), "page");
}

TEST_F(CliUploadTest, OnATerminal_AsksTheQuestion_AndOnlyYesUploads) {
    EXPECT_EQ(cli({u"[ファイル]200511.html"_s}, true, u"n\n"_s), 1);
    EXPECT_TRUE(err.startsWith(u"【 diary 】内の選択されたファイルを\n【 www 】配下にアップロードします。\nよろしいですか？"_s))
        << err.toStdString();
    EXPECT_EQ(logins(), 0);

    EXPECT_EQ(cli({u"[ファイル]200511.html"_s}, true, u"y\n"_s), 0) << err.toStdString();
    EXPECT_EQ(bytesOf(remote(u"www/200511.html"_s)), "page");
}

TEST_F(CliUploadTest, FailedUpload_Exit1_WithTheServersReason) {
    settings.password = u"wrong"_s;
    EXPECT_EQ(cli({u"--yes"_s, u"[ファイル]200511.html"_s}, false), 1);
    EXPECT_TRUE(err.contains(u"エラーが発生しました。\n530 "_s)) << err.toStdString();
    EXPECT_EQ(cli({u"--yes"_s, u"[ファイル]nothere.html"_s}, false), 1);
    EXPECT_TRUE(err.contains(u"nothere.html"_s)) << err.toStdString();
}

TEST(CurlFtpSessionTest, HostTextThatIsNoHostOrPort_AndLineBreaksInTheLogin_RefusedBeforeConnecting) {
    for (const QString& host : {u""_s, u"ftp://example.jp"_s, u"example.jp:0"_s, u"example.jp:65536"_s,
                                u"example.jp:21x"_s, u"example.jp/www"_s, u"me@example.jp"_s, u"exa mple.jp"_s,
                                u"example.jp\r\nUSER x"_s, u"[::1"_s}) {
        CurlFtpSession s;
        EXPECT_FALSE(s.login(host, u"u"_s, u"p"_s)) << host.toStdString();
        EXPECT_EQ(s.reason(), messageText(Msg::UploadBadHost, {host})) << host.toStdString();
    }
    CurlFtpSession s;
    EXPECT_FALSE(s.login(u"example.jp"_s, u"u\r\nDELE x"_s, u"p"_s));
    EXPECT_EQ(s.reason(), messageText(Msg::UploadBadLogin));
    EXPECT_FALSE(s.login(u"example.jp"_s, u"u"_s, u"p\nx"_s));
}
