#include "media/media_files.h"
#include "store/paths.h"
#include "store/textfile.h"

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
    return textfile::writeFileAtomically(path, bytes).ok();
}

QByteArray readBytes(const QString& path) {
    return textfile::readFile(path).value_or("<missing>");
}

// Every name in a folder, hidden temporaries included.
QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

class CancellingObserver final : public CopyObserver {
public:
    QStringList begun;
    int ended = 0;
    void begin(const QString& name, qint64) override { begun << name; }
    bool progressed(qint64 done, qint64) override { return done < 1024 * 1024; }
    void end() override { ++ended; }
};

class MediaFilesTest : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(QDir().mkpath(image()) && QDir().mkpath(pictures())); }
    QString home() const { return dir.path(); }
    QString image() const { return paths::imageFolder(home(), u"diary"_s); }
    QString pictures() const { return home() + u"/My Pictures"_s; }
    QString picture(const QString& name, const QByteArray& bytes) const {
        const QString path = pictures() + u'/' + name;
        EXPECT_TRUE(QDir().mkpath(QFileInfo(path).path()) && writeBytes(path, bytes));
        return path;
    }
    AttachRequest request(const QStringList& paths) const {
        return {.home = home(), .folder = u"diary"_s, .paths = paths, .sameName = {}};
    }
    QTemporaryDir dir;
};

} // namespace

TEST(MediaNames, NameIsTheTextAfterTheLastSeparator_SemicolonsAndControlCharactersCannotBeListed) {
    EXPECT_EQ(mediaName(u"/home/u/My Pictures/a b.jpg"_s), u"a b.jpg"_s);
    EXPECT_EQ(mediaName(u"/home/u/folder/"_s), QString());
    EXPECT_TRUE(isAttachableName(u"夏休み 1.JPG"_s));
    for (const QString& name : {u"a;b.jpg"_s, u"a\nb.jpg"_s, QString()})
        EXPECT_FALSE(isAttachableName(name)) << name.toStdString();
    EXPECT_EQ(appendNames(u"x.jpg"_s, {u"a.jpg"_s, u"b.mp4"_s}), u"x.jpga.jpg;b.mp4;"_s)
        << "appended as they stand, even after a name typed without its \";\"";
}

TEST_F(MediaFilesTest, OwnDestinationSeesThroughLinksAndDotDot_NotASameFileElsewhere) {
    const QString dst = image() + u"/a.jpg"_s;
    ASSERT_TRUE(writeBytes(dst, "x"));
    ASSERT_TRUE(QFile::link(home() + u"/diary"_s, home() + u"/linked"_s));
    EXPECT_TRUE(isOwnDestination(home() + u"/diary/../diary/image/a.jpg"_s, dst));
    EXPECT_TRUE(isOwnDestination(home() + u"/linked/image/a.jpg"_s, dst));
    EXPECT_FALSE(isOwnDestination(picture(u"a.jpg"_s, "x"), dst)) << "same name and bytes, another file";
    EXPECT_FALSE(isOwnDestination(picture(u"a.jpg"_s, "x"), image() + u"/missing.jpg"_s));
}

TEST_F(MediaFilesTest, ExistingFileIsComparedBySizeAndEveryByte) {
    const QString src = picture(u"a.jpg"_s, "abcdef");
    const QString dst = image() + u"/a.jpg"_s;
    EXPECT_EQ(compareWithExisting(src, dst), Existing::None);
    EXPECT_EQ(compareWithExisting(src, image()), Existing::None) << "a folder is no file to replace";
    for (const auto& [bytes, existing] : {std::pair{"abcdef"_ba, Existing::Identical},
                                          {"abcdeX"_ba, Existing::Different},
                                          {"abc"_ba, Existing::Different}}) {
        ASSERT_TRUE(writeBytes(dst, bytes));
        EXPECT_EQ(compareWithExisting(src, dst), existing) << bytes.toStdString();
    }
}

TEST_F(MediaFilesTest, CopyGoesInChunks_CancelledKeepsThePreviousFile_CompleteReplacesItWhole_NoTemporaryLeft) {
    const QByteArray bytes = QByteArray("0123456789").repeated(1000);
    const QString src = picture(u"v.mp4"_s, bytes);
    const QString dst = image() + u"/v.mp4"_s;
    const QByteArray older(20000, 'o');
    ASSERT_TRUE(writeBytes(dst, older));
    std::atomic<bool> cancel{false};
    bool cancelAfterFirstChunk = true;
    QList<qint64> seen;
    CopyOptions options;
    options.chunkSize = 4096;
    options.cancel = &cancel;
    options.progress = [&](qint64 done, qint64 total) {
        EXPECT_EQ(total, 10000);
        seen << done;
        cancel = cancelAfterFirstChunk;
    };
    EXPECT_EQ(copyReplacing(src, dst, options).status, CopyStatus::Cancelled);
    EXPECT_EQ(readBytes(dst), older);
    EXPECT_EQ(entries(image()), QStringList{u"v.mp4"_s});

    cancel = cancelAfterFirstChunk = false;
    seen.clear();
    EXPECT_EQ(copyReplacing(src, dst, options).status, CopyStatus::Copied);
    EXPECT_EQ(readBytes(dst), bytes);
    EXPECT_EQ(seen, (QList<qint64>{4096, 8192, 10000}));
    EXPECT_EQ(entries(image()), QStringList{u"v.mp4"_s});
}

TEST_F(MediaFilesTest, FolderInTheWay_CopyFailsNamingTheFile_TheFolderStays) {
    ASSERT_TRUE(QDir().mkpath(image() + u"/a.jpg"_s));
    const CopyResult r = copyReplacing(picture(u"a.jpg"_s, "abc"), image() + u"/a.jpg"_s);
    EXPECT_EQ(r.status, CopyStatus::Failed);
    EXPECT_EQ(r.outcome.args, QStringList{u"a.jpg"_s});
    EXPECT_EQ(entries(image()), QStringList{u"a.jpg"_s});
    EXPECT_TRUE(QFileInfo(image() + u"/a.jpg"_s).isDir());
}

TEST_F(MediaFilesTest, Attach_LeavesOutUnusableNames_AsksBeforeASecondSameNameReplacesTheFirstOrIsRenamed) {
    const QString first = picture(u"a.jpg"_s, "first");
    const QString semi = picture(u"a;b.jpg"_s, "semi");
    const QString second = picture(u"2/a.jpg"_s, "second");
    int questions = 0;
    AttachRequest req = request({first, semi, second});
    req.sameName = [&](const QString& name, const QString& free) {
        ++questions;
        EXPECT_EQ(name + u' ' + free, u"a.jpg a_2.jpg"_s);
        return SameName::Keep;
    };
    const AttachResult r = attachFiles(req);
    EXPECT_EQ(questions, 1);
    EXPECT_EQ(r.appended, QStringList{u"a.jpg"_s});
    EXPECT_EQ(r.unusable, QStringList{semi});
    EXPECT_EQ(r.declined, QStringList{u"a.jpg"_s});
    EXPECT_EQ(readBytes(image() + u"/a.jpg"_s), QByteArray("first"));
    EXPECT_EQ(entries(image()), QStringList{u"a.jpg"_s});

    EXPECT_EQ(attachFiles(request({first})).appended, QStringList{u"a.jpg"_s}) << "the same bytes again";
    EXPECT_EQ(questions, 1);

    // Added under the next free name, twice: the names and the bytes stay apart.
    req = request({second, picture(u"3/a.jpg"_s, "third")});
    req.sameName = [](const QString&, const QString&) { return SameName::Rename; };
    EXPECT_EQ(attachFiles(req).appended, (QStringList{u"a_2.jpg"_s, u"a_3.jpg"_s}));
    EXPECT_EQ(readBytes(image() + u"/a.jpg"_s) + readBytes(image() + u"/a_2.jpg"_s) +
                  readBytes(image() + u"/a_3.jpg"_s),
              QByteArray("firstsecondthird"));
    EXPECT_EQ(freeName(image(), u"movie.tar.gz"_s), u"movie_2.tar.gz"_s);
    EXPECT_EQ(freeName(image(), u"README"_s), u"README_2"_s);
}

TEST_F(MediaFilesTest, CancelledLargeCopy_LeavesItAndTheRestOfTheBatchOut_SmallCopiesShowNothing) {
    CancellingObserver observer;
    AttachRequest req =
        request({picture(u"small.jpg"_s, "s"), picture(u"big.mp4"_s, QByteArray(kProgressThreshold, 'v')),
                 picture(u"after.jpg"_s, "a")});
    req.observer = &observer;
    const AttachResult r = attachFiles(req);
    EXPECT_EQ(observer.begun, QStringList{u"big.mp4"_s});
    EXPECT_EQ(observer.ended, 1);
    EXPECT_TRUE(r.cancelled);
    EXPECT_EQ(r.appended, QStringList{u"small.jpg"_s});
    EXPECT_EQ(entries(image()), QStringList{u"small.jpg"_s});
}
