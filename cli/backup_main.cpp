#include "cli/cli.h"

// tsuzuri-cli-backup: backup and restore, the commands that need libarchive.
int main(int argc, char** argv) {
    static constexpr tsuzuri::cli::Command backup[] = {{u"backup", tsuzuri::cli::runBackup},
                                                       {u"restore", tsuzuri::cli::runRestore}};
    return tsuzuri::cli::programMain(argc, argv, backup);
}
