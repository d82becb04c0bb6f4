#include "upload/server_address.h"

using namespace Qt::StringLiterals;

namespace tsuzuri::upload {

namespace {

std::optional<int> portNumber(const QString& text) {
    bool ok = false;
    const int n = text.toInt(&ok);
    if (!ok || n < 1 || n > 65535 ||
        !std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; }))
        return std::nullopt;
    return n;
}

} // namespace

int defaultPort(Protocol p) {
    return p == Protocol::Sftp ? 22 : 21;
}

std::optional<ServerAddress> serverAddress(const ConnectionSettings& c, Outcome* why) {
    const auto fail = [&](Outcome o) -> std::optional<ServerAddress> {
        if (why)
            *why = std::move(o);
        return std::nullopt;
    };
    const QString t = c.host.trimmed();
    const Outcome badHost = Outcome::failure(Msg::UploadBadHost, {c.host});
    ServerAddress a;
    QString port;
    if (t.startsWith(u'[')) {
        const qsizetype close = t.indexOf(u']');
        if (close < 0)
            return fail(badHost);
        a.host = t.left(close + 1);
        const QString rest = t.mid(close + 1);
        if (!rest.isEmpty() && !rest.startsWith(u':'))
            return fail(badHost);
        port = rest.mid(1);
    } else if (t.count(u':') == 1) {
        a.host = t.section(u':', 0, 0);
        port = t.section(u':', 1);
    } else if (t.count(u':') > 1) {
        a.host = u'[' + t + u']';
    } else {
        a.host = t;
    }
    if (a.host.isEmpty() || a.host == u"[]"_s)
        return fail(badHost);
    // Names are compared with what was trusted for them; "FTP.example.jp" is the same server.
    a.host = a.host.toLower();
    if (!port.isEmpty()) {
        const std::optional<int> n = portNumber(port);
        if (!n)
            return fail(badHost);
        a.port = *n;
    }
    if (const QString box = c.port.trimmed(); !box.isEmpty()) {
        const std::optional<int> n = portNumber(box);
        if (!n)
            return fail(Outcome::failure(Msg::UploadBadPort, {c.port}));
        a.port = *n;
    }
    if (a.port == 0)
        a.port = defaultPort(c.protocol);
    return a;
}

} // namespace tsuzuri::upload
