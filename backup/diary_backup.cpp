#include "backup/diary_backup.h"

#include "backup/zip_archive.h"
#include "store/paths.h"
#include "store/textfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QDirIterator>
#include <QFileInfo>
#include <QHash>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSaveFile>
#include <QSet>
#include <QTemporaryDir>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tsuzuri::backup {

namespace {

constexpr qint64 kChunk = 1 << 20;
constexpr qint64 kManifestLimit = 64 << 20;
const QString kManifest = u"manifest.json"_s;
const QString kFormat = u"tsuzuri-backup"_s;

QString native(const QString& path) {
    return QDir::toNativeSeparators(path);
}

QString connectionEntry(const QString& folder) {
    return u"ini/app_"_s + folder + u".ini"_s;
}

QString sizeEntry(const QString& folder) {
    return u"ini/etc_"_s + folder + u".ini"_s;
}

// Pictures and videos are compressed already; deflating them again only costs time.
bool worthCompressing(const QString& name) {
    static const QStringList text = {u"html"_s, u"htm"_s, u"css"_s, u"js"_s,  u"ini"_s, u"json"_s,
                                     u"txt"_s,  u"xml"_s, u"svg"_s, u"csv"_s, u"md"_s};
    return text.contains(QFileInfo(name).suffix().toLower());
}

// Every line the settings reader could take for the password ("[PSW]" anywhere in it) is stored as the
// bare tag, the other lines byte for byte. Lines are cut on the bytes: CR and LF are never part of a
// code page 932 character.
QByteArray withoutPassword(const QByteArray& bytes) {
    QByteArray out;
    const qsizetype n = bytes.size();
    qsizetype i = 0;
    while (i < n) {
        qsizetype end = i;
        while (end < n && bytes[end] != '\r' && bytes[end] != '\n')
            ++end;
        const qsizetype breakLength = end >= n                                                        ? 0
                                      : (bytes[end] == '\r' && end + 1 < n && bytes[end + 1] == '\n') ? 2
                                                                                                      : 1;
        const QByteArray line = bytes.mid(i, end - i);
        out += textfile::decode(line).contains(u"[PSW]"_s) ? QByteArray("[PSW]") : line;
        out += bytes.mid(end, breakLength);
        i = end + breakLength;
    }
    return out;
}

struct Item {
    QString entry;    // the name inside the zip
    QString diskPath; // empty for settings held in memory
    bool directory = false;
    qint64 size = 0;
    QDateTime modified;
    QByteArray bytes;
};

} // namespace

bool isUsableFolderName(const QString& name) {
    if (name.isEmpty() || name == u"."_s || name == u".."_s || name == u"ini"_s)
        return false;
    return std::none_of(name.cbegin(), name.cend(),
                        [](QChar c) { return c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

QString defaultBackupPath(const QString& home, const QString& folder, const QDate& today) {
    const QString parent = QFileInfo(home).absoluteDir().absolutePath();
    const QString stem = parent + u'/' + folder + u'-' + today.toString(u"yyyyMMdd"_s);
    QString path = stem + u".zip"_s;
    for (int n = 2; QFileInfo::exists(path); ++n)
        path = stem + u'-' + QString::number(n) + u".zip"_s;
    return path;
}

BackupResult writeBackup(const BackupRequest& request, const ProgressCallback& progress, std::stop_token stop) {
    BackupResult result;
    const auto failed = [&](Msg msg, const QString& arg, const QString& detail = {}) {
        result.outcome = Outcome::failure(msg, {arg});
        result.detail = detail;
        result.files = 0;
        result.bytes = 0;
        return result;
    };

    const QString diary = paths::diaryFolder(request.home, request.folder);
    if (!isUsableFolderName(request.folder) || !QFileInfo(diary).isDir())
        return failed(Msg::BackupFolderMissing, native(diary));

    // What the folder holds, links and the like left out: they could lead anywhere, and a restore would
    // refuse them.
    QList<Item> items;
    items.append({request.folder + u'/', {}, true, 0, QFileInfo(diary).lastModified(), {}});
    const QString zipAbsolute = QFileInfo(request.zipPath).absoluteFilePath();
    const QDir base(diary);
    QDirIterator it(diary, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QFileInfo info = it.nextFileInfo();
        const QString relative = base.relativeFilePath(info.filePath());
        if (info.isSymLink() || !(info.isDir() || info.isFile()))
            result.leftOut.append(relative);
        else if (info.isDir())
            items.append({request.folder + u'/' + relative + u'/', {}, true, 0, info.lastModified(), {}});
        else if (info.absoluteFilePath() != zipAbsolute)
            items.append(
                {request.folder + u'/' + relative, info.filePath(), false, info.size(), info.lastModified(), {}});
    }
    const struct {
        QString path;
        QString entry;
        bool connection;
    } settings[] = {{paths::connectionIni(request.home, request.folder), connectionEntry(request.folder), true},
                    {paths::sizeIni(request.home, request.folder), sizeEntry(request.folder), false}};
    for (const auto& s : settings) {
        const QFileInfo info(s.path);
        if (!info.exists())
            continue;
        QString why;
        std::optional<QByteArray> bytes = textfile::readFile(s.path, &why);
        if (!bytes)
            return failed(Msg::BackupFileUnreadable, native(s.path), why);
        if (s.connection && !request.includePassword)
            bytes = withoutPassword(*bytes);
        items.append({s.entry, {}, false, bytes->size(), info.lastModified(), *bytes});
    }
    std::sort(items.begin(), items.end(), [](const Item& a, const Item& b) { return a.entry < b.entry; });
    std::sort(result.leftOut.begin(), result.leftOut.end());

    Progress p;
    for (const Item& item : std::as_const(items)) {
        p.bytesTotal += item.size;
        p.filesTotal += item.directory ? 0 : 1;
    }

    QSaveFile zip(request.zipPath);
    // Unbuffered, so a short write (full disk) shows in write()'s count and the zip is never committed.
    if (!zip.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return failed(Msg::WriteFailed, native(request.zipPath), zip.errorString());
    if (request.includePassword && !zip.setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner))
        return failed(Msg::WriteFailed, native(request.zipPath), zip.errorString());
    ZipWriter writer(zip);

    QJsonArray manifestFiles;
    QByteArray buffer;
    for (const Item& item : std::as_const(items)) {
        if (stop.stop_requested())
            return failed(Msg::BackupCancelled, {});
        if (item.directory) {
            if (!writer.addDirectory(item.entry, item.modified))
                return failed(Msg::WriteFailed, native(request.zipPath), writer.errorString());
            continue;
        }
        p.currentFile = item.entry;
        if (progress)
            progress(p);
        QCryptographicHash sha(QCryptographicHash::Sha256);
        if (item.diskPath.isEmpty()) {
            if (!writer.beginFile(item.entry, item.size, item.modified, true) ||
                !writer.write(item.bytes.constData(), item.size))
                return failed(Msg::WriteFailed, native(request.zipPath), writer.errorString());
            sha.addData(item.bytes);
            p.bytesDone += item.size;
        } else {
            QFile file(item.diskPath);
            if (!file.open(QIODevice::ReadOnly))
                return failed(Msg::BackupFileUnreadable, native(item.diskPath), file.errorString());
            if (!writer.beginFile(item.entry, item.size, item.modified, worthCompressing(item.entry)))
                return failed(Msg::WriteFailed, native(request.zipPath), writer.errorString());
            qint64 left = item.size;
            while (left > 0) {
                if (stop.stop_requested())
                    return failed(Msg::BackupCancelled, {});
                buffer.resize(std::min(left, kChunk));
                const qint64 n = file.read(buffer.data(), buffer.size());
                if (n <= 0)
                    return failed(Msg::BackupFileUnreadable, native(item.diskPath),
                                  n < 0 ? file.errorString() : u"the file became shorter during the backup"_s);
                if (!writer.write(buffer.constData(), n))
                    return failed(Msg::WriteFailed, native(request.zipPath), writer.errorString());
                sha.addData(QByteArrayView(buffer.constData(), n));
                left -= n;
                p.bytesDone += n;
                if (progress)
                    progress(p);
            }
            // A file that grew while it was read (a copy still going on) would be stored cut short.
            char more;
            if (file.read(&more, 1) != 0)
                return failed(Msg::BackupFileUnreadable, native(item.diskPath),
                              u"the file changed during the backup"_s);
        }
        ++p.filesDone;
        if (progress)
            progress(p);
        manifestFiles.append(QJsonObject{
            {u"path"_s, item.entry}, {u"size"_s, item.size}, {u"sha256"_s, QString::fromLatin1(sha.result().toHex())}});
        result.bytes += item.size;
    }

    const QJsonObject manifest{{u"format"_s, kFormat},
                               {u"version"_s, 1},
                               {u"folder"_s, request.folder},
                               {u"created"_s, QDateTime::currentDateTime().toString(Qt::ISODate)},
                               {u"ftpPassword"_s, request.includePassword},
                               {u"files"_s, manifestFiles}};
    const QByteArray manifestBytes = QJsonDocument(manifest).toJson(QJsonDocument::Indented);
    if (!writer.beginFile(kManifest, manifestBytes.size(), QDateTime::currentDateTime(), true) ||
        !writer.write(manifestBytes.constData(), manifestBytes.size()) || !writer.finish())
        return failed(Msg::WriteFailed, native(request.zipPath), writer.errorString());
    if (stop.stop_requested())
        return failed(Msg::BackupCancelled, {});
    if (!zip.commit())
        return failed(Msg::WriteFailed, native(request.zipPath), zip.errorString());
    result.files = p.filesDone;
    result.written = true;
    result.outcome = Outcome::failure(Msg::BackupDone, {native(request.zipPath)});
    return result;
}

namespace {

// A name that stays inside the folder it is unpacked into: relative, no "..", ".", empty parts or
// backslashes (a separator elsewhere), no drive.
bool isSafeEntryPath(QStringView path, bool directory) {
    if (directory && path.endsWith(u'/'))
        path.chop(1);
    if (path.isEmpty() || path.startsWith(u'/') || path.contains(u'\\') || path.contains(QChar(0)) ||
        (path.size() >= 2 && path[1] == u':'))
        return false;
    for (const QStringView part : path.split(u'/')) {
        if (part.isEmpty() || part == u"." || part == u"..")
            return false;
    }
    return true;
}

struct ManifestFile {
    qint64 size = 0;
    QByteArray sha256; // hex
};

struct Manifest {
    QString folder;
    bool password = false;
    QHash<QString, ManifestFile> files;
};

std::optional<Manifest> parseManifest(const QByteArray& bytes) {
    const QJsonObject root = QJsonDocument::fromJson(bytes).object();
    if (root.value(u"format"_s).toString() != kFormat || root.value(u"version"_s).toInt() != 1 ||
        !root.value(u"folder"_s).isString() || !root.value(u"files"_s).isArray())
        return std::nullopt;
    Manifest m;
    m.folder = root.value(u"folder"_s).toString();
    m.password = root.value(u"ftpPassword"_s).toBool();
    static const QRegularExpression hex(u"^[0-9a-f]{64}$"_s);
    for (const QJsonValue v : root.value(u"files"_s).toArray()) {
        const QJsonObject f = v.toObject();
        const QString path = f.value(u"path"_s).toString();
        const double size = f.value(u"size"_s).toDouble(-1);
        const QString sha = f.value(u"sha256"_s).toString();
        if (path.isEmpty() || size < 0 || size != double(qint64(size)) || !hex.match(sha).hasMatch() ||
            m.files.contains(path))
            return std::nullopt;
        m.files.insert(path, {qint64(size), sha.toLatin1()});
    }
    return m;
}

struct Restorer {
    const RestoreRequest& request;
    const ProgressCallback& progress;
    std::stop_token stop;
    RestoreResult result;
    QString zipName = native(request.zipPath);

    RestoreResult& failed(Msg msg, const QStringList& args, const QString& detail = {}) {
        result = RestoreResult{};
        result.outcome = Outcome::failure(msg, args);
        result.detail = detail;
        return result;
    }

    RestoreResult run();
};

RestoreResult Restorer::run() {
    if (request.asName && !isUsableFolderName(*request.asName))
        return failed(Msg::RestoreBadName, {*request.asName});

    // First pass: every name and kind, and the manifest, before anything is written.
    ZipReader listing;
    if (!listing.open(request.zipPath))
        return failed(Msg::RestoreDamaged, {zipName}, listing.errorString());
    QSet<QString> files, directories;
    QByteArray manifestBytes;
    for (ZipEntry e;;) {
        const ZipReader::Next next = listing.next(e);
        if (next == ZipReader::Next::End)
            break;
        if (next == ZipReader::Next::Error)
            return failed(Msg::RestoreDamaged, {zipName}, listing.errorString());
        const bool directory = e.kind == ZipEntry::Kind::Directory;
        if (e.isLink || e.kind == ZipEntry::Kind::Other || !isSafeEntryPath(e.path, directory))
            return failed(Msg::RestoreUnsafeEntry, {zipName, e.path}, u"not a plain file inside the folder"_s);
        if (files.contains(e.path) || directories.contains(e.path))
            return failed(Msg::RestoreFileMismatch, {zipName, e.path}, u"stored twice"_s);
        (directory ? directories : files).insert(e.path);
        if (e.path == kManifest) {
            QByteArray chunk(kChunk, Qt::Uninitialized);
            for (qint64 n; (n = listing.read(chunk.data(), chunk.size())) != 0;) {
                if (n < 0)
                    return failed(Msg::RestoreDamaged, {zipName}, listing.errorString());
                manifestBytes.append(chunk.constData(), n);
                if (manifestBytes.size() > kManifestLimit)
                    return failed(Msg::RestoreNotBackup, {zipName}, u"manifest too large"_s);
            }
        }
    }
    const std::optional<Manifest> manifest = parseManifest(manifestBytes);
    if (!files.contains(kManifest) || !manifest)
        return failed(Msg::RestoreNotBackup, {zipName});
    const QString original = manifest->folder;
    if (!isUsableFolderName(original))
        return failed(Msg::RestoreUnsafeEntry, {zipName, original}, u"the manifest names no usable folder"_s);

    // Only the folder's own files and its two settings files, each exactly once in zip and manifest.
    const QString prefix = original + u'/';
    const auto inFolder = [&](const QString& path) { return path.startsWith(prefix); };
    for (const QString& path : std::as_const(directories)) {
        if (!inFolder(path))
            return failed(Msg::RestoreUnsafeEntry, {zipName, path}, u"outside the diary folder"_s);
    }
    for (auto it = manifest->files.cbegin(); it != manifest->files.cend(); ++it) {
        const QString& path = it.key();
        if (!isSafeEntryPath(path, false) ||
            !(inFolder(path) || path == connectionEntry(original) || path == sizeEntry(original)))
            return failed(Msg::RestoreUnsafeEntry, {zipName, path}, u"outside the diary folder"_s);
        if (!files.contains(path))
            return failed(Msg::RestoreFileMismatch, {zipName, path}, u"listed in the manifest, missing from the zip"_s);
    }
    for (const QString& path : std::as_const(files)) {
        if (path != kManifest && !manifest->files.contains(path))
            return failed(Msg::RestoreFileMismatch, {zipName, path}, u"not listed in the manifest"_s);
    }

    const QString name = request.asName.value_or(original);
    const QString target = paths::diaryFolder(request.home, name);
    if (QFileInfo::exists(target) || QFileInfo(target).isSymLink())
        return failed(Msg::RestoreFolderExists, {name});
    struct Setting {
        QString entry;
        QString path;
        bool connection;
        QByteArray bytes;
    };
    QList<Setting> settings;
    for (const auto& [entry, path, connection] :
         {std::tuple{connectionEntry(original), paths::connectionIni(request.home, name), true},
          std::tuple{sizeEntry(original), paths::sizeIni(request.home, name), false}}) {
        if (!manifest->files.contains(entry))
            continue;
        if (QFileInfo::exists(path))
            return failed(Msg::RestoreSettingsExist, {native(path)});
        settings.append({entry, path, connection, {}});
    }

    // Second pass: unpack into a hidden folder beside the target (same file system, so the final rename
    // is one step), checking each file against the manifest as it comes.
    QTemporaryDir staging(request.home + u"/.tsuzuri-restore-XXXXXX"_s);
    const QString staged = staging.path() + u"/folder"_s;
    if (!staging.isValid() || !QDir().mkpath(staged))
        return failed(Msg::RestoreWriteFailed, {native(request.home)}, staging.errorString());
    Progress p;
    p.filesTotal = int(manifest->files.size());
    for (const ManifestFile& f : manifest->files)
        p.bytesTotal += f.size;
    ZipReader reader;
    if (!reader.open(request.zipPath))
        return failed(Msg::RestoreDamaged, {zipName}, reader.errorString());
    QByteArray chunk(kChunk, Qt::Uninitialized);
    QSet<QString> unpacked;
    for (ZipEntry e;;) {
        const ZipReader::Next next = reader.next(e);
        if (next == ZipReader::Next::End)
            break;
        if (next == ZipReader::Next::Error)
            return failed(Msg::RestoreDamaged, {zipName}, reader.errorString());
        if (stop.stop_requested())
            return failed(Msg::RestoreCancelled, {});
        if (e.path == kManifest)
            continue;
        const bool directory = e.kind == ZipEntry::Kind::Directory;
        // The zip must say the same the second time; a changed file is caught here.
        if (e.isLink || e.kind == ZipEntry::Kind::Other || !isSafeEntryPath(e.path, directory) ||
            !(directory ? directories.contains(e.path) : manifest->files.contains(e.path)))
            return failed(Msg::RestoreUnsafeEntry, {zipName, e.path}, u"the zip changed during the restore"_s);
        const QString inStaging = staged + u'/' + e.path.sliced(std::min(prefix.size(), e.path.size()));
        if (directory) {
            if (!QDir().mkpath(inStaging))
                return failed(Msg::RestoreWriteFailed, {native(inStaging)});
            continue;
        }
        const ManifestFile expected = manifest->files.value(e.path);
        Setting* setting = nullptr;
        for (Setting& s : settings)
            setting = s.entry == e.path ? &s : setting;
        QFile out(inStaging);
        if (!setting &&
            (!QDir().mkpath(QFileInfo(inStaging).path()) || !out.open(QIODevice::WriteOnly | QIODevice::NewOnly)))
            return failed(Msg::RestoreWriteFailed, {native(inStaging)}, out.errorString());
        p.currentFile = e.path;
        if (progress)
            progress(p);
        QCryptographicHash sha(QCryptographicHash::Sha256);
        qint64 size = 0;
        for (qint64 n; (n = reader.read(chunk.data(), chunk.size())) != 0;) {
            if (n < 0)
                return failed(Msg::RestoreDamaged, {zipName}, e.path + u": "_s + reader.errorString());
            if (stop.stop_requested())
                return failed(Msg::RestoreCancelled, {});
            size += n;
            if (size > expected.size)
                return failed(Msg::RestoreFileMismatch, {zipName, e.path}, u"larger than the manifest says"_s);
            sha.addData(QByteArrayView(chunk.constData(), n));
            if (setting)
                setting->bytes.append(chunk.constData(), n);
            else if (out.write(chunk.constData(), n) != n)
                return failed(Msg::RestoreWriteFailed, {native(inStaging)}, out.errorString());
            p.bytesDone += n;
            if (progress)
                progress(p);
        }
        if (size != expected.size || sha.result().toHex() != expected.sha256)
            return failed(Msg::RestoreFileMismatch, {zipName, e.path}, u"size or SHA-256 differs from the manifest"_s);
        if (!setting) {
            if (!out.flush())
                return failed(Msg::RestoreWriteFailed, {native(inStaging)}, out.errorString());
            if (e.modified.isValid())
                out.setFileTime(e.modified, QFileDevice::FileModificationTime);
            out.close();
        }
        unpacked.insert(e.path);
        ++p.filesDone;
    }
    if (unpacked.size() != manifest->files.size())
        return failed(Msg::RestoreDamaged, {zipName}, u"the zip changed during the restore"_s);
    if (stop.stop_requested())
        return failed(Msg::RestoreCancelled, {});

    // Into place: the settings files first, then the folder in one rename; undone if the rename fails.
    QStringList written;
    const auto undo = [&] {
        for (const QString& path : std::as_const(written))
            QFile::remove(path);
    };
    QDir().mkpath(paths::iniFolder(request.home));
    for (const Setting& s : std::as_const(settings)) {
        const auto permissions = s.connection ? std::optional(QFileDevice::ReadOwner | QFileDevice::WriteOwner)
                                              : std::optional<QFileDevice::Permissions>();
        if (QFileInfo::exists(s.path)) {
            undo();
            return failed(Msg::RestoreSettingsExist, {native(s.path)});
        }
        if (!textfile::writeFileAtomically(s.path, s.bytes, permissions).ok()) {
            undo();
            return failed(Msg::RestoreWriteFailed, {native(s.path)});
        }
        written.append(s.path);
    }
    if (QFileInfo::exists(target) || !QDir().rename(staged, target)) {
        undo();
        return failed(QFileInfo::exists(target) ? Msg::RestoreFolderExists : Msg::RestoreWriteFailed,
                      {QFileInfo::exists(target) ? name : native(target)});
    }

    static const QRegularExpression page(u"^[0-9]{6}\\.html$"_s);
    QStringList restored;
    for (auto it = manifest->files.cbegin(); it != manifest->files.cend(); ++it) {
        if (!inFolder(it.key())) {
            ++result.settingsFiles;
            restored.append(it.key() == connectionEntry(original) ? connectionEntry(name) : sizeEntry(name));
            continue;
        }
        const QString relative = it.key().sliced(prefix.size());
        if (page.match(relative).hasMatch())
            ++result.pages;
        else if (relative.startsWith(u"image/"_s))
            ++result.mediaFiles;
        else
            ++result.otherFiles;
        restored.append(name + u'/' + relative);
    }
    std::sort(restored.begin(), restored.end());
    result.files = restored;
    result.folder = name;
    result.passwordIncluded = manifest->password;
    result.restored = true;
    result.outcome =
        Outcome::failure(Msg::RestoreDone, {name, QString::number(result.pages), QString::number(result.mediaFiles),
                                            QString::number(result.otherFiles), QString::number(result.settingsFiles)});
    return result;
}

} // namespace

RestoreResult restoreBackup(const RestoreRequest& request, const ProgressCallback& progress, std::stop_token stop) {
    Restorer restorer{request, progress, std::move(stop), {}};
    return restorer.run();
}

} // namespace tsuzuri::backup
