#pragma once

#include "store/outcome.h"

#include <QString>
#include <QStringList>

namespace tsuzuri {

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
