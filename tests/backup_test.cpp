#include "backup/diary_backup.h"
#include "store/textfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QMap>
#include <QTemporaryDir>

#include <archive.h>
#include <archive_entry.h>

#include "file_size_limit.h"
#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;
using namespace tsuzuri::backup;

namespace {

// Every file (its bytes) and folder ("/" at the end, no bytes) below a folder; links as "-> target".
QMap<QString, QByteArray> tree(const QString& folder) {
    QMap<QString, QByteArray> out;
    QDirIterator it(folder, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        const QString name = info.filePath().sliced(folder.size() + 1);
        if (info.isSymLink())
            out.insert(name, "-> " + info.symLinkTarget().toUtf8());
        else if (info.isDir())
            out.insert(name + u'/', {});
        else
            out.insert(name, textfile::readFile(info.filePath()).value_or("unreadable"));
    }
    return out;
}

struct RawEntry {
    QString path;
    QByteArray data;
    QString linkTarget; // a symbolic link when set
};

// A zip made directly with the archive library, so that it can hold what our writer never writes. The
// manifest lists every plain file with its true size and SHA-256, so only the entry itself is at fault.
void writeRawZip(const QString& zipPath, const QList<RawEntry>& entries, const QString& folder = u"diary"_s) {
    QJsonArray files;
    for (const RawEntry& e : entries) {
        const QByteArray sha256 = QCryptographicHash::hash(e.data, QCryptographicHash::Sha256).toHex();
        if (e.linkTarget.isEmpty())
            files.append(QJsonObject{
                {u"path"_s, e.path}, {u"size"_s, e.data.size()}, {u"sha256"_s, QString::fromLatin1(sha256)}});
    }
    const QJsonObject manifest{
        {u"format"_s, u"tsuzuri-backup"_s}, {u"version"_s, 1}, {u"folder"_s, folder}, {u"files"_s, files}};
    const QList<RawEntry> all = entries + QList<RawEntry>{{u"manifest.json"_s, QJsonDocument(manifest).toJson(), {}}};
    archive* a = archive_write_new();
    archive_write_set_format_zip(a);
    ASSERT_EQ(archive_write_open_filename(a, QFile::encodeName(zipPath).constData()), ARCHIVE_OK);
    for (const RawEntry& e : all) {
        archive_entry* entry = archive_entry_new();
        archive_entry_set_pathname(entry, e.path.toUtf8().constData());
        archive_entry_set_perm(entry, 0644);
        if (!e.linkTarget.isEmpty()) {
            archive_entry_set_filetype(entry, AE_IFLNK);
            archive_entry_set_symlink(entry, e.linkTarget.toUtf8().constData());
        } else {
            archive_entry_set_filetype(entry, AE_IFREG);
            archive_entry_set_size(entry, e.data.size());
        }
        EXPECT_EQ(archive_write_header(a, entry), ARCHIVE_OK) << e.path.toStdString();
        archive_write_data(a, e.data.constData(), size_t(e.data.size()));
        archive_entry_free(entry);
    }
    archive_write_close(a);
    archive_write_free(a);
}

} // namespace

class BackupTest : public ::testing::Test {
protected:
    void SetUp() override {
        put(u"diary/200511.html"_s, "<html>\r\n\xc6\xfa\xcb\xad\r\n");
        put(u"diary/calender.css"_s, "body {}\r\n");
        put(u"diary/image/写真.jpg"_s, "JPEG" + QByteArray(3000, 'x') + "END");
        put(u"diary/image/old/v.mp4"_s, QByteArray(5000, 'v'));
        put(u"diary/.htaccess"_s, "Options -Indexes\n");
        ASSERT_TRUE(QDir(home).mkpath(u"diary/empty"_s));
        ASSERT_TRUE(QFile::link(u"/etc/hostname"_s, home + u"/diary/link"_s));
        put(u"ini/app_diary.ini"_s, "[FTP]host.jp\r\n[UID]me\r\n[PSW]secret\r\n[DIR]www\r\n[CHK]0\r\n");
        put(u"ini/etc_diary.ini"_s, "[imw]320\r\n[imh]240\r\n[mow]\r\n[moh]\r\n[chk]0\r\n");
    }
    void put(const QString& path, const QByteArray& bytes) {
        ASSERT_TRUE(QDir(home).mkpath(QFileInfo(home + u'/' + path).path()));
        ASSERT_TRUE(textfile::writeFileAtomically(home + u'/' + path, bytes).ok());
    }
    BackupResult backup(bool password = true, const ProgressCallback& progress = {}, std::stop_token stop = {}) {
        return writeBackup({home, u"diary"_s, zip, password}, progress, std::move(stop));
    }
    RestoreResult restore(const QString& from, std::optional<QString> as = u"copy"_s) {
        return restoreBackup({home, from, std::move(as)});
    }
    QByteArray ini(const QString& name) { return textfile::readFile(home + u"/ini/"_s + name).value_or("missing"); }

    QTemporaryDir root;
    QString home = root.path() + u"/home"_s;
    QString zip = root.path() + u"/diary.zip"_s;
};

TEST_F(BackupTest, RoundTrip_RestoredUnderAnotherName_EveryFileByteIdenticalLinksLeftOut) {
    qint64 lastDone = -1, total = 0;
    const BackupResult b = backup(true, [&](const Progress& p) {
        lastDone = p.bytesDone;
        total = p.bytesTotal;
    });
    ASSERT_TRUE(b.written) << b.detail.toStdString();
    EXPECT_EQ(b.leftOut, QStringList{u"link"_s});
    EXPECT_EQ(lastDone, total);
    EXPECT_EQ(QFile::permissions(zip) & (QFileDevice::ReadOther | QFileDevice::ReadGroup), 0); // it holds the password

    const RestoreResult r = restore(zip);
    ASSERT_TRUE(r.restored) << r.detail.toStdString();
    QMap<QString, QByteArray> expected = tree(home + u"/diary"_s);
    expected.remove(u"link"_s);
    EXPECT_EQ(tree(home + u"/copy"_s), expected);
    EXPECT_EQ(ini(u"app_copy.ini"_s), ini(u"app_diary.ini"_s));
    EXPECT_EQ(ini(u"etc_copy.ini"_s), ini(u"etc_diary.ini"_s));
    EXPECT_EQ(QFile::permissions(home + u"/ini/app_copy.ini"_s) & QFileDevice::ReadOther, 0);
    EXPECT_EQ((std::array{r.pages, r.mediaFiles, r.otherFiles, r.settingsFiles}), (std::array{1, 2, 2, 2}));
    EXPECT_TRUE(r.passwordIncluded);
}

TEST_F(BackupTest, PasswordLeftOutUnlessAsked_OnlyItsLineIsEmptied) {
    ASSERT_TRUE(backup(false).written);
    const RestoreResult r = restore(zip);
    ASSERT_TRUE(r.restored) << r.detail.toStdString();
    EXPECT_FALSE(r.passwordIncluded);
    EXPECT_EQ(ini(u"app_copy.ini"_s), "[FTP]host.jp\r\n[UID]me\r\n[PSW]\r\n[DIR]www\r\n[CHK]0\r\n");
}

TEST_F(BackupTest, DefaultName_BesideTheProgramFolder_ASecondOfTheDayNeverReplacesTheFirst) {
    const QString first = defaultBackupPath(home, u"diary"_s, QDate(2024, 5, 6));
    EXPECT_EQ(first, root.path() + u"/diary-20240506.zip"_s);
    ASSERT_TRUE(textfile::writeFileAtomically(first, "earlier").ok());
    EXPECT_EQ(defaultBackupPath(home, u"diary"_s, QDate(2024, 5, 6)), root.path() + u"/diary-20240506-2.zip"_s);
}

TEST_F(BackupTest, CancelledOrFailedWork_LeavesNoPartialZipOrFolder) {
    std::stop_source stop;
    const BackupResult cancelled = backup(
        true, [&](const Progress&) { stop.request_stop(); }, stop.get_token());
    EXPECT_FALSE(cancelled.written);
    EXPECT_EQ(cancelled.outcome.msg, Msg::BackupCancelled);
    EXPECT_EQ(QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              QStringList{u"home"_s});

    // A full disk half way: the earlier zip under that name stays as it was.
    ASSERT_TRUE(textfile::writeFileAtomically(zip, "earlier zip").ok());
    {
        FileSizeLimit limit(4096);
        EXPECT_EQ(backup().outcome.msg, Msg::WriteFailed);
    }
    EXPECT_EQ(textfile::readFile(zip), "earlier zip");
    EXPECT_EQ(QDir(root.path()).entryList(QDir::AllEntries | QDir::NoDotAndDotDot | QDir::Hidden),
              (QStringList{u"diary.zip"_s, u"home"_s}));

    // … and while restoring: no folder, no settings files, no hidden leftovers.
    ASSERT_TRUE(backup().written);
    const QMap<QString, QByteArray> before = tree(home);
    {
        FileSizeLimit limit(4096);
        EXPECT_EQ(restore(zip).outcome.msg, Msg::RestoreWriteFailed);
    }
    EXPECT_EQ(tree(home), before);
}

TEST_F(BackupTest, DamagedOrForeignZip_RestoresNothingAndSaysWhy) {
    ASSERT_TRUE(backup().written);
    const QByteArray good = *textfile::readFile(zip);
    const QMap<QString, QByteArray> before = tree(home);
    const auto restoreBytes = [&](const QByteArray& bytes) {
        const QString damaged = root.path() + u"/damaged.zip"_s;
        EXPECT_TRUE(textfile::writeFileAtomically(damaged, bytes).ok());
        RestoreResult r = restore(damaged);
        QFile::remove(damaged);
        return r;
    };
    const auto expectNothing = [&](const RestoreResult& r, std::initializer_list<Msg> why) {
        EXPECT_FALSE(r.restored);
        EXPECT_TRUE(std::find(why.begin(), why.end(), r.outcome.msg) != why.end()) << int(r.outcome.msg);
        EXPECT_EQ(tree(home), before);
    };
    expectNothing(restoreBytes(good.first(good.size() - 1)), {Msg::RestoreDamaged});
    QByteArray flipped = good;
    flipped[good.indexOf("JPEG") + 100] ^= 0x01; // inside a stored picture
    expectNothing(restoreBytes(flipped), {Msg::RestoreDamaged, Msg::RestoreFileMismatch});

    // A flipped byte anywhere: either nothing is restored, or (a field no reader looks at) everything whole.
    for (int k = 1; k <= 10; ++k) {
        QByteArray bytes = good;
        bytes[bytes.size() * k / 11] ^= 0x20;
        const RestoreResult r = restoreBytes(bytes);
        SCOPED_TRACE(k);
        if (r.restored) {
            QMap<QString, QByteArray> expected = tree(home + u"/diary"_s);
            expected.remove(u"link"_s);
            EXPECT_EQ(tree(home + u"/copy"_s), expected);
            QDir(home + u"/copy"_s).removeRecursively();
            QFile::remove(home + u"/ini/app_copy.ini"_s);
            QFile::remove(home + u"/ini/etc_copy.ini"_s);
        }
        EXPECT_EQ(tree(home), before);
    }

    const QString foreign = root.path() + u"/foreign.zip"_s;
    writeRawZip(foreign, {{u"diary/a.html"_s, "a", {}}});
    QByteArray noManifest = *textfile::readFile(foreign);
    noManifest.replace("manifest.json", "manifest.jsoX");
    expectNothing(restoreBytes(noManifest), {Msg::RestoreNotBackup, Msg::RestoreDamaged});
    expectNothing(restoreBytes("not a zip at all"), {Msg::RestoreDamaged});
}

// Checked before anything is written: every entry of the zip, and the name it would come back under.
TEST_F(BackupTest, HostileEntries_ExistingFolderOrSettings_UnusableNames_RestoreNothingAndSayWhy) {
    ASSERT_TRUE(backup().written);
    put(u"ini/etc_taken.ini"_s, "[imw]1\r\n");
    const struct {
        QList<RawEntry> entries; // a zip made of these instead of the backup
        std::optional<QString> as;
        Msg why;
        QString named;
        QString folder = u"diary"_s;
    } cases[] = {
        {{{u"diary/a.html"_s, "a", {}}, {u"../evil.txt"_s, "x", {}}}, {}, Msg::RestoreUnsafeEntry, u"../evil.txt"_s},
        {{{u"/tmp/evil.txt"_s, "x", {}}}, {}, Msg::RestoreUnsafeEntry, u"/tmp/evil.txt"_s},
        {{{u"diary/../../evil.txt"_s, "x", {}}}, {}, Msg::RestoreUnsafeEntry, u"diary/../../evil.txt"_s},
        {{{u"diary\\..\\..\\evil.txt"_s, "x", {}}},
         {},
         Msg::RestoreUnsafeEntry,
         u"diary/../../evil.txt"_s}, // read with slashes
        {{{u"diary/image/link"_s, {}, u"/etc/passwd"_s}}, {}, Msg::RestoreUnsafeEntry, u"diary/image/link"_s},
        {{{u"other/evil.txt"_s, "x", {}}}, {}, Msg::RestoreUnsafeEntry, u"other/evil.txt"_s},
        {{{u"ini/app_other.ini"_s, "x", {}}}, {}, Msg::RestoreUnsafeEntry, u"ini/app_other.ini"_s},
        {{{u"evil/a.txt"_s, "x", {}}}, {}, Msg::RestoreUnsafeEntry, u"../evil"_s, u"../evil"_s},
        {{}, u"taken"_s, Msg::RestoreSettingsExist, {}},
        {{}, u"../up"_s, Msg::RestoreBadName, {}},
        {{}, u"ini"_s, Msg::RestoreBadName, {}},
        {{}, u""_s, Msg::RestoreBadName, {}},
    };
    const QMap<QString, QByteArray> before = tree(root.path());
    for (const auto& c : cases) {
        SCOPED_TRACE(c.named.toStdString() + " as " + c.as.value_or(u"(none)"_s).toStdString());
        const QString from = c.entries.isEmpty() ? zip : root.path() + u"/hostile.zip"_s;
        if (!c.entries.isEmpty())
            writeRawZip(from, c.entries, c.folder);
        const RestoreResult r = restore(from, c.as);
        EXPECT_TRUE(from == zip || QFile::remove(from));
        EXPECT_FALSE(r.restored);
        EXPECT_EQ(r.outcome.msg, c.why);
        if (!c.named.isEmpty()) {
            EXPECT_EQ(r.outcome.args.value(1), c.named);
        }
        EXPECT_EQ(tree(root.path()), before);
    }
}
