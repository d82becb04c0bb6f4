#pragma once

#include "store/outcome.h"

#include <QString>
#include <QStringList>

namespace tsuzuri {

// Whether name can name a diary folder: one folder name directly inside the program folder. Not empty,
// not "." or "..", no "/" or "\" (no path), no control characters, no space or dot at its end, and not
// "ini", the settings folder
// (its files, the FTP password among them, would show in the upload list). DiaryFolderNameInvalid.
Outcome checkDiaryFolderName(const QString& name);

// Whether name can stand after the tag of an upload list entry: one file or folder name directly
// inside the diary folder, by the same rules (without the one about "ini").
bool isEntryName(QStringView name);

// The folder, its image subfolder, the default size settings when the folder has none yet, and copies of
// the two templates of the program folder (replacing existing copies).
struct DiaryFolderCreation {
    Outcome outcome;              // FolderCreateFailed when the folder or image could not be made
    bool templatesCopied = false; // false when either template copy failed
};
DiaryFolderCreation createDiaryFolder(const QString& home, const QString& folder);

// The upload list: "[フォルダ]" + name per subfolder, then "[ファイル]" + name per file, top level only.
QStringList uploadListEntries(const QString& home, const QString& folder);

// The folder caption: "　ただいま【 " + name + " 】フォルダ内の日記を表示中です　".
QString folderCaption(const QString& folder);

} // namespace tsuzuri
