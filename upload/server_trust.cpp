#include "upload/server_trust.h"

#include "store/paths.h"
#include "store/textfile.h"

#include <QCryptographicHash>
#include <QDir>
#include <QFileInfo>

using namespace Qt::StringLiterals;

namespace tsuzuri::upload {

namespace {

int defaultPort(Protocol p) {
    return p == Protocol::Sftp ? 22 : 21;
}

QString hostPort(const QString& host, int port) {
    return host + u':' + QString::number(port);
}

QByteArray pem(const QByteArray& der) {
    QByteArray out = "-----BEGIN CERTIFICATE-----\n";
    const QByteArray b64 = der.toBase64();
    for (qsizetype i = 0; i < b64.size(); i += 64)
        out += b64.mid(i, 64) + '\n';
    return out + "-----END CERTIFICATE-----\n";
}

// Only the fingerprint's own characters, upper-cased hex and colons dropped; base64 stays as it is.
QString canonical(QString f) {
    f = f.trimmed();
    if (f.startsWith(u"SHA256:"_s, Qt::CaseInsensitive))
        f = f.mid(7);
    const QString hex = QString(f).remove(u':');
    const bool isHex = hex.size() == 64 && std::all_of(hex.begin(), hex.end(), [](QChar c) {
                           const QChar l = c.toLower();
                           return (l >= u'0' && l <= u'9') || (l >= u'a' && l <= u'f');
                       });
    return isHex ? hex.toUpper() : f;
}

} // namespace

QString sshFingerprint(const QByteArray& keyBlob) {
    QByteArray b64 = QCryptographicHash::hash(keyBlob, QCryptographicHash::Sha256).toBase64();
    while (b64.endsWith('='))
        b64.chop(1);
    return u"SHA256:"_s + QString::fromLatin1(b64);
}

QString certificateFingerprint(const QByteArray& der) {
    return u"SHA256:"_s +
           QString::fromLatin1(QCryptographicHash::hash(der, QCryptographicHash::Sha256).toHex(':').toUpper());
}

bool sameFingerprint(const QString& typed, const QString& fingerprint) {
    return !typed.trimmed().isEmpty() && canonical(typed) == canonical(fingerprint);
}

QString ServerIdentity::fingerprint() const {
    return protocol == Protocol::Sftp ? sshFingerprint(key) : certificateFingerprint(key);
}

QString ServerIdentity::shownHost() const {
    return port == defaultPort(protocol) ? host : hostPort(host, port);
}

QString knownHostsFile(const QString& home) {
    return paths::iniFolder(home) + u"/known_hosts"_s;
}
QString trustedCertificatesFile(const QString& home) {
    return paths::iniFolder(home) + u"/trusted_certs.pem"_s;
}

Outcome trustServer(const QString& home, const ServerIdentity& id) {
    const bool ssh = id.protocol == Protocol::Sftp;
    const QString path = ssh ? knownHostsFile(home) : trustedCertificatesFile(home);
    QByteArray bytes = textfile::readRegularFile(path).value_or(QByteArray());
    if (!bytes.isEmpty() && !bytes.endsWith('\n'))
        bytes += '\n';
    if (ssh) {
        // As OpenSSH writes them: a bare name (an IPv6 literal without brackets) on port 22.
        QString bare = id.host;
        if (bare.startsWith(u'[') && bare.endsWith(u']'))
            bare = bare.mid(1, bare.size() - 2);
        const QString name = id.port == 22 ? bare : u'[' + bare + u"]:"_s + QString::number(id.port);
        bytes += (name + u' ' + id.keyType + u' ').toUtf8() + id.key.toBase64() + '\n';
    } else {
        bytes += (u"# "_s + hostPort(id.host, id.port) + u' ' + id.fingerprint() + u'\n').toUtf8() + pem(id.key);
    }
    if (!QFileInfo(paths::iniFolder(home)).isDir() && !QDir().mkpath(paths::iniFolder(home)))
        return Outcome::failure(Msg::FolderCreateFailed, {QDir::toNativeSeparators(paths::iniFolder(home))});
    return textfile::writeFileAtomically(path, bytes);
}

QList<QByteArray> trustedCertificates(const QString& home, const QString& host, int port) {
    QList<QByteArray> found;
    const std::optional<QByteArray> bytes = textfile::readRegularFile(trustedCertificatesFile(home));
    if (!bytes)
        return found;
    const QByteArray wanted = hostPort(host, port).toUtf8();
    bool forHost = false;
    QByteArray b64;
    bool inside = false;
    for (const QByteArray& raw : bytes->split('\n')) {
        const QByteArray line = raw.trimmed();
        if (line.startsWith("# ")) {
            forHost = line.mid(2).split(' ').value(0) == wanted;
        } else if (line == "-----BEGIN CERTIFICATE-----") {
            inside = true;
            b64.clear();
        } else if (line == "-----END CERTIFICATE-----") {
            if (inside && forHost)
                found << QByteArray::fromBase64(b64);
            inside = false;
        } else if (inside) {
            b64 += line;
        }
    }
    return found;
}

} // namespace tsuzuri::upload
