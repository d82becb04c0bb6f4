#include "cli/cli.h"

#include "diary/messages.h"
#include "settings/password_store.h"
#include "settings/settings_files.h"
#include "store/outcome.h"
#include "upload/curl_ftp_client.h"
#include "upload/server_trust.h"
#include "upload/upload_runner.h"

#include <termios.h>
#include <unistd.h>

using namespace Qt::StringLiterals;

namespace tsuzuri::cli {

namespace {

void usage(QTextStream& s) {
    s << u"usage: tsuzuri-cli upload [--home DIR] [--folder NAME] [--yes] [--all] [--protocol ftp|ftps|sftp]\n"
         u"                          [--port N] [--trust-fingerprint SHA256:...] ENTRY...\n"
         u"  Uploads entries of the diary folder with the folder's connection settings\n"
         u"  (ini/app_<folder>.ini), as the upload tab does. ENTRY as the upload list shows it:\n"
         u"  '[フォルダ]image' '[ファイル]200511.html'. Progress goes to standard error.\n"
         u"  Only files that changed since they last arrived at this server and directory are sent.\n"
         u"  --yes       upload without the question; required when not on a terminal\n"
         u"  --all       send every selected file, changed or not\n"
         u"  --protocol, --port   instead of the settings file's (an empty port: the protocol's own)\n"
         u"  --trust-fingerprint  trust a server not trusted yet when it shows this fingerprint\n"
         u"password: TSUZURI_FTP_PASSWORD when set, else the settings file or the system keyring, else it\n"
         u"  is asked for on a terminal\n"
         u"exit status: 0 every selected file arrived, 1 some file was not sent (the reason goes to\n"
         u"  standard error; nothing is sent when a selected file cannot be) or the upload was declined,\n"
         u"  2 usage, 3 everything arrived but the clean-up of image could not delete every file\n"_s;
}

bool yes(Context& ctx) {
    ctx.err << u" [y/N] "_s;
    ctx.err.flush();
    const QString answer = ctx.in.readLine().trimmed();
    return answer.compare(u"y"_s, Qt::CaseInsensitive) == 0 || answer.compare(u"yes"_s, Qt::CaseInsensitive) == 0 ||
           answer == u"はい"_s;
}

// A line from the terminal without echoing it.
QString askSecret(const QString& prompt, Context& ctx) {
    ctx.err << prompt;
    ctx.err.flush();
    termios saved{};
    const bool tty = isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (tty) {
        termios quiet = saved;
        quiet.c_lflag &= ~tcflag_t(ECHO);
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &quiet);
    }
    const QString line = ctx.in.readLine();
    if (tty) {
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &saved);
        ctx.err << u'\n';
    }
    return line;
}

// Takes "--name VALUE" out of args; false after a message when the value is missing.
bool takeValue(QStringList& args, const QString& name, std::optional<QString>& value, Context& ctx) {
    const qsizetype i = args.indexOf(name);
    if (i < 0)
        return true;
    if (i + 1 >= args.size()) {
        ctx.err << u"upload: "_s << name << u" needs a value\n"_s;
        return false;
    }
    value = args[i + 1];
    args.remove(i, 2);
    return true;
}

// A server nobody trusted yet: the fingerprint shown, then trusted on the user's word (a terminal) or
// when it is the one given with --trust-fingerprint. True when it is trusted now.
bool trusted(const upload::UploadResult& result, const std::optional<QString>& given, const QString& home,
             Context& ctx) {
    const QString fingerprint = result.untrusted->fingerprint();
    ctx.err << forTerminal(messageText(result.outcome));
    bool trust = false;
    if (given) {
        ctx.err << u'\n';
        trust = upload::sameFingerprint(*given, fingerprint);
        if (!trust)
            ctx.err << u"upload: the server shows "_s << fingerprint << u", not the fingerprint given\n"_s;
    } else if (ctx.interactive) {
        trust = yes(ctx);
    } else {
        ctx.err << u"\nupload: not on a terminal; to trust this server, run again with --trust-fingerprint "_s
                << fingerprint << u'\n';
    }
    if (!trust)
        return false;
    if (const Outcome o = upload::trustServer(home, *result.untrusted); !o.ok()) {
        ctx.err << forTerminal(messageText(o)) << u'\n';
        return false;
    }
    return true;
}

} // namespace

int runUpload(const QStringList& argsIn, Context& ctx) {
    QStringList args = argsIn;
    if (args.contains(u"--help"_s) || args.contains(u"-h"_s)) {
        usage(ctx.out);
        return 0;
    }
    Target target;
    if (!takeTarget(args, ctx, target))
        return 2;
    const bool yesGiven = args.removeAll(u"--yes"_s) + args.removeAll(u"-y"_s) > 0;
    const bool all = args.removeAll(u"--all"_s) > 0;
    std::optional<QString> protocolText, port, fingerprint;
    if (!takeValue(args, u"--protocol"_s, protocolText, ctx) || !takeValue(args, u"--port"_s, port, ctx) ||
        !takeValue(args, u"--trust-fingerprint"_s, fingerprint, ctx))
        return 2;
    const std::optional<Protocol> protocol = protocolText ? protocolFromName(*protocolText) : std::nullopt;
    if (protocolText && !protocol) {
        ctx.err << u"upload: --protocol takes ftp, ftps or sftp\n"_s;
        return 2;
    }
    for (const QString& a : std::as_const(args)) {
        if (a.startsWith(u"--"_s)) {
            ctx.err << u"upload: unknown option "_s << a << u'\n';
            usage(ctx.err);
            return 2;
        }
    }
    if (args.isEmpty()) {
        ctx.err << u"upload: name at least one entry\n"_s;
        usage(ctx.err);
        return 2;
    }

    // A password given for a script wins; the keyring is not even asked then.
    const bool passwordGiven = qEnvironmentVariableIsSet("TSUZURI_FTP_PASSWORD");
    const ConnectionSettingsRead read = passwordGiven
                                            ? readConnectionSettings(target.home, target.folder)
                                            : loadConnectionSettings(target.home, target.folder, ctx.passwords);
    if (!read.exists) {
        ctx.err << u"upload: no connection settings for "_s << target.folder << u" (ini/app_"_s << target.folder
                << u".ini)\n"_s;
        return 1;
    }
    if (read.failed) {
        ctx.err << u"upload: ini/app_"_s << target.folder
                << u".ini holds a [CHK] value other than 0, 1 or 2, or a [PRT] other than FTP, FTPS or SFTP\n"_s;
        return 1;
    }
    upload::UploadRequest request;
    request.home = target.home;
    request.folder = target.folder;
    ConnectionSettings& c = request.connection;
    c = {read.host.value_or(QString()),
         read.user.value_or(QString()),
         read.password.value_or(QString()),
         read.remoteDir.value_or(QString()),
         read.deleteAfterUpload.value_or(0),
         protocol.value_or(read.protocol.value_or(Protocol::Ftp)),
         port.value_or(read.port.value_or(QString()))};
    if (passwordGiven)
        c.password = qEnvironmentVariable("TSUZURI_FTP_PASSWORD");
    request.selected = args;
    request.onlyChanged = !all;

    upload::Plan plan;
    if (const Outcome o = upload::planUpload(request, plan); !o.ok()) {
        ctx.err << forTerminal(messageText(o)) << u'\n';
        return 1;
    }
    ctx.err << forTerminal(messageText(upload::describePlan(plan))) << u'\n';
    if (!yesGiven) {
        // A script must say so: a question nobody sees would wait for ever, or take the wrong answer.
        if (!ctx.interactive) {
            ctx.err << u"upload: not on a terminal; add --yes to upload without the question\n"_s;
            return 2;
        }
        ctx.err << forTerminal(messageText(Msg::UploadConfirm, {target.folder, c.remoteDir}));
        if (!yes(ctx)) {
            ctx.err << u"upload: nothing uploaded\n"_s;
            return 1;
        }
    }
    if (c.password.isEmpty() && !c.user.isEmpty() && ctx.interactive && !passwordGiven)
        c.password = askSecret(u"password for "_s + c.user + u'@' + c.host + u": "_s, ctx);

    upload::UploadResult result;
    // One round of trust at most: a server that is still not trusted after it is not asked about again.
    for (int round = 0; round < 2; ++round) {
        const std::unique_ptr<upload::FtpSession> session = upload::makeCurlFtpSession();
        upload::UploadRunner runner(*session);
        QString shown;
        result = runner.run(request, [&](const upload::UploadProgress& p) {
            if (p.currentFile.isEmpty() || p.currentFile == shown)
                return;
            shown = p.currentFile;
            ctx.err << u'[' << (p.filesDone + 1) << u'/' << p.filesTotal << u"] "_s << p.currentFile << u'\n';
            ctx.err.flush();
        });
        if (!result.untrusted || round > 0)
            break;
        if (!trusted(result, fingerprint, target.home, ctx))
            return 1;
    }
    if (!result.arrived) {
        ctx.err << forTerminal(messageText(result.outcome)) << u'\n';
        return 1;
    }
    ctx.out << messageText(result.outcome) << u'\n';
    for (const QString& d : result.deleted)
        ctx.err << u"deleted "_s << d << u'\n';
    if (!result.cleanUp.ok()) {
        ctx.err << forTerminal(messageText(result.cleanUp)) << u'\n';
        return 3;
    }
    return 0;
}

} // namespace tsuzuri::cli
