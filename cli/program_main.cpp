#include "cli/cli.h"

#include <QCoreApplication>
#include <QStringConverter>

#include <unistd.h>

namespace tsuzuri::cli {

int programMain(int argc, char** argv, std::span<const Command> more, PasswordStore* passwords) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QTextStream in(stdin);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    in.setEncoding(QStringConverter::Utf8);
    Context ctx{out,
                err,
                in,
                QCoreApplication::applicationDirPath(),
                isatty(STDIN_FILENO) && isatty(STDERR_FILENO),
                isatty(STDERR_FILENO) != 0,
                passwords};
    QStringList args = app.arguments();
    args.removeFirst();
    const int rc = runCommand(args, ctx, more);
    out.flush();
    err.flush();
    return rc;
}

} // namespace tsuzuri::cli
