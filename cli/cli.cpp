#include "cli/cli.h"

#include "diary/messages.h"
#include "settings/diary_folder.h"
#include "settings/settings_files.h"

#include <QRegularExpression>

#include <atomic>
#include <thread>
#include <vector>

using namespace Qt::StringLiterals;

namespace tsuzuri::cli {

namespace {

void usage(QTextStream& s) {
    s << u"usage: tsuzuri-cli <command> [--home DIR] [--folder NAME] ...\n"
         u"  import [--replace-unreadable] SOURCE...\n"
         u"                          write month pages from JSON: MONTH.json, FILE.jsonl, a folder of .json\n"
         u"                          files or - (JSON Lines on standard input); then index.html, feed.xml\n"
         u"  export YYYYMM           print a month page as JSON\n"
         u"  export --all            print every month page as JSON Lines, oldest first\n"
         u"  snippets YYYYMM         print the embedding snippets of a month page as JSON\n"
         u"  upload [--yes] ENTRY... upload entries of the diary folder by FTP\n"
         u"  index                   rebuild index.html and feed.xml from the month pages\n"
         u"  search [--all-folders] [--json] TERM...   find entries (every term, any case, width or kana)\n"
         u"  backup [--with-password] [OUT.zip]         write the diary folder and its settings into one zip\n"
         u"  restore ZIP [--as NAME]                    unpack a backup into a new diary folder\n"_s;
}

} // namespace

bool takeTarget(QStringList& args, Context& ctx, Target& target) {
    target.home = ctx.defaultHome;
    std::optional<QString> folder;
    for (qsizetype i = 0; i < args.size();) {
        const QString& a = args[i];
        if (a == u"--home"_s || a == u"--folder"_s) {
            if (i + 1 >= args.size()) {
                ctx.err << a << u" needs a value\n"_s;
                return false;
            }
            if (a == u"--home"_s)
                target.home = args[i + 1];
            else
                folder = args[i + 1];
            args.remove(i, 2);
            continue;
        }
        ++i;
    }
    while (target.home.size() > 1 && target.home.endsWith(u'/'))
        target.home.chop(1);
    if (folder) {
        // "..", "../x" or "" would reach files outside the program folder's diary folders.
        if (const Outcome o = checkDiaryFolderName(*folder); !o.ok()) {
            ctx.err << forTerminal(messageText(o)) << u'\n';
            return false;
        }
        target.folder = *folder;
    } else {
        const FdirRead fdir = readFdirIni(target.home);
        target.folder = fdir.folder.value_or(u"diary"_s);
        if (const Outcome o = checkDiaryFolderName(target.folder); !o.ok()) {
            ctx.err << u"ini/fdir.ini: "_s << forTerminal(messageText(o)) << u"\nusing the diary folder \"diary\"\n"_s;
            target.folder = u"diary"_s;
        }
    }
    return true;
}

QString forTerminal(QString text) {
    text.replace(u"\r\n"_s, u"\n"_s);
    text.replace(u'\r', u'\n');
    return text;
}

bool parseMonthArgument(const QString& text, Context& ctx, QString& year, QString& month) {
    static const QRegularExpression re(u"^(\\d{4})(\\d{2})$"_s);
    const auto m = re.match(text);
    const int mm = m.hasMatch() ? m.captured(2).toInt() : 0;
    if (!m.hasMatch() || mm < 1 || mm > 12) {
        ctx.err << u"not a month (YYYYMM): "_s << text << u'\n';
        return false;
    }
    year = m.captured(1);
    month = m.captured(2);
    return true;
}

void inParallel(qsizetype count, const std::function<void(qsizetype)>& work,
                const std::function<void(qsizetype)>& done) {
    std::atomic<qsizetype> next = 0, finished = 0;
    const auto loop = [&](bool reporting) {
        for (qsizetype i = next++; i < count; i = next++) {
            work(i);
            const qsizetype n = ++finished;
            if (reporting && done)
                done(n);
        }
    };
    {
        std::vector<std::jthread> helpers;
        for (unsigned t = 1; t < std::thread::hardware_concurrency() && t < count; ++t)
            helpers.emplace_back(loop, false);
        loop(true);
    }
    if (done && count > 0)
        done(count); // the helpers may have finished the last ones
}

int runCommand(const QStringList& argsIn, Context& ctx, std::span<const Command> more) {
    static constexpr Command everywhere[] = {
        {u"import", runImport}, {u"export", runExport}, {u"snippets", runSnippets},
        {u"index", runIndex},   {u"search", runSearch},
    };
    QStringList args = argsIn;
    if (args.isEmpty() || args.first() == u"--help"_s || args.first() == u"-h"_s) {
        usage(args.isEmpty() ? ctx.err : ctx.out);
        return args.isEmpty() ? 2 : 0;
    }
    const QString command = args.takeFirst();
    for (const std::span<const Command> commands : {std::span<const Command>(everywhere), more}) {
        for (const Command& c : commands) {
            if (command == c.name)
                return c.run(args, ctx);
        }
    }
    ctx.err << u"unknown command: "_s << command << u'\n';
    usage(ctx.err);
    return 2;
}

} // namespace tsuzuri::cli
