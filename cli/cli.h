#pragma once

#include "store/outcome.h"

#include <QString>
#include <QStringList>
#include <QTextStream>

#include <functional>
#include <span>

namespace tsuzuri {
class PasswordStore;
}

namespace tsuzuri::cli {

// The streams and defaults one run of the command-line tool works with; tests hand in buffers.
struct Context {
    QTextStream& out;
    QTextStream& err;
    QTextStream& in;
    QString defaultHome;      // the folder of the executable
    bool interactive = false; // standard input and error are a terminal
    bool progress = false;    // standard error is a terminal: long runs show how far they are

    // The system keyring; none: the settings file alone.
    PasswordStore* passwords = nullptr;
};

// The program folder and diary folder a command works on, from --home and --folder.
struct Target {
    QString home;
    QString folder;
};

// A subcommand: its name and what runs it with the arguments that follow the name.
struct Command {
    QStringView name;
    int (*run)(const QStringList& args, Context& ctx);
};

// args without the program name: "import", "--home", "DIR", "MONTH.json", … Every program of the tool
// holds import, export, snippets, index and search; more names the commands this one adds.
int runCommand(const QStringList& args, Context& ctx, std::span<const Command> more);

// Every command in this process (the tests, and the programs that hold upload, backup and restore).
int runCli(const QStringList& args, Context& ctx);

// main() of a program of the tool: the streams on standard input, output and error, and runCommand.
int programMain(int argc, char** argv, std::span<const Command> more, PasswordStore* passwords = nullptr);

// Subcommands; args are what follows the subcommand's name.
int runImport(const QStringList& args, Context& ctx);
int runExport(const QStringList& args, Context& ctx);
int runSnippets(const QStringList& args, Context& ctx);
int runUpload(const QStringList& args, Context& ctx);
int runSearch(const QStringList& args, Context& ctx);
int runBackup(const QStringList& args, Context& ctx);
int runRestore(const QStringList& args, Context& ctx);
int runIndex(const QStringList& args, Context& ctx);

// What rebuilding index.html and feed.xml reported, on err as "<command>: <text>"; the exit code, 0 when ok.
int reportIndex(const QString& command, const Outcome& index, Context& ctx);

// Splits --home DIR and --folder NAME off args (they may stand anywhere). The folder defaults to the last
// line of ini/fdir.ini, else "diary" (also, after a message on err, when that line names no diary
// folder). Returns false (after a message on err) on a malformed option or a --folder that names no
// diary folder (settings/diary_folder.h).
bool takeTarget(QStringList& args, Context& ctx, Target& target);

// A message of the table for a terminal: its lines joined by line feeds instead of CR LF or a lone CR.
QString forTerminal(QString text);

// YYYYMM → "2005", "11"; false (after a message on err) when it names no month.
bool parseMonthArgument(const QString& text, Context& ctx, QString& year, QString& month);

// Runs work(i) for every i below count on every core; the calling thread takes part and hears done(n)
// (may be empty) after each item it finishes, n counting the items every thread has finished.
void inParallel(qsizetype count, const std::function<void(qsizetype)>& work,
                const std::function<void(qsizetype)>& done = {});

} // namespace tsuzuri::cli
