#include "store/paths.h"
#include "upload/upload_job.h"
#include "upload/upload_plan.h"
#include "upload/upload_runner.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <QTimer>

#include "fake_ftp_session.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;
using namespace tsuzuri::upload;
using tsuzuri::upload::testing::FakeFtpSession;

namespace {

// A program folder with a diary folder "diary" in it.
class UploadFixture : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir(home.path()).mkpath(u"diary/image"_s)); }

    QString diary(const QString& rel = {}) const {
        const QString d = paths::diaryFolder(home.path(), u"diary"_s);
        return rel.isEmpty() ? d : d + u'/' + rel;
    }
    void file(const QString& rel, const QByteArray& bytes = "x") {
        QDir().mkpath(QFileInfo(diary(rel)).path());
        QFile f(diary(rel));
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }
    // The local path as a PUT command names it.
    QString local(const QString& rel) const { return QDir::toNativeSeparators(diary(rel)); }

    QTemporaryDir home;
};

using UploadPlanTest = UploadFixture;

QStringList texts(const Plan& plan) {
    QStringList t;
    for (const Command& c : plan.commands)
        t << c.text();
    return t;
}

} // namespace

TEST(RemoteBaseTest, EmptyStaysEmpty_OtherwiseSlashesAddedWhereMissing) {
    EXPECT_EQ(remoteBase({}), QString());
    EXPECT_EQ(remoteBase(u"a/b"_s), u"/a/b/"_s);
    EXPECT_EQ(remoteBase(u"/a/b/"_s), u"/a/b/"_s);
    EXPECT_EQ(remoteBase(u"a/"_s), u"/a/"_s);
    EXPECT_EQ(remoteBase(u"/a"_s), u"/a/"_s);
    EXPECT_EQ(remoteBase(u"/"_s), u"/"_s);
}

TEST_F(UploadPlanTest, ExampleOfTheUploadTab_GivesItsCommandsInOrder) {
    file(u"image/a.jpg"_s);
    file(u"image/b.jpg"_s, "bb");
    file(u"calender.css"_s);
    Plan plan;
    ASSERT_TRUE(makePlan({home.path(), u"diary"_s, u"www/diary"_s, {u"[フォルダ]image"_s, u"[ファイル]calender.css"_s}}, plan).ok());
    EXPECT_EQ(texts(plan), (QStringList{
                               u"MKDIR \"www\""_s,
                               u"MKDIR \"www/diary\""_s,
                               u"MKDIR \"/www/diary/image\""_s,
                               u"PUT \""_s + local(u"image/a.jpg"_s) + u"\" /www/diary/image/a.jpg"_s,
                               u"PUT \""_s + local(u"image/b.jpg"_s) + u"\" /www/diary/image/b.jpg"_s,
                               u"PUT \""_s + local(u"calender.css"_s) + u"\" /www/diary/calender.css"_s,
                               u"close"_s,
                               u"QUIT"_s,
                           }));
    EXPECT_EQ(plan.fileCount, 3);
    EXPECT_EQ(plan.byteCount, 4);
}

TEST_F(UploadPlanTest, EmptyRoot_NoBaseDirectories_AndRemoteNamesWithoutLeadingSlash) {
    file(u"image/a.jpg"_s);
    file(u"200511.html"_s);
    Plan plan;
    ASSERT_TRUE(makePlan({home.path(), u"diary"_s, {}, {u"[ファイル]200511.html"_s, u"[フォルダ]image"_s}}, plan).ok());
    EXPECT_EQ(texts(plan), (QStringList{u"PUT \""_s + local(u"200511.html"_s) + u"\" 200511.html"_s,
                                        u"MKDIR \"image\""_s,
                                        u"PUT \""_s + local(u"image/a.jpg"_s) + u"\" image/a.jpg"_s, u"close"_s,
                                        u"QUIT"_s}));
}

TEST_F(UploadPlanTest, NothingSelected_OnlyBaseDirectoriesThenCloseAndQuit) {
    Plan plan;
    ASSERT_TRUE(makePlan({home.path(), u"diary"_s, u"/a/b/c"_s, {}}, plan).ok());
    EXPECT_EQ(texts(plan), (QStringList{u"MKDIR \"a\""_s, u"MKDIR \"a/b\""_s, u"MKDIR \"a/b/c\""_s, u"close"_s,
                                        u"QUIT"_s}));
}

TEST_F(UploadPlanTest, FolderEntry_PlainFilesInNameOrder_NoHiddenFilesNoSubfolders) {
    file(u"image/c.jpg"_s);
    file(u"image/A.jpg"_s);
    file(u"image/b.jpg"_s);
    file(u"image/.hidden"_s);
    file(u"image/old/d.jpg"_s);
    QDir().mkpath(diary(u"only/sub"_s));
    file(u"only/sub/e.jpg"_s);
    Plan plan;
    ASSERT_TRUE(makePlan({home.path(), u"diary"_s, u"/"_s, {u"[フォルダ]image"_s, u"[フォルダ]only"_s}}, plan).ok());
    EXPECT_EQ(texts(plan), (QStringList{u"MKDIR \"/image\""_s,
                                        u"PUT \""_s + local(u"image/A.jpg"_s) + u"\" /image/A.jpg"_s,
                                        u"PUT \""_s + local(u"image/b.jpg"_s) + u"\" /image/b.jpg"_s,
                                        u"PUT \""_s + local(u"image/c.jpg"_s) + u"\" /image/c.jpg"_s,
                                        u"MKDIR \"/only\""_s, u"close"_s, u"QUIT"_s}));
}

TEST_F(UploadPlanTest, SpacedAndJapaneseNames_LocalPathQuotedRemotePathNot) {
    file(u"my page.html"_s);
    file(u"写真 1/夏.jpg"_s);
    Plan plan;
    ASSERT_TRUE(makePlan({home.path(), u"diary"_s, u"日記"_s, {u"[ファイル]my page.html"_s, u"[フォルダ]写真 1"_s}}, plan).ok());
    EXPECT_EQ(texts(plan), (QStringList{u"MKDIR \"日記\""_s,
                                        u"PUT \""_s + local(u"my page.html"_s) + u"\" /日記/my page.html"_s,
                                        u"MKDIR \"/日記/写真 1\""_s,
                                        u"PUT \""_s + local(u"写真 1/夏.jpg"_s) + u"\" /日記/写真 1/夏.jpg"_s,
                                        u"close"_s, u"QUIT"_s}));
}

TEST_F(UploadPlanTest, LineBreakInAnyRemoteName_RefusedBeforeAnything) {
    file(u"image/a.jpg"_s);
    file(u"image/evil\r\nDELE x.jpg"_s);
    file(u"ok.html"_s);
    Plan plan;
    Outcome o = makePlan({home.path(), u"diary"_s, u"www\nDELE index.html"_s, {}}, plan);
    EXPECT_EQ(o.msg, Msg::UploadRefusedName);
    EXPECT_EQ(o.args, QStringList{u"www\\nDELE index.html"_s});
    EXPECT_TRUE(plan.commands.isEmpty());

    o = makePlan({home.path(), u"diary"_s, {}, {u"[ファイル]ok.html"_s, u"[フォルダ]image"_s}}, plan);
    EXPECT_EQ(o.msg, Msg::UploadRefusedName);
    EXPECT_EQ(o.args, QStringList{u"evil\\r\\nDELE x.jpg"_s});
    EXPECT_TRUE(plan.commands.isEmpty());

    o = makePlan({home.path(), u"diary"_s, {}, {u"[ファイル]ok.html\rQUIT"_s}}, plan);
    EXPECT_EQ(o.msg, Msg::UploadRefusedName);
}

TEST_F(UploadPlanTest, EntryNoLongerInTheDiaryFolder_Refused_AndUntaggedEntriesPassedOver) {
    file(u"a.html"_s);
    Plan plan;
    EXPECT_EQ(makePlan({home.path(), u"diary"_s, {}, {u"[ファイル]gone.html"_s}}, plan).msg, Msg::UploadEntryMissing);
    EXPECT_EQ(makePlan({home.path(), u"diary"_s, {}, {u"[フォルダ]a.html"_s}}, plan).msg, Msg::UploadEntryMissing);
    EXPECT_EQ(makePlan({home.path(), u"diary"_s, {}, {u"[ファイル]image"_s}}, plan).msg, Msg::UploadEntryMissing);
    ASSERT_TRUE(makePlan({home.path(), u"diary"_s, {}, {u"a.html"_s, u"[ファイル]a.html"_s}}, plan).ok());
    EXPECT_EQ(plan.fileCount, 1);
}

// --- The run, over the recording fake ---

namespace {

class UploadRunnerTest : public UploadFixture {
protected:
    void SetUp() override {
        UploadFixture::SetUp();
        file(u"image/a.jpg"_s, "aaaa");
        file(u"image/b.jpg"_s, "bbbbbb");
        file(u"image/keep/c.jpg"_s);
        file(u"calender.css"_s, "css");
        file(u"images/x.jpg"_s);
    }

    UploadRequest request(QStringList selected, int chksaku = 0) const {
        return {home.path(), u"diary"_s, {u"ftp.example.jp"_s, u"me"_s, u"pw"_s, u"www/diary"_s, chksaku},
                std::move(selected)};
    }
    QStringList imageFiles() const { return QDir(diary(u"image"_s)).entryList(QDir::Files, QDir::Name); }

    FakeFtpSession session;
};

} // namespace

TEST_F(UploadRunnerTest, Example_SendsExactlyThePlannedTexts_OverOneLogin_AndReportsDone) {
    UploadRunner runner(session);
    const UploadResult r = runner.run(request({u"[フォルダ]image"_s, u"[ファイル]calender.css"_s}));
    EXPECT_TRUE(r.arrived);
    EXPECT_EQ(messageText(r.outcome), u"アップロード完了"_s);
    EXPECT_EQ(session.login_, (QStringList{u"ftp.example.jp"_s, u"me"_s, u"pw"_s}));
    EXPECT_EQ(session.commands,
              (QStringList{u"MKDIR \"www\""_s, u"MKDIR \"www/diary\""_s, u"MKDIR \"/www/diary/image\""_s,
                           u"PUT \""_s + local(u"image/a.jpg"_s) + u"\" /www/diary/image/a.jpg"_s,
                           u"PUT \""_s + local(u"image/b.jpg"_s) + u"\" /www/diary/image/b.jpg"_s,
                           u"PUT \""_s + local(u"calender.css"_s) + u"\" /www/diary/calender.css"_s, u"close"_s,
                           u"QUIT"_s}));
    EXPECT_EQ(imageFiles(), (QStringList{u"a.jpg"_s, u"b.jpg"_s})); // chksaku 0: nothing deleted
}

TEST_F(UploadRunnerTest, RefusedLogin_ErrorWithTheServersReason_NothingSentNothingDeleted) {
    session.refuseLogin = u"530 Login incorrect."_s;
    UploadRunner runner(session);
    const UploadResult r = runner.run(request({u"[フォルダ]image"_s}, 1));
    EXPECT_FALSE(r.arrived);
    EXPECT_EQ(messageText(r.outcome), u"エラーが発生しました。\r\n530 Login incorrect."_s);
    EXPECT_TRUE(session.commands.isEmpty());
    EXPECT_EQ(imageFiles(), (QStringList{u"a.jpg"_s, u"b.jpg"_s}));
}

TEST_F(UploadRunnerTest, FailedTransfer_StopsThere_NoCloseNoCleanUp) {
    session.failOn = u"PUT \""_s + local(u"image/b.jpg"_s) + u"\" /www/diary/image/b.jpg"_s;
    session.failReason = u"452 Insufficient storage space."_s;
    UploadRunner runner(session);
    const UploadResult r = runner.run(request({u"[フォルダ]image"_s, u"[ファイル]calender.css"_s}, 1));
    EXPECT_FALSE(r.arrived);
    EXPECT_EQ(messageText(r.outcome), u"エラーが発生しました。\r\n452 Insufficient storage space."_s);
    EXPECT_EQ(session.commands.size(), 5);
    EXPECT_EQ(session.commands.last(), session.failOn);
    EXPECT_EQ(session.abandoned, 1);
    // a.jpg did reach the server, but the run failed: nothing is deleted.
    EXPECT_EQ(imageFiles(), (QStringList{u"a.jpg"_s, u"b.jpg"_s}));
    EXPECT_TRUE(r.deleted.isEmpty());
}

TEST_F(UploadRunnerTest, RefusedMakeDirectory_StopsBeforeAnyFile) {
    session.failOn = u"MKDIR \"www/diary\""_s;
    UploadRunner runner(session);
    const UploadResult r = runner.run(request({u"[ファイル]calender.css"_s}));
    EXPECT_EQ(messageText(r.outcome), u"エラーが発生しました。\r\n550 Permission denied."_s);
    EXPECT_EQ(session.commands, (QStringList{u"MKDIR \"www\""_s, u"MKDIR \"www/diary\""_s}));
}

TEST_F(UploadRunnerTest, RefusedName_NoLoginNoCommand) {
    file(u"image/bad\nname.jpg"_s);
    UploadRunner runner(session);
    const UploadResult r = runner.run(request({u"[フォルダ]image"_s}, 1));
    EXPECT_EQ(r.outcome.msg, Msg::UploadRefusedName);
    EXPECT_FALSE(session.login_.has_value());
    EXPECT_TRUE(session.commands.isEmpty());
    EXPECT_EQ(imageFiles().size(), 3);
}

TEST_F(UploadRunnerTest, GoodbyeLost_AfterEveryFileArrived_StillDone) {
    session.failQuit = true;
    UploadRunner runner(session);
    const UploadResult r = runner.run(request({u"[ファイル]calender.css"_s}));
    EXPECT_TRUE(r.arrived);
    EXPECT_EQ(r.outcome.msg, Msg::UploadDone);
}

TEST_F(UploadRunnerTest, CleanUp_WithChksaku1_DeletesTheSentPlainFilesOfImage_KeepsSubfolders) {
    UploadRunner runner(session);
    const UploadResult r = runner.run(request({u"[フォルダ]image"_s}, 1));
    ASSERT_TRUE(r.arrived);
    EXPECT_TRUE(r.cleanUp.ok());
    EXPECT_TRUE(imageFiles().isEmpty());
    EXPECT_TRUE(QFile::exists(diary(u"image/keep/c.jpg"_s)));
    EXPECT_EQ(r.deleted, (QStringList{local(u"image/a.jpg"_s), local(u"image/b.jpg"_s)}));
}

TEST_F(UploadRunnerTest, CleanUp_OnlyWhenChksakuIsExactly1) {
    for (int chksaku : {0, 2}) {
        FakeFtpSession s;
        UploadRunner runner(s);
        const UploadResult r = runner.run(request({u"[フォルダ]image"_s}, chksaku));
        ASSERT_TRUE(r.arrived);
        EXPECT_EQ(imageFiles().size(), 2) << chksaku;
    }
}

TEST_F(UploadRunnerTest, CleanUp_ForImagesEntry_EmptiesImageOnlyOfWhatWasSent) {
    // "[フォルダ]images" asks for the clean-up, but image's files never went out: they stay.
    {
        FakeFtpSession s;
        UploadRunner runner(s);
        const UploadResult r = runner.run(request({u"[フォルダ]images"_s}, 1));
        ASSERT_TRUE(r.arrived);
        EXPECT_EQ(imageFiles().size(), 2);
        EXPECT_TRUE(QFile::exists(diary(u"images/x.jpg"_s)));
    }
    // With image sent too, image is emptied; images keeps its own files.
    UploadRunner runner(session);
    const UploadResult r = runner.run(request({u"[フォルダ]images"_s, u"[フォルダ]image"_s}, 1));
    ASSERT_TRUE(r.arrived);
    EXPECT_TRUE(imageFiles().isEmpty());
    EXPECT_TRUE(QFile::exists(diary(u"images/x.jpg"_s)));
}

TEST_F(UploadRunnerTest, CleanUp_KeepsAPhotoDroppedInDuringTheUpload) {
    session.during = [&](const Command& c) {
        if (c.kind == Command::Kind::Close)
            file(u"image/new.jpg"_s);
    };
    UploadRunner runner(session);
    ASSERT_TRUE(runner.run(request({u"[フォルダ]image"_s}, 1)).arrived);
    EXPECT_EQ(imageFiles(), QStringList{u"new.jpg"_s});
}

TEST_F(UploadRunnerTest, Cancel_StopsAtOnce_NothingDeleted) {
    UploadRunner runner(session);
    session.during = [&](const Command& c) {
        if (c.kind == Command::Kind::Put)
            runner.cancel();
    };
    const UploadResult r = runner.run(request({u"[フォルダ]image"_s, u"[ファイル]calender.css"_s}, 1));
    EXPECT_FALSE(r.arrived);
    EXPECT_EQ(r.outcome.msg, Msg::UploadCancelled);
    EXPECT_EQ(session.commands.size(), 4); // three MKDIR and the first PUT
    EXPECT_EQ(imageFiles().size(), 2);
}

TEST_F(UploadRunnerTest, Progress_CountsFilesAndBytes_NamesTheFileGoingOut) {
    QList<UploadProgress> seen;
    UploadRunner runner(session);
    runner.run(request({u"[フォルダ]image"_s, u"[ファイル]calender.css"_s}),
               [&](const UploadProgress& p) { seen << p; });
    ASSERT_FALSE(seen.isEmpty());
    EXPECT_EQ(seen.first().filesTotal, 3);
    EXPECT_EQ(seen.first().bytesTotal, 13);
    EXPECT_EQ(seen.first().bytesSent, 0);
    const auto during = std::find_if(seen.cbegin(), seen.cend(), [](const UploadProgress& p) { return p.bytesSent == 7; });
    ASSERT_NE(during, seen.cend()); // half of b.jpg after all of a.jpg
    EXPECT_EQ(during->currentFile, QDir::toNativeSeparators(u"image/b.jpg"_s));
    EXPECT_EQ(during->filesDone, 1);
    for (qsizetype i = 1; i < seen.size(); ++i)
        EXPECT_GE(seen[i].bytesSent, seen[i - 1].bytesSent);
    EXPECT_EQ(seen.last().filesDone, 3);
    EXPECT_EQ(seen.last().bytesSent, 13);
    EXPECT_TRUE(seen.last().currentFile.isEmpty());
}

// --- The run on a worker thread, as the window uses it ---

TEST_F(UploadRunnerTest, Job_RunsOffTheCallingThread_DeliversProgressAndResultOnIt) {
    auto fake = std::make_unique<FakeFtpSession>();
    QThread* worker = nullptr;
    fake->during = [&](const Command&) { worker = QThread::currentThread(); };
    UploadJob job(std::move(fake), request({u"[フォルダ]image"_s}, 1));
    QEventLoop loop;
    int progressOnMain = 0, progressElsewhere = 0;
    UploadProgress last;
    bool finished = false;
    QObject::connect(&job, &UploadJob::progressChanged, &loop, [&](const UploadProgress& p) {
        (QThread::currentThread() == loop.thread() ? progressOnMain : progressElsewhere)++;
        EXPECT_FALSE(finished);
        last = p;
    });
    QObject::connect(&job, &UploadJob::finished, &loop, [&](const UploadResult& r) {
        EXPECT_EQ(QThread::currentThread(), loop.thread());
        EXPECT_EQ(r.outcome.msg, Msg::UploadDone);
        finished = true;
        loop.quit();
    });
    job.start();
    EXPECT_TRUE(job.isRunning());
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_TRUE(finished);
    EXPECT_NE(worker, nullptr);
    EXPECT_NE(worker, QThread::currentThread());
    EXPECT_GT(progressOnMain, 0);
    EXPECT_EQ(progressElsewhere, 0);
    EXPECT_EQ(last.filesDone, 2); // the newest figures arrive before finished
    EXPECT_TRUE(job.result().arrived);
    EXPECT_TRUE(imageFiles().isEmpty());
}

TEST_F(UploadRunnerTest, Job_CancelWhileAFileGoesOut_FinishesCancelled_NothingDeleted) {
    auto fake = std::make_unique<FakeFtpSession>();
    fake->blockPuts = true;
    UploadJob job(std::move(fake), request({u"[フォルダ]image"_s}, 1));
    QEventLoop loop;
    QObject::connect(&job, &UploadJob::progressChanged, &loop, [&](const UploadProgress& p) {
        if (!p.currentFile.isEmpty())
            job.cancel(); // the worker sits inside the first PUT now
    });
    QObject::connect(&job, &UploadJob::finished, &loop, &QEventLoop::quit);
    job.start();
    QTimer::singleShot(10000, &loop, &QEventLoop::quit);
    loop.exec();
    ASSERT_TRUE(job.isFinished());
    EXPECT_EQ(job.result().outcome.msg, Msg::UploadCancelled);
    EXPECT_EQ(imageFiles().size(), 2);
}

TEST_F(UploadRunnerTest, Job_DestroyedWhileRunning_CancelsAndWaits) {
    auto fake = std::make_unique<FakeFtpSession>();
    fake->blockPuts = true;
    {
        UploadJob job(std::move(fake), request({u"[フォルダ]image"_s}, 1));
        job.start();
        QThread::msleep(20);
    } // would hang here if the blocked PUT were not cancelled
    EXPECT_EQ(imageFiles().size(), 2);
}
