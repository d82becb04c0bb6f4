#pragma once

#include "settings/settings_files.h"
#include "store/outcome.h"
#include "upload/server_trust.h"
#include "upload/upload_plan.h"

#include <QByteArray>
#include <QString>

#include <functional>
#include <optional>

namespace tsuzuri::upload {

// Bytes of the file being sent that have gone out so far.
using SentBytes = std::function<void(qint64)>;

// Whom to log in to, and how.
struct ServerLogin {
    Protocol protocol = Protocol::Ftp;
    QString host; // the host box: "host" or "host:port"
    QString port; // the port box; filled in, it wins over the port in host (upload/server_address.h)
    QString user;
    QString password;
    QString home; // the program folder, whose ini/ holds the trusted host keys and certificates
};

// The transfer control: one logged-in connection (FTP, FTPS or SFTP) that carries out the commands of a
// plan one at a time. The upload uses one session per run, from one thread; only cancel() may be called
// from another. The libcurl implementation lives in upload/curl_ftp_client.h; tests use a recording fake.
class FtpSession {
public:
    virtual ~FtpSession() = default;

    // Connects and logs in. Over FTPS and SFTP nothing is sent before the server has shown a certificate
    // or host key that is trusted (the system's certificate store, or what the user trusted in ini/);
    // otherwise the login fails and untrustedServer() tells what the user may choose to trust.
    virtual bool login(const ServerLogin& login) = 0;

    // Carries out one command. A directory that already exists counts as made. Close and Quit end the
    // connection politely. sent is called while a Put goes out.
    virtual bool execute(const Command& command, const SentBytes& sent) = 0;

    // Drops the connection without sending anything more; after a failure or a cancel. Harmless twice.
    virtual void abandon() = 0;

    // Why the last login or command failed: ErrorWithReason with the server's reply ("550 Permission
    // denied.") or the library's words (a refused connection), or a message of our own (a file that
    // cannot be read, a host text that names no host).
    virtual Outcome failure() const = 0;

    // Thread-safe and immediate: the login or command running now fails soon after.
    virtual void cancel() = 0;

    // After a login refused for a server that nobody has trusted yet (not for one whose trusted key
    // changed): what to show and record when the user trusts it.
    virtual std::optional<ServerIdentity> untrustedServer() const { return std::nullopt; }

    // The SHA-256 of the bytes the last successful Put sent, as they were read; empty when the session
    // does not know (the runner then reads the file again).
    virtual QByteArray sentDigest() const { return {}; }
};

} // namespace tsuzuri::upload
