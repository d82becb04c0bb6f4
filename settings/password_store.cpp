#include "settings/password_store.h"

#include "store/paths.h"

#include <QDir>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

// "host", "host:port", "[v6]:port" → the host alone.
QString hostOnly(const QString& text) {
    const QString t = text.trimmed();
    if (t.startsWith(u'['))
        return t.left(t.indexOf(u']') + 1);
    return t.count(u':') == 1 ? t.section(u':', 0, 0) : t;
}

} // namespace

QString passwordKey(const ConnectionSettings& s) {
    return s.user + u'@' + hostOnly(s.host).toLower();
}

ConnectionSettingsRead loadConnectionSettings(const QString& home, const QString& folder, PasswordStore* passwords) {
    ConnectionSettingsRead r = readConnectionSettings(home, folder);
    if (!r.exists || r.failed || !r.password || !r.password->isEmpty() || !passwords)
        return r;
    ConnectionSettings s;
    s.host = r.host.value_or(QString());
    s.user = r.user.value_or(QString());
    if (s.host.isEmpty() || !passwords->available())
        return r;
    if (const std::optional<QString> saved = passwords->read(passwordKey(s)))
        r.password = *saved;
    return r;
}

ConnectionSaved saveConnectionSettings(const QString& home, const QString& folder, const ConnectionSettings& s,
                                       PasswordStore* passwords) {
    ConnectionSaved saved;
    // Nothing goes anywhere unless the file can take it all.
    if (Outcome why; !renderConnectionSettings(s, &why)) {
        saved.outcome = why;
        return saved;
    }
    const ConnectionSettingsRead before = readConnectionSettings(home, folder);
    const bool wasInFile = before.password.value_or(QString()) == s.password;
    ConnectionSettings file = s;
    const QString shownFile = QDir::toNativeSeparators(paths::connectionIni(home, folder));
    if (passwords && passwords->available()) {
        const Outcome kept =
            s.password.isEmpty() ? passwords->remove(passwordKey(s)) : passwords->write(passwordKey(s), s.password);
        if (kept.ok())
            file.password.clear();
        else if (!s.password.isEmpty() && !wasInFile)
            saved.notice = Outcome::failure(Msg::PasswordKeyringFailed, {shownFile, kept.args.value(0)});
    } else if (!s.password.isEmpty() && !wasInFile) {
        saved.notice = Outcome::failure(Msg::PasswordInFile, {shownFile});
    }
    saved.outcome = writeConnectionSettings(home, folder, file);
    if (!saved.outcome.ok())
        saved.notice = {};
    return saved;
}

} // namespace tsuzuri
