// The upload against real servers on free loopback ports: FTP and FTPS (pyftpdlib), SFTP (asyncssh).

#include "cli/cli.h"
#include "diary/messages.h"
#include "fakes.h"
#include "settings/settings_files.h"
#include "upload/curl_ftp_client.h"
#include "upload/server_trust.h"
#include "upload/upload_runner.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <QTemporaryDir>

#include "qt_printers.h"

#include <gtest/gtest.h>

#include <tuple>

using namespace Qt::StringLiterals;
using namespace tsuzuri;
using namespace tsuzuri::upload;

namespace {

class FtpUploadTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir(root.path()).mkpath(u"prog/diary/image"_s) && QDir(root.path()).mkpath(u"server"_s));
        startServer(keyOption());
    }
    void TearDown() override { stopServer(); }
    // The server's protocol and key file: plain FTP here.
    virtual QStringList keyOption(const QString& = u"key.pem"_s) const { return {}; }

    // --tls or --sftp with the server's key file: the same file gives the same key again.
    void startServer(const QStringList& extra = {}) {
        log.clear();
        server.start(QString::fromUtf8(TSUZURI_FTP_PYTHON),
                     QStringList{QString::fromUtf8(TSUZURI_SOURCE_DIR) + u"/tests/ftp_server.py"_s, u"--home"_s,
                                 serverHome(), u"--user"_s, u"tsuzuri"_s, u"--password"_s, u"secret"_s} +
                         extra);
        ASSERT_TRUE(server.waitForStarted(10000)) << "cannot start " TSUZURI_FTP_PYTHON;
        while (!server.canReadLine() && server.waitForReadyRead(10000)) {
        }
        const QByteArray first = server.readLine().trimmed();
        ASSERT_TRUE(first.startsWith("PORT "))
            << "the test FTP server did not start (is pyftpdlib installed for " << TSUZURI_FTP_PYTHON
            << "?): " << server.readAllStandardError().toStdString();
        host = u"127.0.0.1:"_s + QString::fromLatin1(first.mid(5));
    }
    void stopServer() {
        server.kill();
        server.waitForFinished(5000);
    }
    qsizetype logins() {
        server.waitForReadyRead(50);
        log += server.readAllStandardOutput();
        return log.count("LOGIN ");
    }
    // The files the server received since the last call, in order.
    QStringList stored() {
        logins();
        QStringList files;
        for (const QByteArray& line : std::exchange(log, {}).split('\n'))
            if (line.startsWith("STORED "))
                files << QString::fromUtf8(line.mid(7));
        return files;
    }

    QString home() const { return root.filePath(u"prog"_s); }
    QString diary(const QString& rel) const { return home() + u"/diary/"_s + rel; }
    QString serverHome() const { return root.filePath(u"server"_s); }
    QString remote(const QString& rel) const { return serverHome() + u'/' + rel; }
    QStringList imageFiles() const { return QDir(diary(u"image"_s)).entryList(QDir::Files); }

    void file(const QString& rel, const QByteArray& bytes) { ASSERT_TRUE(test::writeBytes(diary(rel), bytes)); }

    UploadRequest request(const QString& rootText, QStringList selected, int deleteAfterUpload = 0,
                          Protocol protocol = Protocol::Ftp) const {
        return {home(),
                u"diary"_s,
                {host, u"tsuzuri"_s, u"secret"_s, rootText, deleteAfterUpload, protocol},
                std::move(selected)};
    }
    UploadResult run(const UploadRequest& r, const UploadRunner::ProgressCallback& progress = {}) {
        CurlFtpSession session;
        return UploadRunner(session).run(r, progress);
    }

    QTemporaryDir root;
    QProcess server;
    QString host;
    QByteArray log;
};

} // namespace

TEST_F(FtpUploadTest, JapaneseNames_GoInCodePage932_ToAServerWithoutUtf8_NamesItCannotHoldAreStopped) {
    stopServer();
    startServer({u"--cp932"_s});
    file(u"写真/①～.jpg"_s, "cp932");
    file(u"絵/\U0001F600.jpg"_s, "emoji");
    UploadResult r = run(request(u"日記"_s, {u"[フォルダ]写真"_s}));
    ASSERT_EQ(r.outcome.msg, Msg::UploadDone) << messageText(r.outcome).toStdString();
    EXPECT_EQ(test::readBytes(remote(u"日記/写真/①～.jpg"_s)), "cp932");

    r = run(request(u"日記"_s, {u"[フォルダ]絵"_s}));
    EXPECT_EQ(r.outcome.msg, Msg::UploadNameNotEncodable);
    EXPECT_TRUE(r.outcome.args.value(0).contains(u"\U0001F600"_s)) << messageText(r.outcome).toStdString();
}

// FTPS to a server that refuses AUTH TLS stops before the password goes out; a wrong password: the CLI test.
TEST_F(FtpUploadTest, RefusedDirectoryOrNoTls_ErrorSaysWhy_NothingSentNothingDeleted) {
    file(u"image/a.jpg"_s, "a");
    ASSERT_TRUE(test::writeBytes(remote(u"www"_s), {})); // a plain file where the base directory should be
    for (const auto& [root, protocol, says] :
         {std::tuple{u"www/diary"_s, Protocol::Ftp, u"550 "_s}, {u"w"_s, Protocol::Ftps, u"接続先【 127.0.0.1"_s}}) {
        const UploadResult r = run(request(root, {u"[フォルダ]image"_s}, 1, protocol));
        EXPECT_FALSE(r.arrived || r.untrusted);
        EXPECT_TRUE(messageText(r.outcome).startsWith(u"エラーが発生しました。\r\n"_s + says))
            << messageText(r.outcome).toStdString();
        EXPECT_EQ(logins(), 1);
        EXPECT_EQ(QDir(serverHome()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot), QStringList{u"www"_s});
        EXPECT_EQ(imageFiles(), QStringList{u"a.jpg"_s});
    }
}

TEST_F(FtpUploadTest, CancelMidFile_StopsTheRun_NothingDeleted) {
    file(u"image/big.jpg"_s, QByteArray(8 << 20, 'x'));
    CurlFtpSession session;
    UploadRunner runner(session);
    const UploadResult r = runner.run(request(u"www"_s, {u"[フォルダ]image"_s}, 1), [&](const UploadProgress& p) {
        if (p.bytesSent > 0)
            runner.cancel();
    });
    EXPECT_EQ(r.outcome.msg, Msg::UploadCancelled);
    EXPECT_EQ(imageFiles(), QStringList{u"big.jpg"_s});
}

TEST_F(FtpUploadTest, Cli_AsksOnATerminal_NeedsYesWithoutOne_ExitZeroOnlyWhenEverythingArrived) {
    file(u"200511.html"_s, "page");
    const QString page = u"[ファイル]200511.html"_s;
    QString out, err;
    const auto cliUpload = [&](const QStringList& args, bool terminal, QString answer = {},
                               const QString& password = u"secret"_s) {
        EXPECT_TRUE(writeConnectionSettings(home(), u"diary"_s, {host, u"tsuzuri"_s, password, u"www"_s, 0}).ok());
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err), i(&answer);
        cli::Context ctx{o, e, i, home(), terminal};
        return cli::runCli(QStringList{u"upload"_s, u"--folder"_s, u"diary"_s} + args, ctx);
    };
    EXPECT_EQ(cliUpload({page}, false), 2);
    EXPECT_TRUE(err.contains(u"--yes"_s)) << err.toStdString();
    EXPECT_EQ(cliUpload({page}, true, u"n\n"_s), 1);
    EXPECT_TRUE(err.startsWith(u"送るファイル: 1 件（4 bytes）\n"_s) && err.contains(u"よろしいですか？"_s))
        << err.toStdString();
    EXPECT_EQ(cliUpload({u"--yes"_s, page}, false, {}, u"wrong"_s), 1);
    EXPECT_TRUE(err.contains(u"エラーが発生しました。\n530 "_s)) << err.toStdString();
    EXPECT_EQ(cliUpload({u"--yes"_s, page, u"[ファイル]../ini/app_diary.ini"_s}, false), 1);
    EXPECT_TRUE(err.contains(u"【 [ファイル]../ini/app_diary.ini 】"_s)) << err.toStdString();

    EXPECT_EQ(cliUpload({page}, true, u"y\n"_s), 0) << err.toStdString();
    EXPECT_TRUE(err.contains(u"[1/1] 200511.html"_s)) << err.toStdString();
    EXPECT_EQ(out, u"アップロード完了\n"_s);
    EXPECT_EQ(stored(), QStringList{u"www/200511.html"_s});
    qputenv("TSUZURI_FTP_PASSWORD", "secret"); // wins over the file's wrong one
    EXPECT_EQ(cliUpload({u"--yes"_s, u"--all"_s, page}, false, {}, u"wrong"_s), 0) << err.toStdString();
    qunsetenv("TSUZURI_FTP_PASSWORD");
    EXPECT_EQ(stored(), QStringList{u"www/200511.html"_s});

    // An SFTP server nobody trusted yet: without a terminal only its fingerprint, given back, trusts it.
    stopServer();
    startServer({u"--sftp"_s, root.filePath(u"key"_s)});
    const QStringList sftp{u"--yes"_s, u"--protocol"_s, u"sftp"_s, page};
    EXPECT_EQ(cliUpload(sftp, false), 1);
    const QString fingerprint = err.section(u"--trust-fingerprint "_s, 1).trimmed();
    EXPECT_EQ(cliUpload(sftp + QStringList{u"--trust-fingerprint"_s, u"SHA256:other"_s}, false), 1);
    EXPECT_EQ(cliUpload(sftp + QStringList{u"--trust-fingerprint"_s, fingerprint}, false), 0) << err.toStdString();
    EXPECT_EQ(stored(), QStringList{u"www/200511.html"_s});
}

TEST(CurlFtpSessionTest, HostTextThatIsNoHostOrPort_AndLineBreaksInTheLogin_RefusedBeforeConnecting) {
    QList<std::tuple<QString, QString, Msg>> cases{{u"example.jp"_s, u"22a"_s, Msg::UploadBadPort},
                                                   {u"example.jp:21"_s, u"0"_s, Msg::UploadBadPort}};
    for (const QString& host :
         {u""_s, u"ftp://example.jp"_s, u"example.jp:0"_s, u"example.jp:65536"_s, u"example.jp:21x"_s,
          u"example.jp/www"_s, u"me@example.jp"_s, u"exa mple.jp"_s, u"example.jp\r\nUSER x"_s, u"[::1"_s})
        cases.append({host, {}, Msg::UploadBadHost});
    for (const auto& [host, port, msg] : cases) {
        CurlFtpSession s;
        EXPECT_FALSE(s.login({Protocol::Sftp, host, port, u"u"_s, u"p"_s, {}})) << host.toStdString();
        EXPECT_EQ(s.failure().msg, msg) << host.toStdString();
    }
    CurlFtpSession s;
    EXPECT_FALSE(s.login({Protocol::Ftp, u"example.jp"_s, {}, u"u\r\nDELE x"_s, u"p"_s, {}}));
    EXPECT_EQ(s.failure().msg, Msg::UploadBadLogin);
    EXPECT_FALSE(s.login({Protocol::Ftps, u"example.jp"_s, {}, u"u"_s, u"p\nx"_s, {}}));
}

// The three protocols end to end: trust, a full upload, only the edited page, an interrupted run resumed,
// and a key that changed since it was trusted; spaces, Japanese and URL-special characters arrive as named.
class ProtocolUploadTest : public FtpUploadTest, public ::testing::WithParamInterface<Protocol> {
protected:
    QStringList keyOption(const QString& keyFile) const override {
        if (GetParam() == Protocol::Ftp)
            return {};
        return {GetParam() == Protocol::Ftps ? u"--tls"_s : u"--sftp"_s, root.filePath(keyFile)};
    }
    static QString photo(int i) { return u"image/夏 %1 100% ;type=a #?.jpg"_s.arg(i); }
    static QString sent(const QString& rel) { return u"日記 2005/"_s + rel; }
    UploadRequest site(bool onlyChanged = true) const {
        UploadRequest r = request(u"日記 2005"_s, {u"[フォルダ]image"_s, u"[ファイル]200511.html"_s}, 0, GetParam());
        r.onlyChanged = onlyChanged;
        return r;
    }
};

INSTANTIATE_TEST_SUITE_P(Protocols, ProtocolUploadTest,
                         ::testing::Values(Protocol::Ftp, Protocol::Ftps, Protocol::Sftp),
                         [](const auto& info) { return protocolName(info.param).toStdString(); });

TEST_P(ProtocolUploadTest, TrustedOnce_FullUpload_ThenOnlyTheEditedPage_ThenAnInterruptedRunResumes_ThenKeyChanged) {
    QByteArray picture("\r\n\r\x1a\n\0"_ba); // awkward for an ASCII-mode transfer, and every byte value
    for (int i = 0; picture.size() < 20000; ++i)
        picture.append(char(i * 7919 % 256));
    for (int i = 0; i < 4; ++i)
        file(photo(i), picture + QByteArray(i, 'x'));
    file(u"200511.html"_s, "page");

    UploadResult r = run(site());
    QString trusted;
    if (GetParam() != Protocol::Ftp) {
        ASSERT_TRUE(r.untrusted) << messageText(r.outcome).toStdString();
        trusted = r.untrusted->fingerprint();
        EXPECT_EQ(r.outcome.msg, GetParam() == Protocol::Sftp ? Msg::HostKeyNotTrusted : Msg::CertificateNotTrusted);
        EXPECT_EQ(r.outcome.args, (QStringList{u"127.0.0.1:"_s + host.section(u':', 1), r.untrusted->fingerprint()}));
        EXPECT_EQ(logins(), 0) << "nothing may go out before the server is trusted";
        ASSERT_TRUE(trustServer(home(), *r.untrusted).ok());
        r = run(site());
    }
    ASSERT_EQ(r.outcome.msg, Msg::UploadDone) << messageText(r.outcome).toStdString();
    EXPECT_EQ(logins(), 1);
    EXPECT_EQ(stored().size(), 5);
    EXPECT_EQ(test::readBytes(remote(sent(photo(3)))), test::readBytes(diary(photo(3))));

    file(u"200511.html"_s, "PAGE"); // the same size, other bytes
    ASSERT_EQ(run(site()).outcome.msg, Msg::UploadDone);
    EXPECT_EQ(stored(), QStringList{sent(u"200511.html"_s)});
    EXPECT_EQ(test::readBytes(remote(sent(u"200511.html"_s))), "PAGE");

    for (int i = 0; i < 4; ++i)
        file(photo(i), "edited");
    CurlFtpSession session;
    UploadRunner runner(session);
    r = runner.run(site(), [&](const UploadProgress& p) {
        if (p.filesDone == 2)
            runner.cancel();
    });
    EXPECT_EQ(r.outcome.msg, Msg::UploadCancelled);
    EXPECT_EQ(stored(), (QStringList{sent(photo(0)), sent(photo(1))}));
    ASSERT_EQ(run(site()).outcome.msg, Msg::UploadDone);
    EXPECT_EQ(stored(), (QStringList{sent(photo(2)), sent(photo(3))}));
    ASSERT_EQ(run(site(false)).outcome.msg, Msg::UploadDone);
    EXPECT_EQ(stored().size(), 5) << "everything goes without the shortcut";

    if (GetParam() == Protocol::Ftp)
        return; // plain FTP has no key
    stopServer();
    startServer(keyOption(u"other-key.pem"_s) + QStringList{u"--port"_s, host.section(u':', 1)});
    r = run(site());
    EXPECT_FALSE(r.untrusted) << "a changed key is refused with a warning, never offered for trust";
    EXPECT_EQ(r.outcome.msg, GetParam() == Protocol::Sftp ? Msg::HostKeyChanged : Msg::CertificateChanged);
    EXPECT_EQ(r.outcome.args.value(1), trusted);
    EXPECT_NE(r.outcome.args.value(2), trusted);
    EXPECT_EQ(logins(), 0);
}
