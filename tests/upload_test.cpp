#include "store/paths.h"
#include "store/textfile.h"
#include "upload/server_trust.h"
#include "upload/upload_job.h"
#include "upload/upload_plan.h"
#include "upload/upload_runner.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include "fake_ftp_session.h"
#include "fakes.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

#include <fcntl.h>
#include <unistd.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;
using namespace tsuzuri::upload;
using tsuzuri::upload::testing::FakeFtpSession;

namespace {

const QStringList kEnd{u"close"_s, u"QUIT"_s};

class UploadTest : public ::testing::Test {
protected:
    void SetUp() override {
        file(u"image/b.jpg"_s, "bbbbbb");
        file(u"image/a.jpg"_s, "aaaa");
        file(u"image/keep/c.jpg"_s);
        file(u"calender.css"_s, "css");
        file(u"images/x.jpg"_s);
    }

    QString diary(const QString& rel) const { return paths::diaryFolder(home.path(), u"diary"_s) + u'/' + rel; }
    QString local(const QString& rel) const { return QDir::toNativeSeparators(diary(rel)); }
    QString put(const QString& rel, const QString& remote) const {
        return u"PUT \""_s + local(rel) + u"\" "_s + remote;
    }
    void file(const QString& rel, const QByteArray& bytes = "x") { ASSERT_TRUE(test::writeBytes(diary(rel), bytes)); }
    QStringList imageFiles() const { return QDir(diary(u"image"_s)).entryList(QDir::Files, QDir::Name); }
    UploadRequest request(QStringList selected, int deleteAfterUpload = 0, const QString& root = u"www/diary"_s) const {
        return {home.path(),
                u"diary"_s,
                {u"ftp.example.jp"_s, u"me"_s, u"pw"_s, root, deleteAfterUpload},
                std::move(selected)};
    }
    QTemporaryDir home;
    FakeFtpSession session;
};

} // namespace

TEST_F(UploadTest, Plan_BaseDirectoriesLevelByLevel_ThenEachEntry_FolderPlainFilesInNameOrder) {
    file(u"image/.hidden"_s);
    file(u"only/sub/e.jpg"_s);
    file(u"200511.html"_s);
    file(u"my page.html"_s);
    file(u"写真 1/夏.jpg"_s);
    const struct {
        QString root;
        QStringList selected, commands;
    } cases[] = {
        {u"/a/b/c"_s, {}, {u"MKDIR \"a\""_s, u"MKDIR \"a/b\""_s, u"MKDIR \"a/b/c\""_s}},
        {u"/"_s,
         {u"[フォルダ]image"_s, u"[フォルダ]only"_s},
         {u"MKDIR \"/image\""_s, put(u"image/a.jpg"_s, u"/image/a.jpg"_s), put(u"image/b.jpg"_s, u"/image/b.jpg"_s),
          u"MKDIR \"/only\""_s}},
        {{},
         {u"[ファイル]200511.html"_s, u"[フォルダ]images"_s},
         {put(u"200511.html"_s, u"200511.html"_s), u"MKDIR \"images\""_s, put(u"images/x.jpg"_s, u"images/x.jpg"_s)}},
        {u"日記/"_s,
         {u"[ファイル]my page.html"_s, u"[フォルダ]写真 1"_s},
         {u"MKDIR \"日記\""_s, put(u"my page.html"_s, u"/日記/my page.html"_s), u"MKDIR \"/日記/写真 1\""_s,
          put(u"写真 1/夏.jpg"_s, u"/日記/写真 1/夏.jpg"_s)}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE("root " + c.root.toStdString());
        Plan plan;
        ASSERT_TRUE(makePlan({home.path(), u"diary"_s, c.root, c.selected}, plan).ok());
        QStringList texts;
        for (const Command& command : plan.commands)
            texts << command.text();
        EXPECT_EQ(texts, c.commands + kEnd);
    }
}

TEST_F(UploadTest, EntryThatCannotBeSentWhole_RefusedBeforeTheLoginNamingIt) {
    file(u"image/evil\r\nDELE x.jpg"_s);
    file(u"../ini/app_diary.ini"_s, "[PSW]secret");
    ASSERT_TRUE(QFile::link(home.filePath(u"ini/app_diary.ini"_s), diary(u"password.txt"_s)));
    file(u"linked/a.jpg"_s);
    ASSERT_TRUE(QFile::link(home.filePath(u"ini/app_diary.ini"_s), diary(u"linked/password.jpg"_s)));
    file(u"sjis/a.jpg"_s);
    // Shift_JIS bytes, not UTF-8: Qt's listings leave the file out.
    const QByteArray sjis = QFile::encodeName(diary(u"sjis"_s)) + "/\x82\xa0.jpg";
    const int fd = ::open(sjis.constData(), O_CREAT | O_WRONLY, 0600);
    ASSERT_GE(fd, 0);
    ::close(fd);
    const struct {
        QString root;
        QStringList selected;
        Msg msg;
        QString named;
    } cases[] = {
        {u"www\nDELE index.html"_s, {}, Msg::UploadRefusedName, u"www\\nDELE index.html"_s},
        {{}, {u"[ファイル]calender.css"_s, u"[フォルダ]image"_s}, Msg::UploadRefusedName, u"evil\\r\\nDELE x.jpg"_s},
        {{}, {u"[ファイル]calender.css\rQUIT"_s}, Msg::UploadRefusedName, u"calender.css\\rQUIT"_s},
        {{}, {u"[ファイル]gone.html"_s}, Msg::UploadEntryMissing, u"[ファイル]gone.html"_s},
        {{}, {u"[ファイル]image"_s}, Msg::UploadEntryMissing, u"[ファイル]image"_s},
        {{}, {u"calender.css"_s}, Msg::UploadEntryInvalid, u"calender.css"_s},
        {{}, {u"[ファイル]password.txt"_s}, Msg::UploadEntryInvalid, u"[ファイル]password.txt"_s},
        {{}, {u"[フォルダ]linked"_s}, Msg::UploadEntryInvalid, u"[フォルダ]linked/password.jpg"_s},
        {{}, {u"[フォルダ]sjis"_s}, Msg::UploadNamesUndecodable, u"sjis/%82%A0.jpg"_s},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named.toStdString());
        FakeFtpSession s;
        const UploadResult r = UploadRunner(s).run(request(c.selected, 1, c.root));
        EXPECT_EQ(r.outcome.msg, c.msg);
        EXPECT_EQ(r.outcome.args, QStringList{c.named});
        EXPECT_FALSE(s.login_.has_value()); // and so no command
    }
    Plan plan;
    EXPECT_EQ(makePlan({home.path(), u"../diary"_s, {}, {}}, plan).msg, Msg::DiaryFolderNameInvalid);
}

TEST_F(UploadTest, GoodbyeLost_AfterEveryFileArrived_StillDone) {
    session.failOn = u"QUIT"_s;
    const UploadResult r = UploadRunner(session).run(request({u"[ファイル]calender.css"_s}));
    EXPECT_TRUE(r.arrived);
    EXPECT_EQ(r.outcome.msg, Msg::UploadDone);
}

// The ticked box asks for the clean-up of image (the session suite pins the unticked and greyed ones): only
// the plain files of image that went out in this run go.
TEST_F(UploadTest, CleanUp_OnlyWhatWentOut_KeepsAPhotoDroppedInDuringTheUpload) {
    session.during = [&](const Command& c) {
        if (c.kind == Command::Kind::Close)
            file(u"image/new.jpg"_s);
    };
    const UploadResult r = UploadRunner(session).run(request({u"[フォルダ]images"_s, u"[フォルダ]image"_s}, 1));
    EXPECT_EQ(r.deleted, (QStringList{local(u"image/a.jpg"_s), local(u"image/b.jpg"_s)}));
    EXPECT_EQ(imageFiles(), QStringList{u"new.jpg"_s});
    EXPECT_TRUE(QFile::exists(diary(u"image/keep/c.jpg"_s)) && QFile::exists(diary(u"images/x.jpg"_s)));
}

TEST_F(UploadTest, Progress_CountsFilesAndBytes_NamesTheFileGoingOut) {
    QList<UploadProgress> seen;
    UploadRunner(session).run(request({u"[フォルダ]image"_s, u"[ファイル]calender.css"_s}),
                              [&](const UploadProgress& p) { seen << p; });
    ASSERT_FALSE(seen.isEmpty());
    const auto half =
        std::find_if(seen.cbegin(), seen.cend(), [](const UploadProgress& p) { return p.bytesSent == 7; });
    ASSERT_NE(half, seen.cend()); // all of a.jpg and half of b.jpg
    EXPECT_EQ(half->currentFile, QDir::toNativeSeparators(u"image/b.jpg"_s));
    EXPECT_EQ(half->filesDone, 1);
    EXPECT_TRUE(seen.last().currentFile.isEmpty());
    EXPECT_EQ(seen.last().bytesSent, 13);
}

// The same size, other bytes, and sending everything: the loopback suite, for every protocol; the counts of what
// is left out: the session suite.
TEST_F(UploadTest, OnlyChanged_LeavesOutWhatArrivedAsItIs_EvenAtAnotherTime) {
    const auto puts = [&](bool onlyChanged) {
        FakeFtpSession s;
        UploadRequest r = request({u"[フォルダ]image"_s, u"[ファイル]calender.css"_s});
        r.onlyChanged = onlyChanged;
        EXPECT_EQ(UploadRunner(s).run(r).outcome.msg, Msg::UploadDone);
        return s.commands.filter(u"PUT "_s).size();
    };
    EXPECT_EQ(puts(true), 3);
    QFile a(diary(u"image/a.jpg"_s)); // the same bytes at another time: hashed again, still the same
    ASSERT_TRUE(a.open(QIODevice::ReadWrite));
    ASSERT_TRUE(a.setFileTime(QDateTime::currentDateTime().addSecs(60), QFileDevice::FileModificationTime));
    EXPECT_EQ(puts(true), 0);
}

// The known hosts lines: the session suite (port 22) and the loopback SFTP run (another port, read by libcurl).
TEST(ServerTrustTest, CertificatesAreRecordedForTheirHostAndPort_FingerprintsCompareAsUsersTypeThem) {
    QTemporaryDir home;
    for (const auto& [host, port, der] : {std::tuple{u"a.jp"_s, 21, "one"_ba},
                                          {u"b.jp"_s, 21, "x"_ba},
                                          {u"a.jp"_s, 990, "y"_ba},
                                          {u"a.jp"_s, 21, "two"_ba}})
        ASSERT_TRUE(trustServer(home.path(), {Protocol::Ftps, host, port, {}, der}).ok());
    EXPECT_EQ(trustedCertificates(home.path(), u"a.jp"_s, 21), (QList<QByteArray>{"one", "two"}));
    // Host keys as OpenSSH writes them: an IPv6 literal bare on port 22, in brackets with any other port.
    for (const int port : {22, 2222})
        ASSERT_TRUE(trustServer(home.path(), {Protocol::Sftp, u"[::1]"_s, port, u"ssh-ed25519"_s, "k"}).ok());
    EXPECT_EQ(textfile::readFile(knownHostsFile(home.path())), "::1 ssh-ed25519 aw==\n[::1]:2222 ssh-ed25519 aw==\n");

    const QString cert = certificateFingerprint("one");
    const QString ssh = sshFingerprint(QByteArray("\0\0\0\x0bssh-ed25519key", 19));
    EXPECT_TRUE(cert.startsWith(u"SHA256:"_s) && cert.count(u':') == 32);
    for (const auto& [typed, fingerprint, same] : {std::tuple{cert.mid(7).remove(u':').toLower(), cert, true},
                                                   {ssh.mid(7), ssh, true},
                                                   {ssh, ssh, true},
                                                   {ssh.toLower(), ssh, false},
                                                   {cert, ssh, false},
                                                   {u""_s, u"SHA256:"_s, false}})
        EXPECT_EQ(sameFingerprint(typed, fingerprint), same) << typed.toStdString();
}
