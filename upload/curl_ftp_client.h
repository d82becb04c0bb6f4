#pragma once

#include "upload/ftp_session.h"

#include <memory>

namespace tsuzuri::upload {

// The session over libcurl: one connection, logged in once, kept for every command of the run (the same
// easy handle throughout); 60-second limits on connecting, on each server reply and on a stalled transfer.
//
// FTP and FTPS: passive mode, binary transfers; names go out in UTF-8 when the server lists UTF8 in its
// FEAT reply, in code page 932 otherwise, percent-encoded in every address. FTPS is explicit TLS (AUTH
// TLS on the FTP port), with the data connections protected too (PROT P); a server that refuses it is
// refused in turn, before the password is sent.
//
// SFTP: names in UTF-8; the remote base directory is taken below the directory the login places the user
// in, as over FTP ("/www/" is "www" there), not from the root of the server's file system.
//
// Trust: a certificate is taken when it verifies against the system's store and names the host, or is
// one the user trusted for this host and port (ini/trusted_certs.pem); a host key when ini/known_hosts
// holds it. Anything else ends the login before a name, a password or a file has gone out.
class CurlFtpSession final : public FtpSession {
public:
    CurlFtpSession();
    ~CurlFtpSession() override;

    bool login(const ServerLogin& login) override;
    bool execute(const Command& command, const SentBytes& sent) override;
    void abandon() override;
    Outcome failure() const override;
    void cancel() override;
    std::optional<ServerIdentity> untrustedServer() const override;
    QByteArray sentDigest() const override;

    // Whether the server took UTF-8 names (known after login).
    bool utf8() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

std::unique_ptr<FtpSession> makeCurlFtpSession();

} // namespace tsuzuri::upload
