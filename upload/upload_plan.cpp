#include "upload/upload_plan.h"

#include "settings/diary_folder.h"
#include "store/paths.h"
#include "store/textfile.h"
#include "upload/sent_manifest.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

#include <dirent.h>
#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace tsuzuri::upload {

namespace {

bool hasLineBreak(QStringView s) {
    return s.contains(u'\r') || s.contains(u'\n');
}

// The name as the message shows it: the breaks made visible, so the user sees where they are.
QString shownName(QString s) {
    s.replace(u"\r"_s, u"\\r"_s);
    s.replace(u"\n"_s, u"\\n"_s);
    return s;
}

// The plain, not hidden files directly inside folder whose names do not decode in this system's
// encoding (Shift_JIS names on a UTF-8 system), shown as folderName/name with those bytes as %XX.
QStringList undecodableFiles(const QString& folder, const QString& folderName) {
    QStringList found;
    DIR* dir = ::opendir(QFile::encodeName(folder).constData());
    if (!dir)
        return found;
    while (const dirent* e = ::readdir(dir)) {
        const QByteArray raw(e->d_name);
        struct stat st {};
        if (raw.startsWith('.') || QFile::encodeName(QFile::decodeName(raw)) == raw ||
            ::fstatat(::dirfd(dir), e->d_name, &st, 0) != 0 || !S_ISREG(st.st_mode))
            continue;
        QString shown = folderName + u'/';
        for (const char byte : raw)
            shown +=
                uchar(byte) < 0x80 ? QString(QLatin1Char(byte)) : u'%' + QString::number(uchar(byte), 16).toUpper();
        found << shown;
    }
    ::closedir(dir);
    found.sort();
    return found;
}

Command makeDir(const QString& remote) {
    return {Command::Kind::MakeDir, {}, remote, 0, {}, 0};
}

Command put(const QString& local, const QString& remote, const QString& path) {
    const QFileInfo info(local);
    return {Command::Kind::Put,
            QDir::toNativeSeparators(local),
            remote,
            info.size(),
            path,
            info.lastModified().toMSecsSinceEpoch()};
}

} // namespace

QString remoteBase(const QString& rootText) {
    if (rootText.isEmpty())
        return {};
    QString r = rootText;
    if (!r.startsWith(u'/'))
        r.prepend(u'/');
    if (!r.endsWith(u'/'))
        r.append(u'/');
    return r;
}

QString Command::text() const {
    switch (kind) {
    case Kind::MakeDir:
        return u"MKDIR \""_s + remotePath + u'"';
    case Kind::Put:
        return u"PUT \""_s + localPath + u"\" "_s + remotePath;
    case Kind::Close:
        return u"close"_s;
    case Kind::Quit:
        return u"QUIT"_s;
    }
    return {};
}

Outcome makePlan(const PlanRequest& request, Plan& plan) {
    plan = {};
    const QString r = remoteBase(request.rootText);
    if (hasLineBreak(r))
        return Outcome::failure(Msg::UploadRefusedName, {shownName(request.rootText)});

    QList<Command> commands;
    // Each "/" after the first character closes one more level; the path so far goes without its
    // leading and trailing "/", so a base of /a/b/ makes "a", then "a/b".
    for (qsizetype i = 1; i < r.size(); ++i) {
        if (r[i] == u'/')
            commands << makeDir(r.mid(1, i - 1));
    }

    if (const Outcome o = checkDiaryFolderName(request.folder); !o.ok())
        return o;
    const QString diary = paths::diaryFolder(request.home, request.folder);
    for (const QString& entry : request.selected) {
        const bool isFolder = entry.startsWith(kFolderTag);
        if (!isFolder && !entry.startsWith(kFileTag))
            return Outcome::failure(Msg::UploadEntryInvalid, {entry});
        const QString name = entry.mid(kFileTag.size());
        if (hasLineBreak(name))
            return Outcome::failure(Msg::UploadRefusedName, {shownName(name)});
        // "../ini/app_diary.ini", or a link to it, would send the FTP password to the server.
        const QString local = diary + u'/' + name;
        const textfile::PathKind kind = textfile::pathKind(diary, local);
        if (!isEntryName(name) || kind == textfile::PathKind::Refused)
            return Outcome::failure(Msg::UploadEntryInvalid, {entry});
        if (kind != (isFolder ? textfile::PathKind::Folder : textfile::PathKind::File))
            return Outcome::failure(Msg::UploadEntryMissing, {entry});

        if (!isFolder) {
            commands << put(local, r + name, name);
            continue;
        }
        commands << makeDir(r + name);
        // Files whose names this system cannot decode are missing from every listing Qt makes.
        if (const QStringList unnamed = undecodableFiles(local, name); !unnamed.isEmpty())
            return Outcome::failure(Msg::UploadNamesUndecodable, {unnamed.join(u"\r\n"_s)});
        // Plain files only: no hidden files, no subfolders, no sockets or devices.
        const QStringList files = QDir(local).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
        for (const QString& f : files) {
            if (hasLineBreak(f))
                return Outcome::failure(Msg::UploadRefusedName, {shownName(f)});
            if (textfile::pathKind(diary, local + u'/' + f) != textfile::PathKind::File)
                return Outcome::failure(Msg::UploadEntryInvalid, {entry + u'/' + f});
            commands << put(local + u'/' + f, r + name + u'/' + f, name + u'/' + f);
        }
    }
    commands << Command{Command::Kind::Close, {}, {}, 0, {}, 0} << Command{Command::Kind::Quit, {}, {}, 0, {}, 0};

    for (const Command& c : std::as_const(commands)) {
        if (c.kind != Command::Kind::Put) {
            plan.commands << c;
        } else if (request.sentBefore &&
                   request.sentBefore->unchanged(c.path, QDir::fromNativeSeparators(c.localPath), c.size, c.modified)) {
            ++plan.unchangedCount;
        } else {
            plan.commands << c;
            ++plan.fileCount;
            plan.byteCount += c.size;
        }
    }
    return Outcome::success();
}

Outcome describePlan(const Plan& plan) {
    return Outcome::failure(Msg::UploadPlanned,
                            {QString::number(plan.fileCount),
                             QLocale::c().formattedDataSize(plan.byteCount, 1, QLocale::DataSizeTraditionalFormat),
                             QString::number(plan.unchangedCount)});
}

} // namespace tsuzuri::upload
