#pragma once

#include "settings/settings_files.h"
#include "store/outcome.h"
#include "upload/ftp_session.h"
#include "upload/server_trust.h"
#include "upload/upload_plan.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

namespace tsuzuri::upload {

// What one upload works on: the window's boxes (or the CLI's settings file) at the moment it starts.
struct UploadRequest {
    QString home;                  // program folder
    QString folder;                // diary folder name
    ConnectionSettings connection; // host, account, password, remote folder, delete-after-upload, protocol and port
    QStringList selected;          // the selected upload list entries, in list order
    // Only what changed: files whose size or SHA-256 differs from what last arrived at this account and
    // remote directory (upload/sent_manifest.h) go; false sends every selected file.
    bool onlyChanged = false;
};

// The plan of a request as its run will make it, for the question before the run (describePlan()).
Outcome planUpload(const UploadRequest& request, Plan& plan);

// Whether some upload of this folder to this account and remote directory has recorded what arrived:
// the window ticks 変更したファイルのみ by default then.
bool hasUploadRecord(const QString& home, const QString& folder, const ConnectionSettings& connection);

struct UploadProgress {
    int filesDone = 0;
    int filesTotal = 0;
    qint64 bytesSent = 0;
    qint64 bytesTotal = 0;
    QString currentFile; // the file going out, relative to the diary folder ("image/a.jpg"); empty between files
};

struct UploadResult {
    // Every command up to close and QUIT succeeded: every file reached the server.
    bool arrived = false;
    // UploadDone when arrived; otherwise ErrorWithReason (the server's reason), UploadCancelled, or why
    // the plan refused to send anything (upload/upload_plan.h).
    Outcome outcome;
    // The image clean-up: success, or ImageCleanupFailed naming the files that could not be deleted.
    Outcome cleanUp;
    QStringList deleted; // files the clean-up deleted (platform path form)
    // The server showed a certificate or host key nobody has trusted yet; outcome is then
    // CertificateNotTrusted or HostKeyNotTrusted (the question to ask) and nothing was sent. On yes:
    // trustServer(home, *untrusted), then the same request again. A key that changed since it was
    // trusted gives CertificateChanged or HostKeyChanged instead, and no identity to trust.
    std::optional<ServerIdentity> untrusted;
};

// One upload run, from plan to clean-up, over one session; one runner and one session per run (a
// cancel is final). run() blocks its thread until the end; the window runs it on a worker thread
// through UploadJob (upload/upload_job.h), the CLI directly.
class UploadRunner {
public:
    using ProgressCallback = std::function<void(const UploadProgress&)>;

    explicit UploadRunner(FtpSession& session) : m_session(session) {}

    // Plans, logs in, carries out the commands in order and stops at the first failure (nothing further
    // is sent). Each file that arrives is recorded at once in the folder's record of this target. When every file
    // arrived and deleting after upload is on, and some selected entry contains
    // "[フォルダ]image", deletes the plain files directly inside the diary folder's image folder, but only
    // those that went to the server in this run. progress is called on run()'s thread, often.
    UploadResult run(const UploadRequest& request, const ProgressCallback& progress = {});

    // Thread-safe: stops the run soon (UploadCancelled); nothing is deleted.
    void cancel();
    bool isCancelled() const { return m_cancelled.load(); }

private:
    FtpSession& m_session;
    std::atomic<bool> m_cancelled{false};
};

} // namespace tsuzuri::upload
