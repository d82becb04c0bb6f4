// The upload tab end to end: the window, the libcurl session on the worker, and a real FTP server
// (pyftpdlib) on a free loopback port.
#include "fake_services.h"
#include "qt_printers.h"

#include "ui/frm_main.h"
#include "upload/curl_ftp_client.h"

#include <QCheckBox>
#include <QDirIterator>
#include <QLineEdit>
#include <QListWidget>
#include <QProcess>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;
using test::readBytes;
using test::writeBytes;

namespace {

class CurlConnector final : public FtpConnector {
public:
    std::unique_ptr<upload::FtpSession> makeSession() override { return upload::makeCurlFtpSession(); }
};

TEST(UploadWindowFtpTest, Example_ArrivesByteForByte_ThenTheImageFolderIsEmptied) {
    QTemporaryDir root;
    const QString server = root.filePath(u"server"_s);
    ASSERT_TRUE(QDir().mkpath(server));
    QProcess ftpd;
    ftpd.start(QString::fromUtf8(TSUZURI_FTP_PYTHON),
               {QString::fromUtf8(TSUZURI_SOURCE_DIR) + u"/tests/ftp_server.py"_s, u"--home"_s, server, u"--user"_s,
                u"tsuzuri"_s, u"--password"_s, u"secret"_s});
    while (!ftpd.canReadLine() && ftpd.waitForReadyRead(10000)) {
    }
    const QByteArray port = ftpd.readLine().trimmed();
    ASSERT_TRUE(port.startsWith("PORT "))
        << "the test FTP server did not start (is pyftpdlib installed for " << TSUZURI_FTP_PYTHON << "?)";

    // Awkward bytes for an ASCII-mode transfer: CR LF, lone CR and LF, Ctrl-Z, every byte value.
    QByteArray photo("\r\n\r\x1a\n\0"_ba);
    for (int i = 0; photo.size() < 200000; ++i)
        photo.append(char(i * 7919 % 256));
    const QString diary = root.filePath(u"prog/diary/"_s);
    ASSERT_TRUE(writeBytes(diary + u"image/a.jpg"_s, photo));
    ASSERT_TRUE(writeBytes(diary + u"image/b.jpg"_s, "b\r\n"));
    ASSERT_TRUE(writeBytes(diary + u"calender.css"_s, "td.sun { color: red; }\r\n"));
    ASSERT_TRUE(writeBytes(diary + u"200511.html"_s, "not selected"));

    test::RecordingMessages messages;
    test::FixedClock clock;
    test::RecordingClipboard clipboard;
    CurlConnector connector;
    frmMain window(root.filePath(u"prog"_s),
                   Services{&messages, &clock, &clipboard, nullptr, nullptr, nullptr, nullptr, &connector});
    window.show();
    window.txtFTP->setText(u"127.0.0.1:"_s + QString::fromLatin1(port.mid(5)));
    window.txtID->setText(u"tsuzuri"_s);
    window.txtPass->setText(u"secret"_s);
    window.txtRoot->setText(u"www/diary"_s);
    window.chksaku->setChecked(true);
    window.List1->addItems({u"[フォルダ]image"_s, u"[ファイル]200511.html"_s, u"[ファイル]calender.css"_s});
    window.List1->item(0)->setSelected(true);
    window.List1->item(2)->setSelected(true);
    messages.answers.push_back(Answer::Yes);
    window.cmdUP->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window.isUploading(); }, 60000));
    ASSERT_EQ(messages.texts().last(), u"アップロード完了"_s);

    QStringList tree;
    for (QDirIterator it(server, QDir::AllEntries | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
         it.hasNext();) {
        const QFileInfo i(it.next());
        tree << QDir(server).relativeFilePath(i.filePath()) + (i.isDir() ? u"/"_s : QString());
    }
    tree.sort();
    EXPECT_EQ(tree, (QStringList{u"www/"_s, u"www/diary/"_s, u"www/diary/calender.css"_s, u"www/diary/image/"_s,
                                 u"www/diary/image/a.jpg"_s, u"www/diary/image/b.jpg"_s}));
    EXPECT_EQ(readBytes(server + u"/www/diary/image/a.jpg"_s), photo);
    EXPECT_EQ(readBytes(server + u"/www/diary/image/b.jpg"_s), "b\r\n");
    EXPECT_EQ(readBytes(server + u"/www/diary/calender.css"_s), readBytes(diary + u"calender.css"_s));
    EXPECT_TRUE(QDir(diary + u"image"_s).entryList(QDir::Files).isEmpty());
} // the server process ends with its QProcess

} // namespace
