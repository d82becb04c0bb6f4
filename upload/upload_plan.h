#pragma once

#include "store/outcome.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

namespace tsuzuri::upload {

// The remote base directory from the remote folder box as typed: empty stays empty (paths relative to where the
// login places the user); otherwise it gets a "/" in front and at the end where they are missing.
QString remoteBase(const QString& rootText);

// One step of an upload, as the transfer layer carries it out.
struct Command {
    enum class Kind { MakeDir, Put, Close, Quit };
    Kind kind = Kind::Close;
    QString localPath;        // Put: the file to send, in the platform's path form (native separators)
    QString remotePath;       // MakeDir, Put: "/"-separated; relative when the base directory is empty
    qint64 size = 0;          // Put: the file's size when the plan was made, for progress
    QString path = QString(); // Put: the file inside the diary folder, "/"-separated ("image/a.jpg")
    qint64 modified = 0;      // Put: its change time when the plan was made, ms since the epoch

    // The command as text: MKDIR "remote", PUT "local" remote, close, QUIT.
    QString text() const;

    friend bool operator==(const Command&, const Command&) = default;
};

struct Plan {
    QList<Command> commands;
    int fileCount = 0;      // Put commands
    qint64 byteCount = 0;   // their sizes together
    int unchangedCount = 0; // files left out because they arrived before as they are now
};

class SentManifest;

struct PlanRequest {
    QString home;         // program folder
    QString folder;       // diary folder name, as typed
    QString rootText;     // the remote folder box, as typed
    QStringList selected; // upload list entries in list order: "[フォルダ]image", "[ファイル]200511.html"
    // When set, a file this record holds with its size and SHA-256 as they are now is left out; every
    // directory is still made.
    const SentManifest* sentBefore = nullptr;
};

// The commands of one upload, in order: the directories of the base one level at a time, then per
// selected entry (a folder: its remote directory and each plain file directly inside it, in name order;
// a file: the file itself), then close and QUIT.
//
// Fails before anything is sent, so that every selected file is either sent or named: when the diary
// folder's name is no diary folder name (settings/diary_folder.h, DiaryFolderNameInvalid); when a name that
// would go to the server holds a line break (a remote path must never carry a second FTP command:
// UploadRefusedName); when an entry lacks its tag at the start, names more than one name
// (settings/diary_folder.h isEntryName) or leads out of the diary folder by a link (UploadEntryInvalid);
// when a selected entry is no longer in the diary folder (UploadEntryMissing); when a file in a selected
// folder has a name this system cannot decode (UploadNamesUndecodable).
Outcome makePlan(const PlanRequest& request, Plan& plan);

// What a plan sends, for the question before the run: UploadPlanned with the count of files, their size
// ("1.5 MB") and the count left out as unchanged.
Outcome describePlan(const Plan& plan);

// The tags of the upload list.
inline constexpr QStringView kFolderTag = u"[フォルダ]";
inline constexpr QStringView kFileTag = u"[ファイル]";

} // namespace tsuzuri::upload
