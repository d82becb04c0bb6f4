#pragma once

#include "upload/ftp_session.h"

#include <memory>

namespace tsuzuri::upload {

// The FTP session over libcurl: one control connection, logged in once, kept for every command of the
// run (the same easy handle throughout). Passive mode, binary transfers, 60-second limits on connecting,
// on each server reply and on a stalled transfer. Names go out in UTF-8 when the server lists UTF8 in
// its FEAT reply, in code page 932 otherwise, percent-encoded in every address.
class CurlFtpSession final : public FtpSession {
public:
    CurlFtpSession();
    ~CurlFtpSession() override;

    bool login(const QString& host, const QString& user, const QString& password) override;
    bool execute(const Command& command, const SentBytes& sent) override;
    void abandon() override;
    Outcome failure() const override;
    void cancel() override;

    // Whether the server took UTF-8 names (known after login).
    bool utf8() const;

private:
    struct Impl;
    std::unique_ptr<Impl> d;
};

std::unique_ptr<FtpSession> makeCurlFtpSession();

} // namespace tsuzuri::upload
