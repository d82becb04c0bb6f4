#pragma once

#include <QString>
#include <QStringList>

namespace tsuzuri {

// Every text the program shows lives in one table (diary/messages.cpp), beside the session that shows
// them; core code only names them.
enum class Msg {
    None,
    // Coded messages of the calendar and the diary ("e1" .. "e7").
    E1, E2, E3, E4, E5, E6, E7,
    // Fixed texts of the program.
    ErrorOccurred,          // エラーが発生しました。
    MediaNamesUnterminated, // three lines about the missing ";"
    YearNotNumeric,         // 半角数値で入力して下さい
    NoDaySelected,          // 日にちが選択されていません。
    StartupFailed,          // 【fdir.ini】… / 説明書を参照して下さい。
    FolderMissingCreate,    // %1 = folder name
    FolderCreated,          // %1 = folder name
    FolderNameChanged,
    TemplatesNotCopied,
    ImageFolderMissing,     // lone CR between the sentences
    SettingsLoadFailed,     // lone CR between the sentences
    ImageSizeNotSet,
    UploadConfirm,          // %1 = folder name, %2 = remote folder as typed
    UploadDone,
    // Texts of our own for failures the program must not hide.
    PageUnreadable,         // %1 = page file name
    PageTooManyEntries,     // %1 = page file name
    PageIncomplete,         // %1 = page file name; it ends inside an entry or has no diary end
    MonthNotWritable,       // %1 = page file name; its entries were not read completely
    SiteMonthsSkipped,      // %1 = page file names, one per line; left out of index.html and feed.xml
    SiteFileNotOurs,        // %1 = file name; a file of our name that we did not write is kept
    EntryTableFull,         // %1 = date line
    WriteFailed,            // %1 = file path
    CannotEncode,           // %1 = what holds the text (a caption)
    LineBreakInSetting,     // %1 = what holds the text
    FolderCreateFailed,     // %1 = folder path
    UnsavedEdits,
    ErrorWithReason,        // %1 = reason
    LaunchFailed,           // %1 = program, %2 = reason
    CopyFailed,             // %1 = file names
    DropRejected,           // %1 = names left out
    ReplaceExisting,        // %1 = file name
    UploadRefusedName,      // %1 = name
    UploadEntryMissing,     // %1 = the list entry
    UploadCancelled,
    UploadFileUnreadable,   // %1 = local file
    UploadNameNotEncodable, // %1 = remote path
    UploadBadHost,          // %1 = host text
    UploadBadLogin,
    ImageCleanupFailed,     // %1 = the files kept, one per line
    UploadRunningOnClose,   // the window is closing while an upload runs
    MediaNameUnusable,      // %1 = the files left out, one per line
    NoTextEditor,
    ProgramNotStarted,      // a reason for LaunchFailed
    ProgramFailed,          // %1 = program, %2 = exit code, %3 = what it said
    NoTerminalForEditor,    // %1 = the editor
    BlockedUnreadable,      // %1 = page path: the month is shown but never written
    BlockedTooManyEntries,  // %1 = page path
    BlockedIncomplete,      // %1 = page path
    ClearBodyConfirm,       // %1 = lines of the body
    PageWritten,            // %1 = page path (status line)
    SettingsSaved,          // %1 = settings file path (status line)
    FolderSwitched,         // %1 = folder name (status line)
    SizeNotNumber,          // %1 = which box
    PageNotYetWritten,      // %1 = page file name
    PageDoesNotExist,       // %1 = page file name
    FolderOutsideProgram,   // %1 = program folder
    RecoverJournal,         // the journal of edits not written holds more than the pages
    FdirNameInvalid,        // %1 = the name fdir.ini holds; "diary" is shown instead
    BackupWithPassword,     // whether the FTP password goes into the backup too
    BackupDoneLeftOut,      // %1 = zip path, %2 = the things left out, one per line
    RestoreAskName,         // the name of the new diary folder
    ShowRestoredFolder,     // %1 = folder name
    SearchIncomplete,       // %1 = the months, one per line
    BackupDone,             // %1 = zip path
    BackupFolderMissing,    // %1 = folder path
    BackupFileUnreadable,   // %1 = file path
    BackupCancelled,
    BackupLeftOut,          // %1 = the things left out, one per line
    RestoreDone,            // %1 = folder, %2 pages, %3 media files, %4 other files, %5 settings files
    RestoreNoPassword,      // the backup was made without the FTP password
    RestoreBadName,         // %1 = name
    RestoreDamaged,         // %1 = zip path
    RestoreNotBackup,       // %1 = zip path
    RestoreUnsafeEntry,     // %1 = zip path, %2 = entry
    RestoreFileMismatch,    // %1 = zip path, %2 = entry
    RestoreFolderExists,    // %1 = folder name
    RestoreSettingsExist,   // %1 = settings file path
    RestoreWriteFailed,     // %1 = path
    RestoreCancelled,
    TextNotWritable,        // %1 = the field (a caption); a line break or character a page cannot carry
    DiaryFolderNameInvalid, // %1 = the name
    UploadEntryInvalid,     // %1 = the list entry; no tag, or a name that is not directly in the folder
    UploadNamesUndecodable, // %1 = the files, one per line, their undecodable bytes as %XX
    UploadBadPort,          // %1 = port text
    UploadTlsRefused,       // %1 = host; the server does not take AUTH TLS
    CertificateNotTrusted,  // %1 = host, %2 = fingerprint; a question: trust it?
    HostKeyNotTrusted,      // %1 = host, %2 = fingerprint; a question: trust it?
    CertificateChanged,     // %1 = host, %2 = fingerprint trusted, %3 = fingerprint now, %4 = file
    HostKeyChanged,         // %1 = host, %2 = fingerprint trusted, %3 = fingerprint now, %4 = file
    UploadPlanned,          // %1 = files to send, %2 = their size, %3 = files left out as unchanged
    PasswordInFile,         // %1 = settings file path; no keyring on this system
    PasswordKeyringFailed,  // %1 = settings file path, %2 = the keyring's reason
};

// Result of a core operation: ok, or the message to show and its arguments.
struct Outcome {
    Msg msg = Msg::None;
    QStringList args;

    bool ok() const { return msg == Msg::None; }
    static Outcome success() { return {}; }
    static Outcome failure(Msg m, QStringList a = {}) { return {m, std::move(a)}; }
};

} // namespace tsuzuri
