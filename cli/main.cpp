#include "cli/cli.h"

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <string>
#include <unistd.h>

namespace {

// Commands whose libraries would slow every start down live in programs of their own beside this one:
// the dynamic linker then loads libcurl with its TLS and Kerberos stack, or libarchive, only for them.
struct Elsewhere {
    const char* command;
    const char* program;
};
constexpr Elsewhere kElsewhere[] = {
    {"upload", "tsuzuri-cli-upload"},
    {"backup", "tsuzuri-cli-backup"},
    {"restore", "tsuzuri-cli-backup"},
};

// Replaces this process by program, found in the folder of this executable, with the same arguments.
int runElsewhere(const char* program, char** argv) {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error)
        self = argv[0];
    const std::string path = self.replace_filename(program).string();
    ::execv(path.c_str(), argv);
    std::fprintf(stderr, "tsuzuri-cli: cannot start %s: %s\n", path.c_str(), std::strerror(errno));
    return 1;
}

} // namespace

int main(int argc, char** argv) {
    for (const Elsewhere& e : kElsewhere) {
        if (argc > 1 && std::strcmp(argv[1], e.command) == 0)
            return runElsewhere(e.program, argv);
    }
    return tsuzuri::cli::programMain(argc, argv, {});
}
