#include "cli/cli.h"

#include "diary/messages.h"
#include "site/site_index.h"
#include "store/paths.h"

#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tsuzuri::cli {

int reportIndex(const QString& command, const Outcome& index, Context& ctx) {
    if (index.ok())
        return 0;
    ctx.err << command << u": "_s << messageText(index) << u'\n';
    return 1;
}

int runIndex(const QStringList& argsIn, Context& ctx) {
    QStringList args = argsIn;
    Target target;
    if (!takeTarget(args, ctx, target))
        return 1;
    if (!args.isEmpty()) {
        ctx.err << u"usage: tsuzuri-cli index [--home DIR] [--folder NAME]\n"_s;
        return 1;
    }
    const QString diary = paths::diaryFolder(target.home, target.folder);
    if (!QFileInfo(diary).isDir()) {
        ctx.err << u"index: the diary folder does not exist: "_s << diary << u'\n';
        return 1;
    }
    const Outcome o = writeSiteIndex(target.home, target.folder);
    ctx.out << diary << u"/index.html\n"_s << diary << u"/feed.xml\n"_s;
    return reportIndex(u"index"_s, o, ctx);
}

} // namespace tsuzuri::cli
