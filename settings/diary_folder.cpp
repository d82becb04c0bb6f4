#include "settings/diary_folder.h"

#include "settings/settings_files.h"
#include "store/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

// Copy with replacement: the template copy in a diary folder always follows the program folder's.
bool copyReplacing(const QString& from, const QString& to) {
    if (!QFileInfo(from).isFile())
        return false;
    if (QFileInfo::exists(to) && !QFile::remove(to))
        return false;
    return QFile::copy(from, to);
}

} // namespace

bool isEntryName(QStringView name) {
    if (name.isEmpty() || name == u"."_s || name == u".."_s)
        return false;
    return std::none_of(name.begin(), name.end(),
                        [](QChar c) { return c == u'/' || c == u'\\' || c.unicode() < 0x20 || c.unicode() == 0x7F; });
}

Outcome checkDiaryFolderName(const QString& name) {
    // A name ending in a space or a dot looks like another (and is another folder on some systems).
    const bool badEnd = name.endsWith(u' ') || name.endsWith(u'.') || name.endsWith(u'\u3000');
    if (!isEntryName(name) || badEnd || name.compare(u"ini"_s, Qt::CaseInsensitive) == 0)
        return Outcome::failure(Msg::DiaryFolderNameInvalid, {name});
    return Outcome::success();
}

DiaryFolderCreation createDiaryFolder(const QString& home, const QString& folder) {
    DiaryFolderCreation r;
    const QString dir = paths::diaryFolder(home, folder);
    const QString image = paths::imageFolder(home, folder);
    QDir root;
    if (!(QFileInfo(dir).isDir() || root.mkdir(dir))) {
        r.outcome = Outcome::failure(Msg::FolderCreateFailed, {QDir::toNativeSeparators(dir)});
        return r;
    }
    if (!(QFileInfo(image).isDir() || root.mkdir(image))) {
        r.outcome = Outcome::failure(Msg::FolderCreateFailed, {QDir::toNativeSeparators(image)});
        return r;
    }
    // A new folder starts with the usual sizes on file, so its first page never lacks them.
    if (!QFileInfo::exists(paths::sizeIni(home, folder)))
        writeSizeSettings(home, folder, defaultSizes());
    const bool css = copyReplacing(paths::templateCss(home), dir + u"/calender.css"_s);
    const bool js = copyReplacing(paths::templateJs(home), dir + u"/calender.js"_s);
    r.templatesCopied = css && js;
    return r;
}

QStringList uploadListEntries(const QString& home, const QString& folder) {
    QStringList entries;
    const QDir dir(paths::diaryFolder(home, folder));
    // Folders first, then files, each in the order the file system lists them.
    for (const QString& name : dir.entryList(QDir::Dirs | QDir::NoDotAndDotDot | QDir::Hidden, QDir::Unsorted))
        entries << u"[フォルダ]"_s + name;
    for (const QString& name : dir.entryList(QDir::Files | QDir::Hidden, QDir::Unsorted))
        entries << u"[ファイル]"_s + name;
    return entries;
}

QString folderCaption(const QString& folder) {
    return u"　ただいま【 "_s + folder + u" 】フォルダ内の日記を表示中です　"_s;
}

} // namespace tsuzuri
