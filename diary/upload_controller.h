#pragma once

#include "upload/upload_runner.h"

#include <QObject>
#include <QStringList>

namespace tsuzuri {

class DiarySession;
namespace upload {
class UploadJob;
}

// The upload of the selected list entries, for the session: the question, the run on a worker thread
// (the window stays responsive), its progress and cancel, the outcome told at the end, and the question
// when the program closes in the middle. Destroying it in the middle of a run cancels the run and waits.
class UploadController final : public QObject {
    Q_OBJECT
public:
    explicit UploadController(DiarySession& session);
    ~UploadController() override;

    bool isRunning() const { return job_ != nullptr; }

    // Asks, then starts the run of the selected entries (in list order, whatever order they were picked
    // in). Does nothing while a run is on its way.
    void start(const QStringList& selected);
    void cancel();
    // The program is to close while a run is on its way: asks first. True when it may close (no run, or
    // the run has been stopped).
    bool stopForClose();

signals:
    void started();
    void progressChanged(const tsuzuri::upload::UploadProgress& progress);
    void cancelling();
    // The run is over (before its outcome is told).
    void finished();

private:
    void run(upload::UploadRequest request);
    void onFinished(const upload::UploadResult& result);
    void stop();

    DiarySession& s_;
    upload::UploadJob* job_ = nullptr;
    upload::UploadRequest request_; // the run on its way, to start again once its server is trusted
};

} // namespace tsuzuri
