#pragma once

#include "settings/password_store.h"

#include <optional>

namespace tsuzuri {

// The password store on the system keyring through QtKeychain (the Secret Service on Linux). Each call
// waits for the keyring in a local event loop, so it runs on a thread with a Qt application.
class KeychainPasswordStore final : public PasswordStore {
public:
    bool available() override;
    std::optional<QString> read(const QString& key, Outcome* why = nullptr) override;
    Outcome write(const QString& key, const QString& password) override;
    Outcome remove(const QString& key) override;

private:
    std::optional<bool> available_; // asked once
};

} // namespace tsuzuri
