#include "cli/cli.h"

// tsuzuri-cli-upload: the upload command, the one that needs libcurl and its TLS stack.
int main(int argc, char** argv) {
    static constexpr tsuzuri::cli::Command upload[] = {{u"upload", tsuzuri::cli::runUpload}};
    return tsuzuri::cli::programMain(argc, argv, upload);
}
