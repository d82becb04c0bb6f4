#pragma once

#include "launch/launch_commands.h"
#include "media/media_files.h"
#include "settings/password_store.h"
#include "store/outcome.h"
#include "upload/ftp_session.h"

#include <QDate>
#include <QString>
#include <QStringList>

#include <memory>
#include <optional>

// The session's ways out of the process: everything that blocks on the user, asks the system or leaves
// the program goes through one of these, so tests drive the session with scripted answers. The window
// hands in the Qt implementations (ui/qt_services.h, ui/qt_media_services.h).
namespace tsuzuri {

enum class Buttons {
    Ok,
    YesNo,
    YesNoCancel,         // はい / いいえ / キャンセル: Escape and the close box mean キャンセル
    ReplaceRenameCancel, // 置き換える / 別名で追加 / キャンセル
};
enum class Answer { Ok, Yes, No, Cancel, Replace, Rename };

// Modal message boxes and questions, titled with the application's name and without an icon. The text
// is given exactly as the message table holds it (CR LF or a lone CR between lines).
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual Answer ask(const QString& text, Buttons buttons) = 0;
    void tell(const QString& text) { ask(text, Buttons::Ok); }
    // A one-line answer typed by the user, the box holding initial at first; nothing on キャンセル.
    virtual std::optional<QString> askText(const QString& text, const QString& initial) = 0;
};

// Today's date, the only clock the program reads.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
};

// The clipboard: putting a text replaces whatever was there.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setText(const QString& text) = 0;
};

// Starting another program (browser, text editor) without waiting for it.
class Launcher {
public:
    virtual ~Launcher() = default;
    // What the system says about its programs: platform, environment, default text editor.
    virtual const launch::Environment& environment() = 0;
    // Starts the command and returns at once; a program that cannot be started gives LaunchFailed.
    virtual Outcome start(const launch::Command& command) = 0;
};

// The open-file dialog: several files at once, each must exist.
struct OpenFilesRequest {
    QString title;
    QString folder;         // shown first
    QStringList filters;    // "name (*.a *.b)"
    int selectedFilter = 0; // index into filters
};
class FileChooser {
public:
    virtual ~FileChooser() = default;
    // The chosen files' full paths in the dialog's order; nothing when the user cancelled.
    virtual std::optional<QStringList> openFiles(const OpenFilesRequest& request) = 0;
    // Where to save a new file: the dialog suggests path (its folder and name); nothing when cancelled.
    virtual std::optional<QString> saveFile(const QString& title, const QString& path, const QString& filter) = 0;
};

// The folder chooser: one existing folder, by the system's own dialog where it has one.
class FolderChooser {
public:
    virtual ~FolderChooser() = default;
    // The chosen folder's full path; nothing when the user cancelled. The dialog opens in startFolder.
    virtual std::optional<QString> chooseFolder(const QString& title, const QString& startFolder) = 0;
};

// Opens the FTP connection of one upload run. Each run gets a session of its own and owns it; the run
// uses it on a worker thread (only its cancel() is called from the session's thread).
class FtpConnector {
public:
    virtual ~FtpConnector() = default;
    virtual std::unique_ptr<upload::FtpSession> makeSession() = 0;
};

// Everything the session is handed. It owns none of them; whoever makes the session keeps them alive at
// least as long. Only messages and clock are required; a command whose seam is missing does nothing.
struct SessionServices {
    MessageBoxes* messages = nullptr;
    Clock* clock = nullptr;
    Clipboard* clipboard = nullptr;
    Launcher* launcher = nullptr;
    FileChooser* files = nullptr;
    media::CopyObserver* copyProgress = nullptr; // shows copies of large media files
    FtpConnector* ftp = nullptr;
    FolderChooser* folders = nullptr;
    PasswordStore* passwords = nullptr; // the system keyring; without one the password stays in the file
};

} // namespace tsuzuri
