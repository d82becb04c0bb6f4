#include "media/media_files.h"
#include "store/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>

#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;
using namespace tsuzuri::media;

namespace {

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}

QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// Every name in a folder, hidden temporaries included.
QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

} // namespace

class MediaFilesTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(QDir().mkpath(image()));
        ASSERT_TRUE(QDir().mkpath(pictures()));
    }
    QString home() const { return dir.path(); }
    QString image() const { return paths::imageFolder(home(), u"diary"_s); }
    QString pictures() const { return home() + u"/My Pictures"_s; }
    QString picture(const QString& name, const QByteArray& bytes) const {
        const QString path = pictures() + u'/' + name;
        EXPECT_TRUE(writeBytes(path, bytes));
        return path;
    }
    AttachRequest request(const QStringList& paths) const {
        AttachRequest r;
        r.home = home();
        r.folder = u"diary"_s;
        r.paths = paths;
        return r;
    }
    QTemporaryDir dir;
};

TEST(MediaNames, NameIsTextAfterLastSeparatorAndSemicolonOrControlCharactersCannotBeListed) {
    EXPECT_EQ(mediaName(u"/home/u/My Pictures/a b.jpg"_s), u"a b.jpg"_s);
    EXPECT_EQ(mediaName(u"a.jpg"_s), u"a.jpg"_s);
    EXPECT_EQ(mediaName(u"/home/u/folder/"_s), QString());
    EXPECT_TRUE(isAttachableName(u"夏休み 1.JPG"_s));
    EXPECT_FALSE(isAttachableName(u"a;b.jpg"_s)) << "the page writer would see two names";
    EXPECT_FALSE(isAttachableName(u"a\nb.jpg"_s));
    EXPECT_FALSE(isAttachableName(QString()));
    EXPECT_EQ(appendNames(u"x.jpg"_s, {u"a.jpg"_s, u"b.mp4"_s}), u"x.jpga.jpg;b.mp4;"_s)
        << "appended as they stand, even after a name typed without its \";\"";
}

TEST_F(MediaFilesTest, DestinationLiesInImageAndOwnDestinationSeesThroughLinksAndDotDot) {
    EXPECT_EQ(copyDestination(home(), u"diary"_s, u"a.jpg"_s), image() + u"/a.jpg"_s);
    ASSERT_TRUE(writeBytes(image() + u"/a.jpg"_s, "x"));
    EXPECT_TRUE(isOwnDestination(home() + u"/diary/../diary/image/a.jpg"_s, image() + u"/a.jpg"_s));
    ASSERT_TRUE(QFile::link(home() + u"/diary"_s, home() + u"/linked"_s));
    EXPECT_TRUE(isOwnDestination(home() + u"/linked/image/a.jpg"_s, image() + u"/a.jpg"_s));
    const QString elsewhere = picture(u"a.jpg"_s, "x");
    EXPECT_FALSE(isOwnDestination(elsewhere, image() + u"/a.jpg"_s)) << "same name and bytes, another file";
    EXPECT_FALSE(isOwnDestination(elsewhere, image() + u"/missing.jpg"_s));
}

TEST_F(MediaFilesTest, ExistingFileIsComparedBySizeAndBytes) {
    const QString src = picture(u"a.jpg"_s, "abcdef");
    const QString dst = image() + u"/a.jpg"_s;
    EXPECT_EQ(compareWithExisting(src, dst), Existing::None);
    ASSERT_TRUE(writeBytes(dst, "abcdef"));
    EXPECT_EQ(compareWithExisting(src, dst), Existing::Identical);
    ASSERT_TRUE(writeBytes(dst, "abcdeX"));
    EXPECT_EQ(compareWithExisting(src, dst), Existing::Different) << "same size, other bytes";
    ASSERT_TRUE(writeBytes(dst, "abc"));
    EXPECT_EQ(compareWithExisting(src, dst), Existing::Different);
}

TEST_F(MediaFilesTest, CopyReplacesWholeInChunksAndReportsProgress) {
    QByteArray bytes(10000, '\0');
    for (int i = 0; i < bytes.size(); ++i)
        bytes[i] = char(i * 7);
    const QString src = picture(u"v.mp4"_s, bytes);
    const QString dst = image() + u"/v.mp4"_s;
    ASSERT_TRUE(writeBytes(dst, "an older, longer file that must not leave a tail behind the new bytes....."));
    QList<qint64> seen;
    CopyOptions options;
    options.chunkSize = 4096;
    options.progress = [&](qint64 done, qint64 total) {
        EXPECT_EQ(total, 10000);
        seen << done;
    };
    const CopyResult r = copyReplacing(src, dst, options);
    EXPECT_EQ(r.status, CopyStatus::Copied);
    EXPECT_EQ(readBytes(dst), bytes);
    EXPECT_EQ(seen, (QList<qint64>{4096, 8192, 10000}));
    EXPECT_EQ(entries(image()), QStringList{u"v.mp4"_s}) << "no temporary file left beside it";
}

TEST_F(MediaFilesTest, CancelledCopyLeavesPreviousFileAndNoPartialOne) {
    const QString src = picture(u"v.mp4"_s, QByteArray(50000, 'n'));
    std::atomic<bool> cancel{false};
    CopyOptions options;
    options.chunkSize = 1000;
    options.cancel = &cancel;
    options.progress = [&](qint64 done, qint64) {
        if (done >= 20000)
            cancel = true;
    };
    // Into an empty place: nothing at all afterwards.
    EXPECT_EQ(copyReplacing(src, image() + u"/v.mp4"_s, options).status, CopyStatus::Cancelled);
    EXPECT_EQ(entries(image()), QStringList());
    // Over an older file: that file, untouched.
    cancel = false;
    ASSERT_TRUE(writeBytes(image() + u"/v.mp4"_s, "old"));
    EXPECT_EQ(copyReplacing(src, image() + u"/v.mp4"_s, options).status, CopyStatus::Cancelled);
    EXPECT_EQ(readBytes(image() + u"/v.mp4"_s), QByteArray("old"));
    EXPECT_EQ(entries(image()), QStringList{u"v.mp4"_s});
}

TEST_F(MediaFilesTest, FailedCopyNamesTheFileAndLeavesNothing) {
    const QString src = picture(u"a.jpg"_s, "abc");
    // The image folder is missing.
    const CopyResult missing = copyReplacing(src, home() + u"/other/image/a.jpg"_s);
    EXPECT_EQ(missing.status, CopyStatus::Failed);
    EXPECT_EQ(missing.outcome.msg, Msg::CopyFailed);
    EXPECT_EQ(missing.outcome.args, QStringList{u"a.jpg"_s});
    // A folder is not copied.
    EXPECT_EQ(copyReplacing(pictures(), image() + u"/My Pictures"_s).status, CopyStatus::Failed);
    // A folder already holds the name.
    ASSERT_TRUE(QDir().mkpath(image() + u"/a.jpg"_s));
    EXPECT_EQ(copyReplacing(src, image() + u"/a.jpg"_s).status, CopyStatus::Failed);
    EXPECT_EQ(entries(image()), QStringList{u"a.jpg"_s});
    EXPECT_TRUE(QFileInfo(image() + u"/a.jpg"_s).isDir());
}

TEST_F(MediaFilesTest, AttachLeavesOutFoldersMissingFilesUnusableNamesAndFailedCopies) {
    const QString ok = picture(u"ok.jpg"_s, "1");
    const QString semi = picture(u"a;b.jpg"_s, "2");
    ASSERT_TRUE(QDir().mkpath(pictures() + u"/album"_s));
    AttachRequest req = request({pictures() + u"/album"_s, ok, home() + u"/gone.jpg"_s, semi});
    AttachResult r = attachFiles(req);
    EXPECT_EQ(r.appended, QStringList{u"ok.jpg"_s});
    EXPECT_EQ(r.rejected, (QStringList{pictures() + u"/album"_s, home() + u"/gone.jpg"_s}));
    EXPECT_EQ(r.unusable, QStringList{semi});
    EXPECT_EQ(entries(image()), QStringList{u"ok.jpg"_s});

    // Without its image folder every copy fails and no name is appended.
    ASSERT_TRUE(QDir(image()).removeRecursively());
    r = attachFiles(request({ok}));
    EXPECT_EQ(r.failed, QStringList{u"ok.jpg"_s});
    EXPECT_TRUE(r.appended.isEmpty());
}

TEST_F(MediaFilesTest, SameNameTwiceInOneBatchAsksBeforeTheSecondOverwritesTheFirst) {
    ASSERT_TRUE(QDir().mkpath(pictures() + u"/2"_s));
    const QString first = picture(u"a.jpg"_s, "first");
    const QString second = picture(u"2/a.jpg"_s, "second");
    int questions = 0;
    AttachRequest req = request({first, second});
    req.confirmReplace = [&](const QString&) {
        ++questions;
        return false;
    };
    const AttachResult r = attachFiles(req);
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(r.appended, QStringList{u"a.jpg"_s});
    EXPECT_EQ(r.declined, QStringList{u"a.jpg"_s});
    EXPECT_EQ(readBytes(image() + u"/a.jpg"_s), QByteArray("first"));

    // The same bytes again need no question and no copy.
    EXPECT_EQ(attachFiles(request({first})).appended, QStringList{u"a.jpg"_s});
    EXPECT_EQ(questions, 1);
}

namespace {

class ScriptedObserver final : public CopyObserver {
public:
    qint64 cancelAt = -1;
    QStringList begun;
    int ended = 0;
    qint64 last = 0;
    void begin(const QString& name, qint64) override { begun << name; }
    bool progressed(qint64 done, qint64) override {
        last = done;
        return cancelAt < 0 || done < cancelAt;
    }
    void end() override { ++ended; }
};

} // namespace

TEST_F(MediaFilesTest, LargeCopiesShowProgressAndCancelStopsTheRestOfTheBatch) {
    const QString small = picture(u"small.jpg"_s, "s");
    const QString big = picture(u"big.mp4"_s, QByteArray(kProgressThreshold + 10, 'v'));
    const QString after = picture(u"after.jpg"_s, "a");
    ScriptedObserver observer;
    AttachRequest req = request({small, big, after});
    req.observer = &observer;

    const AttachResult done = attachFiles(req);
    EXPECT_EQ(observer.begun, QStringList{u"big.mp4"_s}) << "small copies show nothing";
    EXPECT_EQ(observer.ended, 1);
    EXPECT_EQ(observer.last, kProgressThreshold + 10);
    EXPECT_EQ(done.appended, (QStringList{u"small.jpg"_s, u"big.mp4"_s, u"after.jpg"_s}));

    ASSERT_TRUE(QDir(image()).removeRecursively() && QDir().mkpath(image()));
    observer.cancelAt = 1024 * 1024;
    const AttachResult cancelled = attachFiles(req);
    EXPECT_TRUE(cancelled.cancelled);
    EXPECT_EQ(cancelled.appended, QStringList{u"small.jpg"_s});
    EXPECT_EQ(entries(image()), QStringList{u"small.jpg"_s}) << "no partial video, nothing after it";
    EXPECT_EQ(observer.ended, 2) << "the progress view is closed after a cancel too";
}
