#include "cli/cli.h"

using namespace Qt::StringLiterals;

namespace tsuzuri::cli {

int runImport(const QStringList&, Context& ctx) {
    ctx.err << u"import: not available yet\n"_s;
    return 1;
}

} // namespace tsuzuri::cli
