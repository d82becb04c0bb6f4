#pragma once

#include <QHash>
#include <QString>
#include <QStringList>

#include <functional>
#include <optional>

// Which program opens a month page (or an address) outside the window, worked out from what the
// system says. The page path or address is always one argument of its own: nothing is ever put
// through a shell, so spaces and quotes in the program folder need no care.
namespace tsuzuri::launch {

enum class Platform { Linux, MacOS, Windows };

Platform hostPlatform();

// What the resolution may look at; the real one reads the process environment and asks xdg-mime.
struct Environment {
    Platform platform = Platform::Linux;
    QHash<QString, QString> variables;
    // The desktop file id (such as "org.gnome.TextEditor.desktop") that
    // `xdg-mime query default text/plain` names, or empty.
    std::function<QString()> defaultTextEditorId;
};

Environment systemEnvironment();

struct Command {
    enum class Kind {
        Program,     // start program with arguments
        ShellOpen,   // let the desktop open target with its default application
        Unavailable, // displayName names an editor that needs a terminal, and there is none to start
    };
    Kind kind = Kind::Program;
    QString program;
    QStringList arguments;
    QString target; // ShellOpen only
    // The program as the user would name it, for the message when it cannot be started.
    QString displayName;

    bool operator==(const Command&) const = default;
};

// The month page of the displayed month: <home>/<diary folder>/<year><month>.html, the
// box texts taken as they stand.
QString pagePath(const QString& home, const QString& folder, const QString& yearBox, const QString& monthBox);

// The web browser showing target (a file path or an address).
Command browserCommand(const Environment& env, const QString& target);

// The plain-text editor showing path; nothing when the system names no editor at all. An editor from
// VISUAL or EDITOR that runs in a terminal (vi, nano, …) is started inside the desktop's terminal emulator
// (x-terminal-emulator), or is Unavailable when there is none: started without one it would never be seen.
std::optional<Command> textEditorCommand(const Environment& env, const QString& path);

// The argument list of a desktop entry's Exec value with the file put in for its field codes: %f, %F,
// %u and %U become path as one argument, %% a "%", other field codes are dropped. Without any file
// field code the path goes last. Empty when the value holds no program.
QStringList expandDesktopExec(const QString& exec, const QString& path);

// The Exec value of the [Desktop Entry] group of a desktop file's bytes, with the file's own string
// escapes undone; nothing when the entry is missing, hidden or must run in a terminal (we start
// programs without one, so such an editor would never be seen).
std::optional<QString> desktopEntryExec(const QByteArray& desktopFile);

// The desktop file for id in the XDG data folders (XDG_DATA_HOME first, then XDG_DATA_DIRS), with
// the folder-prefix form of ids ("kde4-kate.desktop" → applications/kde4/kate.desktop).
QString findDesktopFile(const Environment& env, const QString& id);

} // namespace tsuzuri::launch
