#include "diary/upload_controller.h"

#include "diary/diary_session.h"
#include "diary/messages.h"
#include "upload/upload_job.h"

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tsuzuri {

UploadController::UploadController(DiarySession& session) : s_(session) {}

UploadController::~UploadController() {
    stop();
}

void UploadController::start(const QStringList& selected) {
    s_.guarded([this, &selected] {
        if (isRunning())
            return;
        upload::UploadRequest request;
        request.home = s_.programFolder();
        request.folder = s_.folderText();
        request.connection = s_.connection();
        request.selected = selected;
        request.onlyChanged = s_.onlyChanged();
        // What will go is said before the question: with only what changed it may be little, or nothing.
        upload::Plan plan;
        const Outcome planned = upload::planUpload(request, plan);
        if (!planned.ok())
            return s_.services().messages->tell(messageText(planned));
        const QString question = messageText(Msg::UploadConfirm, {request.folder, request.connection.remoteDir});
        if (s_.services().messages->ask(messageText(upload::describePlan(plan)) + u"\r\n"_s + question,
                                        Buttons::YesNo) != Answer::Yes)
            return;
        run(std::move(request));
    });
}

void UploadController::run(upload::UploadRequest request) {
    if (!s_.services().ftp)
        throw std::logic_error("no FTP connection for the upload");
    request_ = request;
    job_ = new upload::UploadJob(s_.services().ftp->makeSession(), std::move(request), this);
    connect(job_, &upload::UploadJob::progressChanged, this, &UploadController::progressChanged);
    connect(job_, &upload::UploadJob::finished, this, &UploadController::onFinished);
    emit started();
    job_->start();
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
        // A server nobody has trusted yet: its fingerprint is shown, and once trusted the same upload goes.
        if (result.untrusted) {
            if (messages.ask(messageText(result.outcome), Buttons::YesNo) != Answer::Yes)
                return;
            const Outcome trusted = upload::trustServer(s_.programFolder(), *result.untrusted);
            if (!trusted.ok())
                return messages.tell(messageText(trusted));
            return run(request_);
        }
        if (result.arrived) {
            s_.onlyChanged_ = true; // from now on only what changed goes, unless the box is cleared
            s_.changed_ |= DiarySession::SettingsPart;
        }
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
