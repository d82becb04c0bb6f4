#pragma once

#include "upload/ftp_session.h"

#include <QStringList>

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <optional>

namespace tsuzuri::upload::testing {

// Records the exact command texts in order and answers from a script: a refused login, a command
// that fails with a server reason, a hook that runs inside a command (to cancel, to drop a file in).
class FakeFtpSession : public FtpSession {
public:
    // Recorded.
    QStringList commands;
    std::optional<QStringList> login_; // host, user, password
    int abandoned = 0;

    // Scripted.
    std::optional<QString> refuseLogin;     // the server's reason
    QString failOn;                         // command text that fails…
    QString failReason = QStringLiteral("550 Permission denied."); // …with this reason
    bool failQuit = false;
    bool blockPuts = false; // a Put waits until cancel()
    std::function<void(const Command&)> during;

    bool login(const QString& host, const QString& user, const QString& password) override {
        login_ = QStringList{host, user, password};
        if (refuseLogin) {
            m_reason = *refuseLogin;
            return false;
        }
        return true;
    }

    bool execute(const Command& c, const SentBytes& sent) override {
        const QString text = c.text();
        commands << text;
        if (during)
            during(c);
        if (c.kind == Command::Kind::Put) {
            if (sent) {
                sent(c.size / 2);
                sent(c.size);
            }
            if (blockPuts) {
                std::unique_lock lock(m_mutex);
                m_cv.wait(lock, [&] { return m_cancelled.load(); });
            }
        }
        if (m_cancelled) {
            m_reason = QStringLiteral("cancelled");
            return false;
        }
        if (text == failOn || (failQuit && c.kind == Command::Kind::Quit)) {
            m_reason = failReason;
            return false;
        }
        return true;
    }

    void abandon() override { ++abandoned; }
    QString reason() const override { return m_reason; }
    void cancel() override {
        {
            std::lock_guard lock(m_mutex);
            m_cancelled = true;
        }
        m_cv.notify_all();
    }

private:
    QString m_reason;
    std::atomic<bool> m_cancelled{false};
    std::mutex m_mutex;
    std::condition_variable m_cv;
};

} // namespace tsuzuri::upload::testing
