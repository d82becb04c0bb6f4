// The upload tab of the main window, offscreen, over a recording FTP session on the window's worker.
#include "fake_ftp_session.h"
#include "fake_services.h"
#include "qt_printers.h"

#include "ui/frm_main.h"

#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QProgressBar>
#include <QPushButton>
#include <QSemaphore>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <vector>

using namespace Qt::StringLiterals;
using namespace tsuzuri;
using upload::Command;
using upload::testing::FakeFtpSession;

namespace {

// The window's run owns its session and drops it at the end (cancelling it); the test keeps the recording.
class ForwardingSession final : public upload::FtpSession {
public:
    explicit ForwardingSession(FakeFtpSession& fake) : fake_(fake) {}
    bool login(const QString& h, const QString& u, const QString& p) override { return fake_.login(h, u, p); }
    bool execute(const Command& c, const upload::SentBytes& sent) override { return fake_.execute(c, sent); }
    void abandon() override { fake_.abandon(); }
    Outcome failure() const override { return fake_.failure(); }
    void cancel() override { fake_.cancel(); }

private:
    FakeFtpSession& fake_;
};

// A fresh recording session per run, as the real connector gives, scripted before it starts.
class RecordingConnector final : public FtpConnector {
public:
    std::function<void(FakeFtpSession&)> script;
    std::vector<std::unique_ptr<FakeFtpSession>> made;

    std::unique_ptr<upload::FtpSession> makeSession() override {
        made.push_back(std::make_unique<FakeFtpSession>());
        if (script)
            script(*made.back());
        return std::make_unique<ForwardingSession>(*made.back());
    }
    FakeFtpSession& last() { return *made.back(); }
};

const QString kQuestion =
    u"【 diary 】内の選択されたファイルを\r\n【 www/diary 】配下にアップロードします。\r\nよろしいですか？"_s;
const QString kDone = u"アップロード完了"_s;
const QStringList kPhotos{u"a.jpg"_s, u"b.jpg"_s};

class UploadWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        for (const auto& [name, bytes] : {std::pair{u"image/a.jpg"_s, QByteArray(3000, 'a')},
                                          {u"image/b.jpg"_s, QByteArray(1000, 'b')},
                                          {u"image/keep/k.jpg"_s, QByteArray("k")},
                                          {u"calender.css"_s, QByteArray(1000, 'c')},
                                          {u"200511.html"_s, QByteArray("page")}})
            ASSERT_TRUE(test::writeBytes(diary(name), bytes));
        window = std::make_unique<frmMain>(
            home.path(), Services{&messages, &clock, &clipboard, nullptr, nullptr, nullptr, nullptr, &ftp});
        window->SSTab1->setCurrentIndex(3); // the upload tab
        window->show();
        window->txtFTP->setText(u"ftp.example.jp"_s);
        window->txtID->setText(u"me"_s);
        window->txtPass->setText(u"pw"_s);
        window->txtRoot->setText(u"www/diary"_s);
        window->List1->addItems({u"[フォルダ]image"_s, u"[ファイル]200511.html"_s, u"[ファイル]calender.css"_s});
    }

    QString diary(const QString& rel) const { return home.path() + u"/diary/"_s + rel; }
    QString put(const QString& rel) const {
        return u"PUT \""_s + QDir::toNativeSeparators(diary(rel)) + u"\" /www/diary/"_s + rel;
    }
    QStringList imageFiles() const { return QDir(diary(u"image"_s)).entryList(QDir::Files, QDir::Name); }

    // Selects rows in the order given (the window must send them in list order) and confirms the question.
    void start(std::initializer_list<int> rows) {
        for (int r : rows)
            window->List1->item(r)->setSelected(true);
        messages.answers.push_back(Answer::Yes);
        window->cmdUP->click();
    }
    void upload(std::initializer_list<int> rows = {}) {
        start(rows);
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isUploading(); }, 10000));
    }
    // A run whose first file never finishes going out by itself.
    void startBlockedRun() {
        ftp.script = [](FakeFtpSession& f) { f.blockPuts = true; };
        window->chksaku->setChecked(true);
        start({0});
        ASSERT_TRUE(QTest::qWaitFor([&] { return window->lblUploadFile->text().startsWith(u"送信中"_s); }, 10000));
    }
    bool idle() const {
        return window->cmdUP->isEnabled() && window->cmdLoad->isEnabled() && !window->isUploading() &&
               window->prgUpload->isHidden() && window->lblUploadFile->isHidden() && window->cmdUPCancel->isHidden() &&
               QApplication::overrideCursor() == nullptr;
    }

    QTemporaryDir home;
    test::RecordingMessages messages;
    test::FixedClock clock;
    test::RecordingClipboard clipboard;
    RecordingConnector ftp;
    std::unique_ptr<frmMain> window;
};

TEST_F(UploadWindowTest, Question_ShowsTheNamesAsTyped_AndNoSendsNothing) {
    window->List1->item(0)->setSelected(true);
    messages.answers.push_back(Answer::No);
    window->cmdUP->click();
    EXPECT_EQ(messages.texts(), QStringList{kQuestion});
    EXPECT_TRUE(ftp.made.empty());
    EXPECT_TRUE(idle());
}

TEST_F(UploadWindowTest, Example_SendsTheCommandsInListOrder_ThenShowsDone_KeepsSelectionAndPhotos) {
    upload({2, 0}); // calender.css picked first
    EXPECT_EQ(ftp.last().login_, (QStringList{u"ftp.example.jp"_s, u"me"_s, u"pw"_s}));
    EXPECT_EQ(ftp.last().commands, (QStringList{u"MKDIR \"www\""_s, u"MKDIR \"www/diary\""_s,
                                                u"MKDIR \"/www/diary/image\""_s, put(u"image/a.jpg"_s),
                                                put(u"image/b.jpg"_s), put(u"calender.css"_s), u"close"_s, u"QUIT"_s}));
    EXPECT_EQ(messages.texts(), (QStringList{kQuestion, kDone}));
    EXPECT_TRUE(idle());
    EXPECT_EQ(imageFiles(), kPhotos); // chksaku cleared
    EXPECT_EQ(window->List1->count(), 3);
    EXPECT_TRUE(window->List1->item(0)->isSelected() && window->List1->item(2)->isSelected());
    EXPECT_FALSE(window->List1->item(1)->isSelected());
}

TEST_F(UploadWindowTest, DuringTheRun_ButtonsOffBusyCursorAndProgress_AfterwardsAllBack) {
    QSemaphore gate;
    ftp.script = [&](FakeFtpSession& f) {
        f.during = [&](const Command& c) {
            if (c.remotePath.endsWith(u"b.jpg"_s))
                gate.tryAcquire(1, 10000);
        };
    };
    start({0, 2});
    // a.jpg (3000 of 5000 bytes) is on the server, b.jpg is going out; the window keeps running meanwhile.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->lblUploadFile->text() == u"送信中：image/b.jpg"_s; }, 10000))
        << window->lblUploadFile->text().toStdString();
    EXPECT_TRUE(window->isUploading());
    EXPECT_FALSE(window->cmdUP->isEnabled() || window->cmdLoad->isEnabled());
    EXPECT_TRUE(window->cmdUPCancel->isVisible() && window->cmdUPCancel->isEnabled());
    EXPECT_TRUE(window->prgUpload->isVisible() && window->lblUploadFile->isVisible());
    ASSERT_NE(QApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QApplication::overrideCursor()->shape(), Qt::WaitCursor);
    EXPECT_EQ(window->prgUpload->value() * 5, window->prgUpload->maximum() * 3);
    EXPECT_TRUE(window->prgUpload->format().startsWith(u"1 / 3 ファイル"_s))
        << window->prgUpload->format().toStdString();
    EXPECT_EQ(messages.shown.size(), 1);

    gate.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isUploading(); }, 10000));
    EXPECT_EQ(messages.texts().last(), kDone);
    EXPECT_TRUE(idle());
    // The last figures arrived before the outcome.
    EXPECT_EQ(window->prgUpload->value(), window->prgUpload->maximum());
    EXPECT_TRUE(window->prgUpload->format().startsWith(u"3 / 3 ファイル"_s))
        << window->prgUpload->format().toStdString();
}

TEST_F(UploadWindowTest, CleanUp_OnlyWhenTicked_AndOnlyAfterEveryFileArrived_LeavesSubfolders) {
    window->chksaku->setCheckState(Qt::PartiallyChecked); // a greyed box is not a ticked one
    upload({0});
    EXPECT_EQ(messages.texts().last(), kDone);
    EXPECT_EQ(imageFiles(), kPhotos);

    // A refused login, and a run where a.jpg arrived but b.jpg did not: errors with the server's reason.
    window->chksaku->setChecked(true);
    ftp.script = [](FakeFtpSession& f) { f.refuseLogin = u"530 Login incorrect."_s; };
    upload();
    EXPECT_EQ(messages.texts().last(), u"エラーが発生しました。\r\n530 Login incorrect."_s);
    EXPECT_TRUE(ftp.last().commands.isEmpty());
    ftp.script = [&](FakeFtpSession& f) { f.failOn = put(u"image/b.jpg"_s); };
    upload();
    EXPECT_EQ(messages.texts().last(), u"エラーが発生しました。\r\n550 Permission denied."_s);
    EXPECT_EQ(imageFiles(), kPhotos);

    ftp.script = nullptr;
    upload();
    EXPECT_EQ(messages.texts().last(), kDone);
    EXPECT_TRUE(imageFiles().isEmpty());
    EXPECT_TRUE(QFile::exists(diary(u"image/keep/k.jpg"_s)));
    EXPECT_EQ(window->List1->count(), 3);
    EXPECT_TRUE(idle());
}

TEST_F(UploadWindowTest, CleanUpThatCannotDelete_ShownAfterDone) {
    window->chksaku->setChecked(true);
    // Files in a folder without write permission cannot be deleted.
    QFile::setPermissions(diary(u"image"_s), QFile::ReadOwner | QFile::ExeOwner);
    upload({0});
    QFile::setPermissions(diary(u"image"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (imageFiles().isEmpty())
        GTEST_SKIP() << "the folder's permissions do not hold (running as root?)";
    ASSERT_EQ(messages.shown.size(), 3);
    EXPECT_EQ(messages.shown[1].text, kDone);
    EXPECT_TRUE(messages.shown[2].text.startsWith(
        u"エラーが発生しました。\r\n[image]フォルダ内の次のファイルを削除できませんでした。\r\n"_s));
    EXPECT_TRUE(messages.shown[2].text.contains(QDir::toNativeSeparators(diary(u"image/a.jpg"_s))));
    EXPECT_TRUE(idle());
}

TEST_F(UploadWindowTest, CancelButton_StopsTheRun_NothingDeleted) {
    startBlockedRun();
    window->cmdUPCancel->click();
    EXPECT_FALSE(window->cmdUPCancel->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isUploading(); }, 10000));
    EXPECT_EQ(messages.texts().last(), u"アップロードを中止しました。"_s);
    EXPECT_EQ(imageFiles(), kPhotos);
    EXPECT_TRUE(idle());
}

TEST_F(UploadWindowTest, ClosingDuringTheRun_AsksFirst_YesStopsItAndCloses) {
    startBlockedRun();
    messages.answers.push_back(Answer::No);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible() && window->isUploading());
    EXPECT_EQ(messages.texts().last(), u"アップロード中です。\r\nアップロードを中止して終了しますか？"_s);

    messages.answers.push_back(Answer::Yes);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isUploading());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_GE(ftp.last().abandoned, 1);
    QTest::qWait(50); // nothing more reaches the closed window, and no photo goes
    EXPECT_EQ(messages.shown.size(), 3);
    EXPECT_EQ(imageFiles(), kPhotos);
}

TEST_F(UploadWindowTest, WindowDestroyedDuringTheRun_StopsItWithoutCrashing) {
    startBlockedRun();
    window.reset();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_GE(ftp.last().abandoned, 1);
    QTest::qWait(20);
}

} // namespace
