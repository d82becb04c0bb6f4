#pragma once

#include "settings/settings_files.h"
#include "store/outcome.h"

#include <QByteArray>
#include <QList>
#include <QString>

namespace tsuzuri::upload {

// A server that showed a certificate (FTPS) or a host key (SFTP) nobody has trusted yet. The upload
// stops before it sends anything and hands this to its caller, which shows the fingerprint, asks the
// user, and on yes calls trustServer() and starts the run again.
struct ServerIdentity {
    Protocol protocol = Protocol::Sftp;
    QString host; // as connected, without the port; an IPv6 literal in brackets
    int port = 0;
    QString keyType; // SFTP: "ssh-ed25519", "ecdsa-sha2-nistp256", …; empty for a certificate
    QByteArray key;  // SFTP: the public key blob; FTPS: the server's certificate (DER)

    // "SHA256:" + base64 of the key's digest, as OpenSSH prints it; for a certificate "SHA256:" + the
    // digest of the DER bytes in colon-separated hex pairs, as browsers and openssl print it.
    QString fingerprint() const;
    // "host", or "host:port" on another port than the protocol's own.
    QString shownHost() const;

    friend bool operator==(const ServerIdentity&, const ServerIdentity&) = default;
};

// The SHA-256 fingerprint of an SSH public key blob or of a certificate, as ServerIdentity shows them.
QString sshFingerprint(const QByteArray& keyBlob);
QString certificateFingerprint(const QByteArray& der);
// Whether a fingerprint typed by a user (--trust-fingerprint) names this one: the "SHA256:" prefix may be
// left out, hex pairs may come in either case and with or without colons.
bool sameFingerprint(const QString& typed, const QString& fingerprint);

// The two files of what the user trusted, in ini/: OpenSSH's known_hosts format ("host type key", or
// "[host]:port type key" on another port than 22), and PEM certificates each under a comment line
// "# host:port fingerprint".
QString knownHostsFile(const QString& home);
QString trustedCertificatesFile(const QString& home);

// Records the identity as trusted: its line or certificate is added to the file (written whole and
// atomically; ini/ is made when missing).
Outcome trustServer(const QString& home, const ServerIdentity& identity);

// The certificates (DER) trusted for host:port, oldest first; none when the file lacks it.
QList<QByteArray> trustedCertificates(const QString& home, const QString& host, int port);

} // namespace tsuzuri::upload
