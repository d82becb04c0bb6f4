#include "cli/cli.h"
#include "settings/keychain_password_store.h"

// tsuzuri-cli-upload: the upload command, the one that needs libcurl and its TLS stack.
int main(int argc, char** argv) {
    static constexpr tsuzuri::cli::Command upload[] = {{u"upload", tsuzuri::cli::runUpload}};
    tsuzuri::KeychainPasswordStore keyring;
    return tsuzuri::cli::programMain(argc, argv, upload, &keyring);
}
