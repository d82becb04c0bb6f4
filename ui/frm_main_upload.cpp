#include "ui/frm_main.h"

#include "diary/messages.h"
#include "upload/upload_job.h"

#include <QApplication>
#include <QBoxLayout>
#include <QCheckBox>
#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QLocale>
#include <QProgressBar>
#include <QPushButton>

#include <stdexcept>

using namespace Qt::StringLiterals;

namespace tsuzuri {

// The run on its way. It lives as long as the window and sees the window's close before the window does.
// Its own destructor ends a run that is still going (the job cancels and waits for its worker), so the
// window can be destroyed in the middle of an upload, and the busy cursor never outlives it.
class frmMain::UploadRun final : public QObject {
public:
    explicit UploadRun(frmMain* window) : QObject(window), window_(window) { window->installEventFilter(this); }
    ~UploadRun() override {
        stop();
        setBusy(false);
    }

    upload::UploadJob* job = nullptr;

    bool running() const { return job != nullptr; }

    // Ends the run at once: no signal of the job reaches the window any more.
    void stop() {
        if (!job)
            return;
        upload::UploadJob* j = std::exchange(job, nullptr);
        j->disconnect();
        delete j; // cancels, and waits for the worker
    }

    void setBusy(bool busy) {
        if (busy == busy_)
            return;
        busy_ = busy;
        if (busy)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == window_ && event->type() == QEvent::Close && running() && !window_->closeDuringUpload()) {
            event->ignore();
            return true;
        }
        return QObject::eventFilter(watched, event);
    }

private:
    frmMain* window_;
    bool busy_ = false;
};

namespace {

// The box layout that holds w directly, searched from layout down.
QBoxLayout* boxHolding(QLayout* layout, QWidget* w) {
    if (!layout)
        return nullptr;
    if (auto* box = qobject_cast<QBoxLayout*>(layout); box && box->indexOf(w) >= 0)
        return box;
    for (int i = 0; i < layout->count(); ++i) {
        if (QBoxLayout* found = boxHolding(layout->itemAt(i)->layout(), w))
            return found;
    }
    return nullptr;
}

QString dataSize(qint64 bytes) {
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

// Steps of the bar when it counts bytes: a QProgressBar holds an int, a diary folder may not fit in one.
constexpr int kBarSteps = 1000;

} // namespace

void frmMain::connectUpload() {
    uploadRun_ = new UploadRun(this);

    cmdUPCancel = new QPushButton(u"中止"_s);
    cmdUPCancel->setObjectName(u"cmdUPCancel"_s);
    prgUpload = new QProgressBar;
    prgUpload->setObjectName(u"prgUpload"_s);
    prgUpload->setTextVisible(true);
    lblUploadFile = new QLabel;
    lblUploadFile->setObjectName(u"lblUploadFile"_s);
    lblUploadFile->setTextFormat(Qt::PlainText); // file names are shown as they are, never as markup

    // Beside the two buttons, and the bar with its file name just above them.
    QLayout* frame = cmdUP->parentWidget()->layout();
    QBoxLayout* buttons = boxHolding(frame, cmdUP);
    if (buttons)
        buttons->insertWidget(buttons->indexOf(cmdLoad) + 1, cmdUPCancel);
    int at = -1;
    auto* column = qobject_cast<QBoxLayout*>(frame);
    for (int i = 0; column && i < column->count(); ++i) {
        if (column->itemAt(i)->layout() == buttons)
            at = i;
    }
    if (column && at >= 0) {
        column->insertWidget(at, prgUpload);
        column->insertWidget(at, lblUploadFile);
    } else if (column) {
        column->addWidget(lblUploadFile);
        column->addWidget(prgUpload);
        if (!buttons)
            column->addWidget(cmdUPCancel);
    }
    setUploadIdle();

    onClick(cmdUP, &frmMain::cmdUP_Click);
    onClick(cmdUPCancel, &frmMain::cmdUPCancel_Click);
}

bool frmMain::isUploading() const {
    return uploadRun_ && uploadRun_->running();
}

void frmMain::cmdUP_Click() {
    // The button is disabled meanwhile; a direct call must not start a second run beside the first.
    if (isUploading())
        return;
    const QString folder = txtDiaryDir->text();
    if (services_.messages->ask(messageText(Msg::UploadConfirm, {folder, txtRoot->text()}), Buttons::YesNo) !=
        Answer::Yes)
        return;
    if (!services_.ftp)
        throw std::logic_error("no FTP connection for the upload");

    upload::UploadRequest request;
    request.home = programFolder_;
    request.folder = folder;
    request.connection = connectionOnScreen();
    // In list order, whatever order the user picked them in.
    for (int row = 0; row < List1->count(); ++row) {
        if (List1->item(row)->isSelected())
            request.selected << List1->item(row)->text();
    }
    std::unique_ptr<upload::FtpSession> session = services_.ftp->makeSession();

    cmdUP->setEnabled(false);
    cmdLoad->setEnabled(false);
    uploadRun_->setBusy(true);
    prgUpload->setRange(0, kBarSteps);
    prgUpload->setValue(0);
    prgUpload->setFormat(QString());
    lblUploadFile->setText(u"接続しています…"_s);
    cmdUPCancel->setEnabled(true);
    prgUpload->show();
    lblUploadFile->show();
    cmdUPCancel->show();

    auto* job = new upload::UploadJob(std::move(session), std::move(request), uploadRun_);
    uploadRun_->job = job;
    connect(job, &upload::UploadJob::progressChanged, this, &frmMain::showUploadProgress);
    connect(job, &upload::UploadJob::finished, this, &frmMain::uploadFinished);
    job->start();
}

void frmMain::cmdUPCancel_Click() {
    if (!isUploading())
        return;
    uploadRun_->job->cancel();
    cmdUPCancel->setEnabled(false);
    lblUploadFile->setText(u"中止しています…"_s);
}

void frmMain::showUploadProgress(const upload::UploadProgress& p) {
    if (p.bytesTotal > 0) {
        prgUpload->setRange(0, kBarSteps);
        prgUpload->setValue(int(p.bytesSent * kBarSteps / p.bytesTotal));
    } else {
        // Only empty files (or none): the files are all there is to count.
        prgUpload->setRange(0, qMax(p.filesTotal, 1));
        prgUpload->setValue(p.filesDone);
    }
    prgUpload->setFormat(u"%1 / %2 ファイル　%3 / %4"_s.arg(p.filesDone)
                             .arg(p.filesTotal)
                             .arg(dataSize(p.bytesSent), dataSize(p.bytesTotal)));
    // Between two files the name of the last one stays, so the label does not flicker.
    if (!p.currentFile.isEmpty() && cmdUPCancel->isEnabled())
        lblUploadFile->setText(u"送信中：%1"_s.arg(p.currentFile));
}

void frmMain::uploadFinished(const upload::UploadResult& finished) {
    const upload::UploadResult result = finished; // the job's own copy goes with the job
    if (upload::UploadJob* job = std::exchange(uploadRun_->job, nullptr))
        job->deleteLater();
    uploadRun_->setBusy(false);
    setUploadIdle();
    // The clean-up only ever touches the files inside image, which the list does not show: the list
    // stays as it is, with its selection.
    guarded([&] {
        tell(result.outcome);
        if (!result.cleanUp.ok())
            tell(result.cleanUp);
    });
    cmdUP->setEnabled(true);
    cmdLoad->setEnabled(true);
}

bool frmMain::closeDuringUpload() {
    Answer answer = Answer::Yes; // a question that cannot be asked must not keep the window from closing
    guarded([&] { answer = services_.messages->ask(messageText(Msg::UploadRunningOnClose), Buttons::YesNo); });
    if (answer != Answer::Yes)
        return false;
    uploadRun_->stop();
    uploadRun_->setBusy(false);
    setUploadIdle();
    cmdUP->setEnabled(true);
    cmdLoad->setEnabled(true);
    return true;
}

void frmMain::setUploadIdle() {
    prgUpload->hide();
    lblUploadFile->hide();
    lblUploadFile->clear();
    cmdUPCancel->hide();
}

} // namespace tsuzuri
