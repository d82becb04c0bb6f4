#include "cli/cli.h"

#include "backup/diary_backup.h"
#include "diary/messages.h"

#include <QDate>

using namespace Qt::StringLiterals;

namespace tsuzuri::cli {

namespace {

void backupUsage(QTextStream& s) {
    s << u"usage: tsuzuri-cli backup [--home DIR] [--folder NAME] [--with-password] [OUT.zip]\n"
         u"  Writes the diary folder (pages, templates, image/, everything in it), its two settings\n"
         u"  files and a manifest (size and SHA-256 of every file) into one zip; by default\n"
         u"  NAME-YYYYMMDD.zip beside the program folder. The FTP password is left out unless\n"
         u"  --with-password is given (the zip is then readable by you only).\n"
         u"exit status: 0 written, 1 failed (no zip is left behind), 2 usage\n"_s;
}

void restoreUsage(QTextStream& s) {
    s << u"usage: tsuzuri-cli restore [--home DIR] ZIP [--as NAME]\n"
         u"  Unpacks a backup into a new diary folder (its name at the time of the backup, or NAME)\n"
         u"  and its settings files; never over an existing folder. Every file is checked against\n"
         u"  the manifest first: a damaged or hostile zip restores nothing.\n"
         u"exit status: 0 restored, 1 nothing restored, 2 usage\n"_s;
}

bool unknownOption(const QStringList& args, const QString& command, Context& ctx) {
    for (const QString& a : args) {
        if (a.startsWith(u"--"_s)) {
            ctx.err << command << u": unknown option "_s << a << u'\n';
            return true;
        }
    }
    return false;
}

// A line on a terminal that rewrites itself; nothing when the output goes to a file or a script.
backup::ProgressCallback terminalProgress(Context& ctx) {
    if (!ctx.interactive)
        return {};
    return [&ctx, shown = -1](const backup::Progress& p) mutable {
        const int percent = p.bytesTotal > 0 ? int(p.bytesDone * 100 / p.bytesTotal) : 100;
        if (percent == shown)
            return;
        shown = percent;
        ctx.err << u"\r"_s << percent << u"% ("_s << p.filesDone << u'/' << p.filesTotal << u')';
        ctx.err.flush();
    };
}

void endProgress(Context& ctx) {
    if (ctx.interactive)
        ctx.err << u'\n';
}

} // namespace

int runBackup(const QStringList& argsIn, Context& ctx) {
    QStringList args = argsIn;
    if (args.contains(u"--help"_s) || args.contains(u"-h"_s)) {
        backupUsage(ctx.out);
        return 0;
    }
    Target target;
    if (!takeTarget(args, ctx, target))
        return 2;
    const bool withPassword = args.removeAll(u"--with-password"_s) > 0;
    if (unknownOption(args, u"backup"_s, ctx) || args.size() > 1) {
        backupUsage(ctx.err);
        return 2;
    }
    backup::BackupRequest request;
    request.home = target.home;
    request.folder = target.folder;
    request.includePassword = withPassword;
    request.zipPath =
        args.isEmpty() ? backup::defaultBackupPath(target.home, target.folder, QDate::currentDate()) : args.first();
    const backup::BackupResult result = backup::writeBackup(request, terminalProgress(ctx));
    endProgress(ctx);
    if (!result.leftOut.isEmpty())
        ctx.err << forTerminal(messageText(Msg::BackupLeftOut, {result.leftOut.join(u"\r\n"_s)})) << u'\n';
    if (!result.written) {
        ctx.err << u"backup: "_s << forTerminal(messageText(result.outcome));
        if (!result.detail.isEmpty())
            ctx.err << u" ("_s << result.detail << u')';
        ctx.err << u'\n';
        return 1;
    }
    ctx.err << forTerminal(messageText(result.outcome)) << u'\n';
    ctx.out << request.zipPath << u'\n';
    return 0;
}

int runRestore(const QStringList& argsIn, Context& ctx) {
    QStringList args = argsIn;
    if (args.contains(u"--help"_s) || args.contains(u"-h"_s)) {
        restoreUsage(ctx.out);
        return 0;
    }
    if (args.contains(u"--folder"_s)) {
        ctx.err << u"restore: the folder is named with --as\n"_s;
        restoreUsage(ctx.err);
        return 2;
    }
    Target target;
    if (!takeTarget(args, ctx, target))
        return 2;
    backup::RestoreRequest request;
    request.home = target.home;
    const qsizetype as = args.indexOf(u"--as"_s);
    if (as >= 0) {
        if (as + 1 >= args.size()) {
            ctx.err << u"--as needs a value\n"_s;
            return 2;
        }
        request.asName = args[as + 1];
        args.remove(as, 2);
    }
    if (unknownOption(args, u"restore"_s, ctx) || args.size() != 1) {
        restoreUsage(ctx.err);
        return 2;
    }
    request.zipPath = args.first();
    const backup::RestoreResult result = backup::restoreBackup(request, terminalProgress(ctx));
    endProgress(ctx);
    if (!result.restored) {
        ctx.err << u"restore: "_s << forTerminal(messageText(result.outcome));
        if (!result.detail.isEmpty())
            ctx.err << u" ("_s << result.detail << u')';
        ctx.err << u'\n';
        return 1;
    }
    ctx.out << forTerminal(messageText(result.outcome)) << u'\n';
    if (!result.passwordIncluded && result.files.contains(u"ini/app_"_s + result.folder + u".ini"_s))
        ctx.out << messageText(Msg::RestoreNoPassword) << u'\n';
    return 0;
}

} // namespace tsuzuri::cli
