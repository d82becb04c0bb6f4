#include "diary/upload_controller.h"

#include "diary/diary_session.h"
#include "diary/messages.h"
#include "upload/upload_job.h"

#include <stdexcept>

namespace tsuzuri {

UploadController::UploadController(DiarySession& session) : s_(session) {}

UploadController::~UploadController() {
    stop();
}

void UploadController::start(const QStringList& selected) {
    s_.guarded([this, &selected] {
        if (isRunning())
            return;
        MessageBoxes& messages = *s_.services().messages;
        const QString folder = s_.folderText();
        const ConnectionSettings connection = s_.connection();
        if (messages.ask(messageText(Msg::UploadConfirm, {folder, connection.remoteDir}), Buttons::YesNo) !=
            Answer::Yes)
            return;
        if (!s_.services().ftp)
            throw std::logic_error("no FTP connection for the upload");

        upload::UploadRequest request;
        request.home = s_.programFolder();
        request.folder = folder;
        request.connection = connection;
        request.selected = selected;
        job_ = new upload::UploadJob(s_.services().ftp->makeSession(), std::move(request), this);
        connect(job_, &upload::UploadJob::progressChanged, this, &UploadController::progressChanged);
        connect(job_, &upload::UploadJob::finished, this, &UploadController::onFinished);
        emit started();
        job_->start();
    });
}

void UploadController::cancel() {
    if (!isRunning())
        return;
    job_->cancel();
    emit cancelling();
}

void UploadController::onFinished(const upload::UploadResult& finished) {
    const upload::UploadResult result = finished; // the job's own copy goes with the job
    if (upload::UploadJob* job = std::exchange(job_, nullptr))
        job->deleteLater();
    emit this->finished();
    // The clean-up only ever touches the files inside image, which the list does not show: the list stays
    // as it is, with its selection.
    s_.guarded([this, &result] {
        MessageBoxes& messages = *s_.services().messages;
        messages.tell(messageText(result.outcome));
        if (!result.cleanUp.ok())
            messages.tell(messageText(result.cleanUp));
    });
}

bool UploadController::stopForClose() {
    if (!isRunning())
        return true;
    // A question that cannot be asked must not keep the program from closing.
    Answer answer = Answer::Yes;
    s_.guarded([this, &answer] {
        answer = s_.services().messages->ask(messageText(Msg::UploadRunningOnClose), Buttons::YesNo);
    });
    if (answer != Answer::Yes)
        return false;
    stop();
    emit finished();
    return true;
}

// Ends the run at once: nothing of the job reaches the session any more.
void UploadController::stop() {
    if (!job_)
        return;
    upload::UploadJob* job = std::exchange(job_, nullptr);
    job->disconnect();
    delete job; // cancels, and waits for the worker
}

} // namespace tsuzuri
