#include "cli/cli.h"

namespace tsuzuri::cli {

int runCli(const QStringList& args, Context& ctx) {
    static constexpr Command more[] = {{u"upload", runUpload}, {u"backup", runBackup}, {u"restore", runRestore}};
    return runCommand(args, ctx, more);
}

} // namespace tsuzuri::cli
