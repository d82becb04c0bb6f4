#include "cli/cli.h"
#include "settings/keychain_password_store.h"

#include <QCoreApplication>
#include <QStringConverter>

#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv) {
    QCoreApplication app(argc, argv);
    QTextStream out(stdout);
    QTextStream err(stderr);
    QTextStream in(stdin);
    out.setEncoding(QStringConverter::Utf8);
    err.setEncoding(QStringConverter::Utf8);
    in.setEncoding(QStringConverter::Utf8);
    tsuzuri::cli::Context ctx{out, err, in, QCoreApplication::applicationDirPath(),
                              isatty(STDIN_FILENO) && isatty(STDERR_FILENO)};
    tsuzuri::KeychainPasswordStore keyring;
    ctx.passwords = &keyring;
    QStringList args = app.arguments();
    args.removeFirst();
    const int rc = tsuzuri::cli::runCli(args, ctx);
    out.flush();
    err.flush();
    return rc;
}
