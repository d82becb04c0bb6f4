// The upload tab end to end: the window, the libcurl session on the worker, and a real FTP server
// (pyftpdlib) on a free loopback port.

#include "fake_services.h"
#include "qt_printers.h"

#include "ui/frm_main.h"
#include "upload/curl_ftp_client.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

class CurlConnector final : public FtpConnector {
public:
    std::unique_ptr<upload::FtpSession> makeSession() override { return upload::makeCurlFtpSession(); }
};

QByteArray bytesOf(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

class UploadWindowFtpTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir(root.path()).mkpath(u"server"_s));
        server.start(QString::fromUtf8(TSUZURI_FTP_PYTHON),
                     {QString::fromUtf8(TSUZURI_SOURCE_DIR) + u"/tests/ftp_server.py"_s, u"--home"_s,
                      root.filePath(u"server"_s), u"--user"_s, u"tsuzuri"_s, u"--password"_s, u"secret"_s});
        ASSERT_TRUE(server.waitForStarted(10000)) << "cannot start " TSUZURI_FTP_PYTHON;
        while (!server.canReadLine() && server.waitForReadyRead(10000)) {
        }
        const QByteArray first = server.readLine().trimmed();
        ASSERT_TRUE(first.startsWith("PORT "))
            << "the test FTP server did not start (is pyftpdlib installed for " << TSUZURI_FTP_PYTHON << "?)";

        // Awkward bytes for an ASCII-mode transfer: CR LF, lone CR and LF, Ctrl-Z, every byte value.
        QByteArray photo("\r\n\r\x1a\n\0"_ba);
        for (int i = 0; photo.size() < 200000; ++i)
            photo.append(char(i * 7919 % 256));
        file(u"image/a.jpg"_s, photo);
        file(u"image/b.jpg"_s, "b\r\n");
        file(u"calender.css"_s, "td.sun { color: red; }\r\n");
        file(u"200511.html"_s, "not selected");

        window = std::make_unique<frmMain>(root.filePath(u"prog"_s), Services{&messages, &clock, &clipboard, nullptr,
                                                                              nullptr, nullptr, nullptr, &connector});
        window->show();
        window->txtFTP->setText(u"127.0.0.1:"_s + QString::fromLatin1(first.mid(5)));
        window->txtID->setText(u"tsuzuri"_s);
        window->txtPass->setText(u"secret"_s);
        window->txtRoot->setText(u"www/diary"_s);
        window->chksaku->setChecked(true);
        window->List1->addItems({u"[フォルダ]image"_s, u"[ファイル]200511.html"_s, u"[ファイル]calender.css"_s});
        window->List1->item(0)->setSelected(true);
        window->List1->item(2)->setSelected(true);
    }

    void TearDown() override {
        window.reset();
        server.kill();
        server.waitForFinished(5000);
    }

    QString diary(const QString& rel) const { return root.filePath(u"prog/diary/"_s + rel); }
    QString remote(const QString& rel) const { return root.filePath(u"server/"_s + rel); }
    void file(const QString& rel, const QByteArray& bytes) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(diary(rel)).path()));
        QFile f(diary(rel));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList remoteTree() const {
        QStringList t;
        QDirIterator it(root.filePath(u"server"_s), QDir::AllEntries | QDir::NoDotAndDotDot,
                        QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QFileInfo i(it.next());
            t << QDir(root.filePath(u"server"_s)).relativeFilePath(i.filePath()) + (i.isDir() ? u"/"_s : QString());
        }
        t.sort();
        return t;
    }
    void upload() {
        messages.answers.push_back(Answer::Yes);
        window->cmdUP->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isUploading(); }, 60000));
        EXPECT_TRUE(window->cmdUP->isEnabled() && window->cmdLoad->isEnabled());
        EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    }

    QTemporaryDir root;
    QProcess server;
    test::RecordingMessages messages;
    test::FixedClock clock;
    test::RecordingClipboard clipboard;
    CurlConnector connector;
    std::unique_ptr<frmMain> window;
};

} // namespace

TEST_F(UploadWindowFtpTest, Example_ArrivesByteForByte_ThenTheImageFolderIsEmptied) {
    const QByteArray photo = bytesOf(diary(u"image/a.jpg"_s));
    upload();
    ASSERT_EQ(messages.texts().last(), u"アップロード完了"_s);
    EXPECT_EQ(remoteTree(), (QStringList{u"www/"_s, u"www/diary/"_s, u"www/diary/calender.css"_s, u"www/diary/image/"_s,
                                         u"www/diary/image/a.jpg"_s, u"www/diary/image/b.jpg"_s}));
    EXPECT_EQ(bytesOf(remote(u"www/diary/image/a.jpg"_s)), photo);
    EXPECT_EQ(bytesOf(remote(u"www/diary/image/b.jpg"_s)), "b\r\n");
    EXPECT_EQ(bytesOf(remote(u"www/diary/calender.css"_s)), bytesOf(diary(u"calender.css"_s)));
    EXPECT_TRUE(QDir(diary(u"image"_s)).entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QFile::exists(diary(u"calender.css"_s)));
}
