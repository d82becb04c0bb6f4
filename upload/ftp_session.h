#pragma once

#include "store/outcome.h"
#include "upload/upload_plan.h"

#include <QString>

#include <functional>

namespace tsuzuri::upload {

// Bytes of the file being sent that have gone out so far.
using SentBytes = std::function<void(qint64)>;

// The transfer control: one logged-in FTP connection that carries out the commands of a plan one at a
// time. The upload uses one session per run, from one thread; only cancel() may be called from another.
// The libcurl implementation lives in upload/curl_ftp_client.h; tests use a recording fake.
class FtpSession {
public:
    virtual ~FtpSession() = default;

    // Connects and logs in. host is the text of txtFTP: "host" (standard port) or "host:port".
    virtual bool login(const QString& host, const QString& user, const QString& password) = 0;

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
};

} // namespace tsuzuri::upload
