#pragma once

#include "settings/settings_files.h"
#include "store/outcome.h"

#include <QString>

#include <optional>

namespace tsuzuri {

// The system keyring, where the FTP password lives when there is one. The QtKeychain implementation
// (settings/keychain_password_store.h) is linked by the programs only; tests use a fake. Calls block
// until the keyring answers.
class PasswordStore {
public:
    virtual ~PasswordStore() = default;
    // Whether a keyring can hold passwords at all (a desktop without one, or no session bus: false).
    virtual bool available() = 0;
    // The password saved under key; nothing when none is, or the keyring cannot be asked (why says).
    virtual std::optional<QString> read(const QString& key, Outcome* why = nullptr) = 0;
    virtual Outcome write(const QString& key, const QString& password) = 0;
    // Removing what is not there is no failure.
    virtual Outcome remove(const QString& key) = 0;
};

// The keyring entry of a connection: one per account, "user@host" (host without its port, in lower
// case), so that folders publishing to the same account share it and a moved program folder keeps it.
QString passwordKey(const ConnectionSettings& s);

// The connection file with the password where it lives. The file's own password, when it holds one, is
// the newer (saving with a keyring leaves the file's line empty); an empty line is looked up in the
// keyring. passwords may be null: the file alone.
ConnectionSettingsRead loadConnectionSettings(const QString& home, const QString& folder, PasswordStore* passwords);

struct ConnectionSaved {
    // Success, or why the file was not written (a value it cannot hold: then nothing was changed).
    Outcome outcome;
    // Said once, when the password lands in the file where it was not before: PasswordInFile (no
    // keyring) or PasswordKeyringFailed (the keyring refused; its reason). Otherwise success.
    Outcome notice;
};

// The save command of the connection frame. With a keyring the password goes there and the file gets
// an empty [PSW] line, still five lines; an empty password removes the keyring's entry. Without one
// the password stays in the owner-only file, as it always did.
ConnectionSaved saveConnectionSettings(const QString& home, const QString& folder, const ConnectionSettings& s,
                                       PasswordStore* passwords);

} // namespace tsuzuri
