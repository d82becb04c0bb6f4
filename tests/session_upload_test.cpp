// The session's upload: the question, the run on a worker thread over a recording FTP session, its
// progress, cancel and the question when the program closes in the middle. The clean-up rules are the
// runner's, tested with it and over a loopback server.
#include "session_fixture.h"

#include "upload/server_trust.h"

#include <QSemaphore>
#include <QTest>

using namespace Qt::StringLiterals;
using namespace tsuzuri;
using namespace tsuzuri::test;
using upload::Command;
using upload::testing::FakeFtpSession;

namespace {

// The question, after what will go.
QString question(int files, const QString& size, int unchanged = 0) {
    return u"送るファイル: %1 件（%2）\r\n前回から変更がないため送らないファイル: %3 件\r\n"_s.arg(files).arg(size).arg(
               unchanged) +
           u"【 diary 】内の選択されたファイルを\r\n【 www/diary 】配下にアップロードします。\r\nよろしいですか？"_s;
}
const QString kDone = u"アップロード完了"_s;
const QStringList kPhotos{u"a.jpg"_s, u"b.jpg"_s};
const QString kImage = u"[フォルダ]image"_s, kCss = u"[ファイル]calender.css"_s;

class SessionUploadTest : public SessionTest {
protected:
    void SetUp() override {
        SessionTest::SetUp();
        for (const auto& [name, bytes] : {std::pair{u"image/a.jpg"_s, QByteArray(3000, 'a')},
                                          {u"image/b.jpg"_s, QByteArray(1000, 'b')},
                                          {u"image/keep/k.jpg"_s, QByteArray("k")},
                                          {u"calender.css"_s, QByteArray(1000, 'c')}})
            ASSERT_TRUE(writeBytes(diary(name), bytes));
        open();
        s().setConnection({u"ftp.example.jp"_s, u"me"_s, u"pw"_s, u"www/diary"_s, 0});
        QObject::connect(&s().uploads(), &UploadController::progressChanged, session.get(),
                         [this](const upload::UploadProgress& p) { progress << p; });
        messages.clear();
    }

    QString diary(const QString& rel) const { return folder(u"diary/"_s) + rel; }
    QString put(const QString& rel) const {
        return u"PUT \""_s + QDir::toNativeSeparators(diary(rel)) + u"\" /www/diary/"_s + rel;
    }
    QStringList imageFiles() const { return QDir(diary(u"image"_s)).entryList(QDir::Files, QDir::Name); }
    void setCleanUp(int value) {
        ConnectionSettings c = s().connection();
        c.deleteAfterUpload = value;
        s().setConnection(c);
    }
    // A run whose first file never finishes going out by itself.
    void startBlockedRun() {
        progress.clear();
        ftp.script = [](FakeFtpSession& f) { f.blockPuts = true; };
        setCleanUp(1);
        messages.answers.push_back(Answer::Yes);
        s().uploads().start({kImage});
        ASSERT_TRUE(
            QTest::qWaitFor([&] { return !progress.isEmpty() && !progress.last().currentFile.isEmpty(); }, 10000));
    }

    QList<upload::UploadProgress> progress;
};

TEST_F(SessionUploadTest, NoToTheQuestionSendsNothing_YesSendsTheCommandsInOrder_ReportsProgress_ThenDone) {
    EXPECT_EQ(said([&] { s().uploads().start({kImage}); }, {Answer::No}), QStringList{question(2, u"3.9 kB"_s)});
    EXPECT_TRUE(ftp.made.empty() && !s().uploads().isRunning());
    QSemaphore gate;
    ftp.script = [&](FakeFtpSession& f) {
        f.during = [&](const Command& c) {
            if (c.remotePath.endsWith(u"b.jpg"_s))
                gate.tryAcquire(1, 10000);
        };
    };
    said([&] { s().uploads().start({kImage, kCss}); }, {Answer::Yes});
    // a.jpg is on the server, b.jpg is going out; the event loop keeps running.
    ASSERT_TRUE(
        QTest::qWaitFor([&] { return !progress.isEmpty() && progress.last().currentFile == u"image/b.jpg"_s; }, 10000));
    s().uploads().start({kImage}); // a second run never starts beside the first
    EXPECT_EQ(messages.shown.size(), 1);

    gate.release();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s().uploads().isRunning(); }, 10000));
    EXPECT_EQ(ftp.last().login_, (QStringList{u"ftp.example.jp"_s, u"me"_s, u"pw"_s}));
    EXPECT_EQ(ftp.last().commands, (QStringList{u"MKDIR \"www\""_s, u"MKDIR \"www/diary\""_s,
                                                u"MKDIR \"/www/diary/image\""_s, put(u"image/a.jpg"_s),
                                                put(u"image/b.jpg"_s), put(u"calender.css"_s), u"close"_s, u"QUIT"_s}));
    EXPECT_EQ(messages.texts(), (QStringList{question(3, u"4.9 kB"_s), kDone}));
    EXPECT_EQ(progress.last().filesDone, 3); // the last figures arrived before the outcome
}

TEST_F(SessionUploadTest, AServerNobodyTrustedIsAskedAbout_ThenOnlyWhatChangedGoes) {
    upload::ServerIdentity key{Protocol::Sftp, u"ftp.example.jp"_s, 22, u"ssh-ed25519"_s, QByteArray(32, 'k')};
    ftp.script = [&](FakeFtpSession& f) { f.untrusted = ftp.made.size() == 1 ? std::optional(key) : std::nullopt; };
    messages.answers = {Answer::Yes, Answer::No}; // the upload, then not trusted: nothing goes
    s().uploads().start({kCss});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s().uploads().isRunning(); }, 10000));
    const QString trustQuestion = messageText(Msg::HostKeyNotTrusted, {key.shownHost(), key.fingerprint()});
    EXPECT_EQ(messages.texts().last(), trustQuestion);
    EXPECT_FALSE(QFile::exists(upload::knownHostsFile(home())));

    ftp.made.clear();
    messages.clear();
    messages.answers = {Answer::Yes, Answer::Yes}; // trusted: recorded, and the same upload goes
    s().uploads().start({kCss});
    ASSERT_TRUE(QTest::qWaitFor([&] { return ftp.made.size() == 2 && !s().uploads().isRunning(); }, 10000));
    EXPECT_EQ(messages.texts(), (QStringList{question(1, u"1000 bytes"_s), trustQuestion, kDone}));
    EXPECT_TRUE(readBytes(upload::knownHostsFile(home())).contains("ftp.example.jp ssh-ed25519"));
    EXPECT_TRUE(ftp.last().commands.contains(put(u"calender.css"_s)));
    EXPECT_TRUE(s().onlyChanged()); // once something arrived, only what changed goes

    messages.clear();
    messages.answers = {Answer::Yes};
    s().uploads().start({kCss, kImage});
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s().uploads().isRunning(); }, 10000));
    EXPECT_EQ(messages.texts().value(0), question(2, u"3.9 kB"_s, 1));
}

TEST_F(SessionUploadTest, CancelStopsTheRun_ClosingAsksFirstAndYesStopsIt_DestroyingTheSessionStopsIt_NothingDeleted) {
    startBlockedRun();
    QSignalSpy cancelling(&s().uploads(), &UploadController::cancelling);
    s().uploads().cancel();
    EXPECT_EQ(cancelling.count(), 1);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !s().uploads().isRunning(); }, 10000));
    EXPECT_EQ(messages.texts().last(), u"アップロードを中止しました。"_s);
    EXPECT_EQ(imageFiles(), kPhotos);

    messages.clear();
    startBlockedRun();
    messages.answers.push_back(Answer::No);
    EXPECT_FALSE(s().uploads().stopForClose());
    EXPECT_TRUE(s().uploads().isRunning());
    EXPECT_EQ(messages.texts().last(), u"アップロード中です。\r\nアップロードを中止して終了しますか？"_s);

    messages.answers.push_back(Answer::Yes);
    EXPECT_TRUE(s().uploads().stopForClose());
    EXPECT_FALSE(s().uploads().isRunning());
    EXPECT_GE(ftp.last().abandoned, 1);
    QTest::qWait(50);                    // nothing more is told, and no photo goes
    EXPECT_EQ(messages.shown.size(), 3); // the upload question, the closing one, and nothing after
    EXPECT_EQ(imageFiles(), kPhotos);

    startBlockedRun();
    session.reset();
    EXPECT_GE(ftp.last().abandoned, 1);
    QTest::qWait(20);
}

} // namespace
