// The upload tab of the main window, offscreen, over a recording FTP session on the window's worker.

#include "fake_ftp_session.h"
#include "fake_services.h"
#include "qt_printers.h"

#include "ui/frm_main.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
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
    QString reason() const override { return fake_.reason(); }
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

class UploadWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        file(u"image/a.jpg"_s, QByteArray(3000, 'a'));
        file(u"image/b.jpg"_s, QByteArray(1000, 'b'));
        file(u"image/keep/k.jpg"_s, "k");
        file(u"calender.css"_s, QByteArray(1000, 'c'));
        file(u"200511.html"_s, "page");
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

    void TearDown() override { window.reset(); }

    QString diary(const QString& rel) const { return home.path() + u"/diary/"_s + rel; }
    QString local(const QString& rel) const { return QDir::toNativeSeparators(diary(rel)); }
    void file(const QString& rel, const QByteArray& bytes) {
        ASSERT_TRUE(QDir().mkpath(QFileInfo(diary(rel)).path()));
        QFile f(diary(rel));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    QStringList imageFiles() const { return QDir(diary(u"image"_s)).entryList(QDir::Files, QDir::Name); }

    // Selects rows in the order given (the window must send them in list order).
    void select(std::initializer_list<int> rows) {
        for (int r : rows)
            window->List1->item(r)->setSelected(true);
    }
    // Answers the question with Yes and waits for the outcome.
    void upload() {
        messages.answers.push_back(Answer::Yes);
        window->cmdUP->click();
        ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isUploading(); }, 10000));
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

} // namespace

TEST_F(UploadWindowTest, Question_ShowsTheNamesAsTyped_AndNoSendsNothing) {
    select({0});
    messages.answers.push_back(Answer::No);
    window->cmdUP->click();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_EQ(messages.shown[0].text, kQuestion);
    EXPECT_EQ(messages.shown[0].buttons, Buttons::YesNo);
    EXPECT_TRUE(ftp.made.empty());
    EXPECT_FALSE(window->isUploading());
    EXPECT_TRUE(idle());
}

TEST_F(UploadWindowTest, Example_SendsTheCommandsInListOrder_ThenShowsDone_KeepsSelectionAndPhotos) {
    select({2, 0}); // calender.css picked first
    upload();
    EXPECT_EQ(ftp.last().login_, (QStringList{u"ftp.example.jp"_s, u"me"_s, u"pw"_s}));
    EXPECT_EQ(
        ftp.last().commands,
        (QStringList{u"MKDIR \"www\""_s, u"MKDIR \"www/diary\""_s, u"MKDIR \"/www/diary/image\""_s,
                     u"PUT \""_s + local(u"image/a.jpg"_s) + u"\" /www/diary/image/a.jpg"_s,
                     u"PUT \""_s + local(u"image/b.jpg"_s) + u"\" /www/diary/image/b.jpg"_s,
                     u"PUT \""_s + local(u"calender.css"_s) + u"\" /www/diary/calender.css"_s, u"close"_s, u"QUIT"_s}));
    EXPECT_EQ(messages.texts(), (QStringList{kQuestion, u"アップロード完了"_s}));
    EXPECT_TRUE(idle());
    EXPECT_EQ(imageFiles(), (QStringList{u"a.jpg"_s, u"b.jpg"_s})); // chksaku cleared
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
    select({0, 2});
    messages.answers.push_back(Answer::Yes);
    window->cmdUP->click();

    // a.jpg (3000 of 5000 bytes) is on the server, b.jpg is going out; the window keeps running meanwhile.
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->lblUploadFile->text() == u"送信中：image/b.jpg"_s; }, 10000))
        << window->lblUploadFile->text().toStdString();
    EXPECT_TRUE(window->isUploading());
    EXPECT_FALSE(window->cmdUP->isEnabled());
    EXPECT_FALSE(window->cmdLoad->isEnabled());
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
    EXPECT_EQ(messages.texts().last(), u"アップロード完了"_s);
    EXPECT_TRUE(idle());
    // The last figures arrived before the outcome.
    EXPECT_EQ(window->prgUpload->value(), window->prgUpload->maximum());
    EXPECT_TRUE(window->prgUpload->format().startsWith(u"3 / 3 ファイル"_s))
        << window->prgUpload->format().toStdString();
}

TEST_F(UploadWindowTest, RefusedLogin_ShowsTheServersReason_SendsAndDeletesNothing) {
    ftp.script = [](FakeFtpSession& f) { f.refuseLogin = u"530 Login incorrect."_s; };
    window->chksaku->setChecked(true);
    select({0});
    upload();
    EXPECT_EQ(messages.texts(), (QStringList{kQuestion, u"エラーが発生しました。\r\n530 Login incorrect."_s}));
    EXPECT_TRUE(ftp.last().commands.isEmpty());
    EXPECT_EQ(imageFiles(), (QStringList{u"a.jpg"_s, u"b.jpg"_s}));
    EXPECT_TRUE(idle());
}

TEST_F(UploadWindowTest, CleanUp_OnlyWhenTicked_AndOnlyAfterEveryFileArrived_LeavesSubfolders) {
    select({0});

    // A greyed box is not a ticked one.
    window->chksaku->setCheckState(Qt::PartiallyChecked);
    upload();
    EXPECT_EQ(messages.texts().last(), u"アップロード完了"_s);
    EXPECT_EQ(imageFiles(), (QStringList{u"a.jpg"_s, u"b.jpg"_s}));

    // a.jpg reached the server, b.jpg did not: the run failed and both stay.
    window->chksaku->setChecked(true);
    const QString putB = u"PUT \""_s + local(u"image/b.jpg"_s) + u"\" /www/diary/image/b.jpg"_s;
    ftp.script = [&](FakeFtpSession& f) { f.failOn = putB; };
    upload();
    EXPECT_EQ(messages.texts().last(), u"エラーが発生しました。\r\n550 Permission denied."_s);
    EXPECT_EQ(imageFiles(), (QStringList{u"a.jpg"_s, u"b.jpg"_s}));

    ftp.script = nullptr;
    upload();
    EXPECT_EQ(messages.texts().last(), u"アップロード完了"_s);
    EXPECT_TRUE(imageFiles().isEmpty());
    EXPECT_TRUE(QFile::exists(diary(u"image/keep/k.jpg"_s)));
    EXPECT_EQ(window->List1->count(), 3);
    EXPECT_TRUE(idle());
}

TEST_F(UploadWindowTest, CleanUpThatCannotDelete_ShownAfterDone) {
    select({0});
    window->chksaku->setChecked(true);
    // Files in a folder without write permission cannot be deleted.
    QFile::setPermissions(diary(u"image"_s), QFile::ReadOwner | QFile::ExeOwner);
    upload();
    QFile::setPermissions(diary(u"image"_s), QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    if (imageFiles().isEmpty())
        GTEST_SKIP() << "the folder's permissions do not hold (running as root?)";
    ASSERT_EQ(messages.shown.size(), 3);
    EXPECT_EQ(messages.shown[1].text, u"アップロード完了"_s);
    EXPECT_TRUE(messages.shown[2].text.startsWith(
        u"エラーが発生しました。\r\n[image]フォルダ内の次のファイルを削除できませんでした。\r\n"_s));
    EXPECT_TRUE(messages.shown[2].text.contains(local(u"image/a.jpg"_s)));
    EXPECT_TRUE(idle());
}

TEST_F(UploadWindowTest, CancelButton_StopsTheRun_NothingDeleted) {
    ftp.script = [](FakeFtpSession& f) { f.blockPuts = true; };
    window->chksaku->setChecked(true);
    select({0});
    messages.answers.push_back(Answer::Yes);
    window->cmdUP->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->lblUploadFile->text().startsWith(u"送信中"_s); }, 10000));
    window->cmdUPCancel->click();
    EXPECT_FALSE(window->cmdUPCancel->isEnabled());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !window->isUploading(); }, 10000));
    EXPECT_EQ(messages.texts().last(), u"アップロードを中止しました。"_s);
    EXPECT_EQ(imageFiles(), (QStringList{u"a.jpg"_s, u"b.jpg"_s}));
    EXPECT_TRUE(idle());
}

TEST_F(UploadWindowTest, ClosingDuringTheRun_AsksFirst_YesStopsItAndCloses) {
    ftp.script = [](FakeFtpSession& f) { f.blockPuts = true; };
    window->chksaku->setChecked(true);
    select({0});
    messages.answers.push_back(Answer::Yes);
    window->cmdUP->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->lblUploadFile->text().startsWith(u"送信中"_s); }, 10000));

    messages.answers.push_back(Answer::No);
    EXPECT_FALSE(window->close());
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->isUploading());
    EXPECT_EQ(messages.texts().last(), u"アップロード中です。\r\nアップロードを中止して終了しますか？"_s);

    messages.answers.push_back(Answer::Yes);
    EXPECT_TRUE(window->close());
    EXPECT_FALSE(window->isUploading());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_GE(ftp.last().abandoned, 1);
    // Nothing more reaches the closed window, and no photo goes.
    QTest::qWait(50);
    EXPECT_EQ(messages.shown.size(), 3);
    EXPECT_EQ(imageFiles(), (QStringList{u"a.jpg"_s, u"b.jpg"_s}));
}

TEST_F(UploadWindowTest, WindowDestroyedDuringTheRun_StopsItWithoutCrashing) {
    ftp.script = [](FakeFtpSession& f) { f.blockPuts = true; };
    select({0});
    messages.answers.push_back(Answer::Yes);
    window->cmdUP->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return window->isUploading() && !ftp.last().commands.isEmpty(); }, 10000));
    window.reset();
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_GE(ftp.last().abandoned, 1);
    QTest::qWait(20);
}
