#include "cli/cli.h"

using namespace Qt::StringLiterals;

namespace tsuzuri::cli {

int runExport(const QStringList&, Context& ctx) {
    ctx.err << u"export: not available yet\n"_s;
    return 1;
}

int runSnippets(const QStringList&, Context& ctx) {
    ctx.err << u"snippets: not available yet\n"_s;
    return 1;
}

} // namespace tsuzuri::cli
