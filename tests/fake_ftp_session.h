#pragma once

#include "diary/session_services.h"
#include "upload/ftp_session.h"

#include <QStringList>

#include <atomic>
#include <chrono>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

namespace tsuzuri::upload::testing {

// Records the exact command texts in order and answers from a script: an untrusted server, a command
// that fails, a hook that runs inside a command (to cancel, to drop a file in).
class FakeFtpSession : public FtpSession {
public:
    // Recorded.
    QStringList commands;
    std::optional<QStringList> login_; // host, user, password
    int abandoned = 0;

    // Scripted.
    QString failOn;         // command text that fails ("QUIT" too), as a server refusing it would
    bool blockPuts = false; // a Put waits until cancel()
    std::function<void(const Command&)> during;
    std::optional<ServerIdentity> untrusted; // a host key nobody trusted yet: the login stops before sending

    bool login(const ServerLogin& l) override {
        login_ = QStringList{l.host, l.user, l.password};
        if (untrusted)
            m_reason = Outcome::failure(Msg::HostKeyNotTrusted, {untrusted->shownHost(), untrusted->fingerprint()});
        return !untrusted;
    }
    std::optional<ServerIdentity> untrustedServer() const override { return untrusted; }

    bool execute(const Command& c, const SentBytes& sent) override {
        commands << c.text();
        if (during)
            during(c);
        if (c.kind == Command::Kind::Put && sent) {
            sent(c.size / 2);
            sent(c.size);
        }
        while (c.kind == Command::Kind::Put && blockPuts && !m_cancelled)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        const bool failed = m_cancelled || commands.last() == failOn;
        if (failed)
            m_reason = Outcome::failure(Msg::ErrorWithReason, {m_cancelled ? QStringLiteral("cancelled")
                                                                           : QStringLiteral("550 Permission denied.")});
        return !failed;
    }

    void abandon() override { ++abandoned; }
    Outcome failure() const override { return m_reason; }
    void cancel() override { m_cancelled = true; }

private:
    Outcome m_reason;
    std::atomic<bool> m_cancelled{false};
};

// Hands out a fresh recording session per run, as the real connector does, scripted before it starts.
// The run owns and drops what it is given; the test keeps the recording.
class RecordingConnector final : public FtpConnector {
public:
    std::function<void(FakeFtpSession&)> script;
    std::vector<std::unique_ptr<FakeFtpSession>> made;

    std::unique_ptr<FtpSession> makeSession() override {
        made.push_back(std::make_unique<FakeFtpSession>());
        if (script)
            script(*made.back());
        return std::make_unique<Forwarding>(*made.back());
    }
    FakeFtpSession& last() { return *made.back(); }

private:
    class Forwarding final : public FtpSession {
    public:
        explicit Forwarding(FakeFtpSession& fake) : fake_(fake) {}
        bool login(const ServerLogin& l) override { return fake_.login(l); }
        bool execute(const Command& c, const SentBytes& sent) override { return fake_.execute(c, sent); }
        void abandon() override { fake_.abandon(); }
        Outcome failure() const override { return fake_.failure(); }
        void cancel() override { fake_.cancel(); }
        std::optional<ServerIdentity> untrustedServer() const override { return fake_.untrustedServer(); }

    private:
        FakeFtpSession& fake_;
    };
};

} // namespace tsuzuri::upload::testing
