#include "upload/upload_plan.h"

#include "store/paths.h"

#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tsuzuri::upload {

namespace {

bool hasLineBreak(QStringView s) { return s.contains(u'\r') || s.contains(u'\n'); }

// The name as the message shows it: the breaks made visible, so the user sees where they are.
QString shownName(QString s) {
    s.replace(u"\r"_s, u"\\r"_s);
    s.replace(u"\n"_s, u"\\n"_s);
    return s;
}

Command makeDir(const QString& remote) { return {Command::Kind::MakeDir, {}, remote, 0}; }

Command put(const QString& local, const QString& remote) {
    return {Command::Kind::Put, QDir::toNativeSeparators(local), remote, QFileInfo(local).size()};
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
    case Kind::MakeDir: return u"MKDIR \""_s + remotePath + u'"';
    case Kind::Put: return u"PUT \""_s + localPath + u"\" "_s + remotePath;
    case Kind::Close: return u"close"_s;
    case Kind::Quit: return u"QUIT"_s;
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

    const QString diary = paths::diaryFolder(request.home, request.folder);
    for (const QString& entry : request.selected) {
        const bool isFolder = entry.contains(kFolderTag);
        if (!isFolder && !entry.contains(kFileTag))
            continue;
        // Both tags are six characters long; the name starts at the seventh wherever the tag stood.
        const QString name = entry.mid(6);
        if (hasLineBreak(name))
            return Outcome::failure(Msg::UploadRefusedName, {shownName(name)});
        const QString local = diary + u'/' + name;
        const QFileInfo info(local);
        if (name.isEmpty() || (isFolder ? !info.isDir() : !info.isFile()))
            return Outcome::failure(Msg::UploadEntryMissing, {entry});

        if (!isFolder) {
            commands << put(local, r + name);
            continue;
        }
        commands << makeDir(r + name);
        // Plain files only: no hidden files, no subfolders, no sockets or devices.
        const QStringList files = QDir(local).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);
        for (const QString& f : files) {
            if (hasLineBreak(f))
                return Outcome::failure(Msg::UploadRefusedName, {shownName(f)});
            commands << put(local + u'/' + f, r + name + u'/' + f);
        }
    }
    commands << Command{Command::Kind::Close, {}, {}, 0} << Command{Command::Kind::Quit, {}, {}, 0};

    plan.commands = std::move(commands);
    for (const Command& c : std::as_const(plan.commands)) {
        if (c.kind == Command::Kind::Put) {
            ++plan.fileCount;
            plan.byteCount += c.size;
        }
    }
    return Outcome::success();
}

} // namespace tsuzuri::upload
