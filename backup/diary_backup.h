#pragma once

#include "store/outcome.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>
#include <stop_token>

// One zip that holds a whole diary folder and its two settings files, and the way back from it.
//
// Inside the zip the files stand as they do in the program folder: NAME/… (the pages, templates,
// image/ and whatever else the folder holds), ini/app_NAME.ini, ini/etc_NAME.ini, and manifest.json,
// which lists every file with its size and SHA-256 (UTF-8 JSON).
namespace tsuzuri::backup {

// Reported as the work goes on (on the thread that runs it), at least once per file.
struct Progress {
    qint64 bytesDone = 0;
    qint64 bytesTotal = 0;
    int filesDone = 0;
    int filesTotal = 0;
    QString currentFile; // its path inside the zip
};
using ProgressCallback = std::function<void(const Progress&)>;

// <parent of the program folder>/NAME-YYYYMMDD.zip; NAME-YYYYMMDD-2.zip and so on when that exists, so
// a second backup of the day never replaces the first.
QString defaultBackupPath(const QString& home, const QString& folder, const QDate& today);

struct BackupRequest {
    QString home;
    QString folder;
    QString zipPath;              // replaced whole if it exists
    bool includePassword = false; // otherwise the [PSW] line of app_NAME.ini is stored empty
};

struct BackupResult {
    bool written = false; // the zip is complete under its final name
    // BackupDone (%1 = zip path) when written; otherwise BackupFolderMissing, BackupFileUnreadable,
    // WriteFailed or BackupCancelled.
    Outcome outcome;
    int files = 0; // files stored, settings files included
    qint64 bytes = 0;
    QStringList leftOut; // links and other things that are not plain files, folder-relative, not stored
    QString detail;      // the archive library's own words on a failure, for a log or a terminal
};

// Writes the zip beside its final name and renames it into place only when it is complete: a failure,
// a cancel (through stop) or a crash never leaves a partial zip under the final name.
BackupResult writeBackup(const BackupRequest& request, const ProgressCallback& progress = {},
                         std::stop_token stop = {});

struct RestoreRequest {
    QString home;
    QString zipPath;
    std::optional<QString> asName; // otherwise the folder's name at the time of the backup
};

struct RestoreResult {
    bool restored = false; // the folder and its settings files are in place
    // RestoreDone (%1 folder, %2 pages, %3 media files, %4 other files, %5 settings files) when restored;
    // otherwise why nothing was: RestoreBadName, RestoreDamaged, RestoreNotBackup, RestoreUnsafeEntry,
    // RestoreFileMismatch, RestoreFolderExists, RestoreSettingsExist, RestoreWriteFailed, RestoreCancelled.
    Outcome outcome;
    QString folder;     // the new diary folder's name
    QStringList files;  // what was restored: NAME/… and ini/… paths
    int pages = 0;      // month pages
    int mediaFiles = 0; // files under image/
    int otherFiles = 0; // every other file of the folder
    int settingsFiles = 0;
    bool passwordIncluded = false;
    QString detail;
};

// Unpacks into a new diary folder (and its settings files), never over existing ones. Every entry is
// checked before anything is written: a name that would land outside the new folder (../, an absolute
// path, a link), a file missing from or not matching the manifest, a damaged zip: nothing is restored.
// The files are gathered in a hidden folder inside the program folder and renamed into place at the end.
RestoreResult restoreBackup(const RestoreRequest& request, const ProgressCallback& progress = {},
                            std::stop_token stop = {});

// Whether a name can be a diary folder of the program folder: one path component, not "ini".
bool isUsableFolderName(const QString& name);

} // namespace tsuzuri::backup
