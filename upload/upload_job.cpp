#include "upload/upload_job.h"

#include <QMutexLocker>
#include <QThread>

namespace tsuzuri::upload {

UploadJob::UploadJob(std::unique_ptr<FtpSession> session, UploadRequest request, QObject* parent)
    : QObject(parent), m_session(std::move(session)), m_runner(*m_session), m_request(std::move(request)) {}

UploadJob::~UploadJob() {
    if (m_thread) {
        m_runner.cancel();
        m_thread->wait();
        delete m_thread;
    }
}

void UploadJob::start() {
    if (m_thread)
        return;
    // The worker writes m_result only; the job reads it after the thread has finished.
    m_thread = QThread::create([this] {
        m_result = m_runner.run(m_request, [this](const UploadProgress& p) { post(p); });
    });
    connect(m_thread, &QThread::finished, this, [this] {
        deliver(); // whatever progress is still queued goes out first
        m_finished = true;
        emit finished(m_result);
    });
    m_thread->start();
}

void UploadJob::cancel() { m_runner.cancel(); }

bool UploadJob::isRunning() const { return m_thread && !m_finished; }

void UploadJob::post(const UploadProgress& p) {
    QMutexLocker lock(&m_mutex);
    m_latest = p;
    if (m_pending)
        return;
    m_pending = true;
    QMetaObject::invokeMethod(this, &UploadJob::deliver, Qt::QueuedConnection);
}

void UploadJob::deliver() {
    UploadProgress p;
    {
        QMutexLocker lock(&m_mutex);
        if (!m_pending)
            return;
        m_pending = false;
        p = m_latest;
    }
    emit progressChanged(p);
}

} // namespace tsuzuri::upload
