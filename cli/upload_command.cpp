#include "cli/cli.h"

#include "diary/messages.h"
#include "settings/settings_files.h"
#include "store/outcome.h"
#include "upload/curl_ftp_client.h"
#include "upload/upload_runner.h"

using namespace Qt::StringLiterals;

namespace tsuzuri::cli {

namespace {

void usage(QTextStream& s) {
    s << u"usage: tsuzuri-cli upload [--home DIR] [--folder NAME] [--yes] ENTRY...\n"
         u"  Uploads entries of the diary folder by FTP with the folder's connection settings\n"
         u"  (ini/app_<folder>.ini), as the upload tab does. ENTRY as the upload list shows it:\n"
         u"  '[フォルダ]image' '[ファイル]200511.html'. Progress goes to standard error.\n"
         u"  --yes  upload without the question; required when not on a terminal\n"
         u"exit status: 0 every selected file arrived, 1 some file was not sent (the reason goes to\n"
         u"  standard error; nothing is sent when a selected file cannot be) or the upload was declined,\n"
         u"  2 usage, 3 everything arrived but the clean-up of image could not delete every file\n"_s;
}

bool confirmed(const QString& folder, const QString& remoteDir, Context& ctx) {
    ctx.err << forTerminal(messageText(Msg::UploadConfirm, {folder, remoteDir})) << u" [y/N] "_s;
    ctx.err.flush();
    const QString answer = ctx.in.readLine().trimmed();
    return answer.compare(u"y"_s, Qt::CaseInsensitive) == 0 || answer.compare(u"yes"_s, Qt::CaseInsensitive) == 0 ||
           answer == u"はい"_s;
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
    const bool yes = args.removeAll(u"--yes"_s) + args.removeAll(u"-y"_s) > 0;
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

    const ConnectionSettingsRead read = readConnectionSettings(target.home, target.folder);
    if (!read.exists) {
        ctx.err << u"upload: no connection settings for "_s << target.folder << u" (ini/app_"_s << target.folder
                << u".ini)\n"_s;
        return 1;
    }
    if (read.failed) {
        ctx.err << u"upload: ini/app_"_s << target.folder << u".ini holds a [CHK] value other than 0, 1 or 2\n"_s;
        return 1;
    }
    upload::UploadRequest request;
    request.home = target.home;
    request.folder = target.folder;
    request.connection = {read.host.value_or(QString()), read.user.value_or(QString()),
                          read.password.value_or(QString()), read.remoteDir.value_or(QString()),
                          read.deleteAfterUpload.value_or(0)};
    request.selected = args;

    if (!yes) {
        // A script must say so: a question nobody sees would wait for ever, or take the wrong answer.
        if (!ctx.interactive) {
            ctx.err << u"upload: not on a terminal; add --yes to upload without the question\n"_s;
            return 2;
        }
        if (!confirmed(target.folder, request.connection.remoteDir, ctx)) {
            ctx.err << u"upload: nothing uploaded\n"_s;
            return 1;
        }
    }

    const std::unique_ptr<upload::FtpSession> session = upload::makeCurlFtpSession();
    upload::UploadRunner runner(*session);
    QString shown;
    const upload::UploadResult result = runner.run(request, [&](const upload::UploadProgress& p) {
        if (p.currentFile.isEmpty() || p.currentFile == shown)
            return;
        shown = p.currentFile;
        ctx.err << u'[' << (p.filesDone + 1) << u'/' << p.filesTotal << u"] "_s << p.currentFile << u'\n';
        ctx.err.flush();
    });
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
