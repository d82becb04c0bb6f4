#include "cli/cli.h"

using namespace Qt::StringLiterals;

namespace tsuzuri::cli {

int runUpload(const QStringList&, Context& ctx) {
    ctx.err << u"upload: not available yet\n"_s;
    return 1;
}

} // namespace tsuzuri::cli
