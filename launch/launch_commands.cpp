#include "launch/launch_commands.h"

#include "store/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QProcessEnvironment>
#include <QStandardPaths>

using namespace Qt::StringLiterals;

namespace tsuzuri::launch {

Platform hostPlatform() {
#if defined(Q_OS_WIN)
    return Platform::Windows;
#elif defined(Q_OS_MACOS)
    return Platform::MacOS;
#else
    return Platform::Linux;
#endif
}

Environment systemEnvironment() {
    Environment env;
    env.platform = hostPlatform();
    const QProcessEnvironment system = QProcessEnvironment::systemEnvironment();
    for (const QString& key : system.keys())
        env.variables.insert(key, system.value(key));
    env.defaultTextEditorId = [] {
        QProcess p;
        p.start(u"xdg-mime"_s, {u"query"_s, u"default"_s, u"text/plain"_s});
        // A desktop without xdg-utils answers nothing; a hung one must not hang the window.
        if (!p.waitForFinished(3000)) {
            p.kill();
            p.waitForFinished(1000);
            return QString();
        }
        if (p.exitStatus() != QProcess::NormalExit || p.exitCode() != 0)
            return QString();
        return QString::fromUtf8(p.readAllStandardOutput()).trimmed();
    };
    return env;
}

QString pagePath(const QString& home, const QString& folder, const QString& yearBox, const QString& monthBox) {
    // Native separators: notepad and the Windows shell are given the path as Windows spells it.
    return QDir::toNativeSeparators(paths::monthPage(home, folder, yearBox, monthBox));
}

Command browserCommand(const Environment& env, const QString& target) {
    switch (env.platform) {
    case Platform::Windows:
        return {Command::Kind::ShellOpen, QString(), {}, target, u"Webブラウザ"_s};
    case Platform::MacOS:
        return {Command::Kind::Program, u"open"_s, {target}, QString(), u"open"_s};
    case Platform::Linux:
        break;
    }
    return {Command::Kind::Program, u"xdg-open"_s, {target}, QString(), u"xdg-open"_s};
}

namespace {

// The string escapes every desktop file value may use (\s \n \t \r \\); applied before the quoting
// rules of Exec.
QString unescapeValue(QStringView value) {
    QString out;
    out.reserve(value.size());
    for (qsizetype i = 0; i < value.size(); ++i) {
        if (value[i] == u'\\' && i + 1 < value.size()) {
            const QChar c = value[++i];
            switch (c.unicode()) {
            case 's':
                out += u' ';
                break;
            case 'n':
                out += u'\n';
                break;
            case 't':
                out += u'\t';
                break;
            case 'r':
                out += u'\r';
                break;
            case '\\':
                out += u'\\';
                break;
            default:
                // Not a string escape: left for the quoting rules (\" \` \$ inside quotes).
                out += u'\\';
                out += c;
                break;
            }
            continue;
        }
        out += value[i];
    }
    return out;
}

// Splits an Exec value into arguments: blanks separate, double quotes group, and inside quotes a
// backslash takes the next character literally. Each piece remembers which characters were quoted,
// so a quoted "%f" is not a field code.
struct Piece {
    QString text;
    QList<bool> quoted;
};

QList<Piece> splitExec(const QString& exec) {
    QList<Piece> pieces;
    Piece current;
    bool inPiece = false;
    bool inQuotes = false;
    for (qsizetype i = 0; i < exec.size(); ++i) {
        const QChar c = exec[i];
        if (inQuotes) {
            if (c == u'"') {
                inQuotes = false;
            } else if (c == u'\\' && i + 1 < exec.size()) {
                current.text += exec[++i];
                current.quoted << true;
            } else {
                current.text += c;
                current.quoted << true;
            }
            continue;
        }
        if (c == u' ' || c == u'\t' || c == u'\n') {
            if (inPiece)
                pieces << std::exchange(current, Piece());
            inPiece = false;
            continue;
        }
        inPiece = true;
        if (c == u'"') {
            inQuotes = true;
            continue;
        }
        current.text += c;
        current.quoted << false;
    }
    if (inPiece)
        pieces << current;
    return pieces;
}

} // namespace

QStringList expandDesktopExec(const QString& exec, const QString& path) {
    QStringList args;
    bool fileUsed = false;
    for (const Piece& piece : splitExec(exec)) {
        const QString& t = piece.text;
        // A field code standing alone: the file becomes this whole argument, whatever it holds.
        if (t.size() == 2 && t[0] == u'%' && !piece.quoted[0] && QStringView(u"fFuU").contains(t[1])) {
            args << path;
            fileUsed = true;
            continue;
        }
        QString out;
        bool hadCode = false;
        for (qsizetype i = 0; i < t.size(); ++i) {
            if (t[i] != u'%' || piece.quoted[i] || i + 1 >= t.size()) {
                out += t[i];
                continue;
            }
            const QChar code = t[++i];
            hadCode = true;
            if (code == u'%') {
                out += u'%';
            } else if (QStringView(u"fFuU").contains(code)) {
                out += path;
                fileUsed = true;
            }
            // Every other code (%i %c %k and the deprecated ones) is dropped.
        }
        if (out.isEmpty() && hadCode)
            continue;
        args << out;
    }
    if (args.isEmpty())
        return {};
    if (!fileUsed)
        args << path;
    return args;
}

std::optional<QString> desktopEntryExec(const QByteArray& desktopFile) {
    const QString text = QString::fromUtf8(desktopFile);
    bool inEntry = false;
    std::optional<QString> exec;
    bool hidden = false;
    bool terminal = false;
    for (QStringView line : QStringView(text).split(u'\n')) {
        line = line.trimmed();
        if (line.isEmpty() || line.startsWith(u'#'))
            continue;
        if (line.startsWith(u'[')) {
            inEntry = line == u"[Desktop Entry]";
            continue;
        }
        if (!inEntry)
            continue;
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0)
            continue;
        const QStringView key = line.left(eq).trimmed();
        const QStringView value = line.mid(eq + 1).trimmed();
        if (key == u"Exec")
            exec = unescapeValue(value);
        else if (key == u"Hidden")
            hidden = value == u"true";
        else if (key == u"Terminal")
            terminal = value == u"true";
    }
    if (hidden || terminal || !exec || exec->trimmed().isEmpty())
        return std::nullopt;
    return exec;
}

QString findDesktopFile(const Environment& env, const QString& id) {
    if (id.isEmpty() || id.contains(u'/') || !id.endsWith(u".desktop"))
        return {};
    QStringList dirs;
    QString dataHome = env.variables.value(u"XDG_DATA_HOME"_s);
    if (dataHome.isEmpty() && !env.variables.value(u"HOME"_s).isEmpty())
        dataHome = env.variables.value(u"HOME"_s) + u"/.local/share"_s;
    if (!dataHome.isEmpty())
        dirs << dataHome;
    QString dataDirs = env.variables.value(u"XDG_DATA_DIRS"_s);
    if (dataDirs.isEmpty())
        dataDirs = u"/usr/local/share/:/usr/share/"_s;
    for (const QString& d : dataDirs.split(u':', Qt::SkipEmptyParts))
        dirs << d;

    // An id names applications/<id>, or a file in a subfolder with "/" written as "-".
    QStringList candidates{id};
    QString nested = id;
    for (qsizetype dash = nested.indexOf(u'-'); dash >= 0; dash = nested.indexOf(u'-', dash + 1)) {
        nested[dash] = u'/';
        candidates << nested;
    }
    for (const QString& dir : dirs) {
        for (const QString& c : candidates) {
            const QString file = QDir(dir).filePath(u"applications/"_s + c);
            if (QFileInfo(file).isFile())
                return file;
        }
    }
    return {};
}

namespace {

std::optional<Command> desktopDefaultEditor(const Environment& env, const QString& path) {
    if (!env.defaultTextEditorId)
        return std::nullopt;
    const QString file = findDesktopFile(env, env.defaultTextEditorId().trimmed());
    if (file.isEmpty())
        return std::nullopt;
    QFile f(file);
    if (!f.open(QIODevice::ReadOnly))
        return std::nullopt;
    const std::optional<QString> exec = desktopEntryExec(f.readAll());
    if (!exec)
        return std::nullopt;
    QStringList args = expandDesktopExec(*exec, path);
    if (args.isEmpty())
        return std::nullopt;
    const QString program = args.takeFirst();
    return Command{Command::Kind::Program, program, args, QString(), program};
}

bool runsInATerminal(const QString& program) {
    static const QStringList editors{u"vi"_s,    u"vim"_s, u"nvim"_s, u"view"_s,   u"nano"_s,  u"pico"_s,  u"micro"_s,
                                     u"joe"_s,   u"jed"_s, u"ne"_s,   u"mg"_s,     u"ed"_s,    u"emacs"_s, u"kak"_s,
                                     u"helix"_s, u"hx"_s,  u"vis"_s,  u"mcedit"_s, u"elvis"_s, u"nvi"_s};
    return editors.contains(QFileInfo(program).fileName());
}

std::optional<Command> variableEditor(const Environment& env, const QString& variable, const QString& path) {
    // The variables hold a command line ("code --wait"); the page still goes in as one argument.
    QStringList args = QProcess::splitCommand(env.variables.value(variable));
    if (args.isEmpty())
        return std::nullopt;
    const QString program = args.takeFirst();
    args << path;
    if (!runsInATerminal(program))
        return Command{Command::Kind::Program, program, args, QString(), program};
    const QStringList searchPath = env.variables.value(u"PATH"_s).split(u':', Qt::SkipEmptyParts);
    const QString terminal = QStandardPaths::findExecutable(u"x-terminal-emulator"_s, searchPath);
    if (terminal.isEmpty())
        return Command{Command::Kind::Unavailable, QString(), {}, QString(), program};
    return Command{Command::Kind::Program, terminal, QStringList{u"-e"_s, program} + args, QString(), program};
}

} // namespace

std::optional<Command> textEditorCommand(const Environment& env, const QString& path) {
    switch (env.platform) {
    case Platform::Windows:
        return Command{Command::Kind::Program, u"notepad"_s, {path}, QString(), u"notepad"_s};
    case Platform::MacOS:
        return Command{Command::Kind::Program, u"open"_s, {u"-e"_s, path}, QString(), u"TextEdit"_s};
    case Platform::Linux:
        break;
    }
    if (auto c = desktopDefaultEditor(env, path))
        return c;
    if (auto c = variableEditor(env, u"VISUAL"_s, path))
        return c;
    return variableEditor(env, u"EDITOR"_s, path);
}

} // namespace tsuzuri::launch
