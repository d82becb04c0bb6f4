#pragma once

#include "upload/ftp_session.h"
#include "upload/upload_runner.h"

#include <QMutex>
#include <QObject>

#include <memory>

class QThread;

namespace tsuzuri::upload {

// One upload run on a worker thread, for the window: the event loop keeps running while files go out.
//
//   auto* job = new UploadJob(services.makeFtpSession(), request, this);
//   connect(job, &UploadJob::progressChanged, this, [=](const UploadProgress& p) { … bar, file name … });
//   connect(job, &UploadJob::finished, this, [=](const UploadResult& r) {
//       … messageText(r.outcome); if (!r.cleanUp.ok()) messageText(r.cleanUp); job->deleteLater(); });
//   job->start();          // returns at once
//   job->cancel();         // e.g. from a 中止 button; finished follows with UploadCancelled
//
// Both signals are delivered on the thread the job lives in (the window's), never on the worker.
// Progress is coalesced: a slow receiver sees the newest figures, not a backlog. The last
// progressChanged comes before finished. Destroying a running job cancels it and waits for the worker.
class UploadJob : public QObject {
    Q_OBJECT
public:
    UploadJob(std::unique_ptr<FtpSession> session, UploadRequest request, QObject* parent = nullptr);
    ~UploadJob() override;

    // Starts the run on its own thread. Only the first call does anything.
    void start();
    // Thread-safe; the run stops soon after and nothing is deleted.
    void cancel();

    bool isRunning() const;
    bool isFinished() const { return m_finished; }
    // The outcome, once finished has been emitted.
    const UploadResult& result() const { return m_result; }

signals:
    void progressChanged(const tsuzuri::upload::UploadProgress& progress);
    void finished(const tsuzuri::upload::UploadResult& result);

private:
    void post(const UploadProgress& p); // worker thread
    void deliver();                     // job's thread

    std::unique_ptr<FtpSession> m_session;
    UploadRunner m_runner;
    UploadRequest m_request;
    QThread* m_thread = nullptr;
    UploadResult m_result;
    bool m_finished = false;

    QMutex m_mutex; // guards the two below
    UploadProgress m_latest;
    bool m_pending = false;
};

} // namespace tsuzuri::upload
