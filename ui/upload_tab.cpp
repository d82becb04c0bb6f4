#include "ui/upload_tab.h"

#include "diary/diary_session.h"
#include "diary/folder_commands.h"
#include "diary/upload_controller.h"
#include "ui/check_value.h"
#include "ui/plain_text.h"
#include "ui_upload_tab.h"

#include <QApplication>
#include <QLocale>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

QString dataSize(qint64 bytes) {
    return QLocale().formattedDataSize(bytes, 1, QLocale::DataSizeTraditionalFormat);
}

// Steps of the bar when it counts bytes: a QProgressBar holds an int, a diary folder may not fit in one.
constexpr int kBarSteps = 1000;

} // namespace

UploadTab::UploadTab(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::UploadTab>()) {
    ui_->setupUi(this);
    showRunning(false);
}

UploadTab::~UploadTab() {
    if (busy_)
        QApplication::restoreOverrideCursor();
}

void UploadTab::bind(DiarySession& session) {
    session_ = &session;
    for (QLineEdit* box : {ui_->hostEdit, ui_->userEdit, ui_->passwordEdit, ui_->remoteDirEdit, ui_->portEdit})
        connect(box, &QLineEdit::textEdited, this, &UploadTab::takeConnection);
    connect(ui_->protocolBox, &QComboBox::activated, this, &UploadTab::takeConnection);
    connect(ui_->onlyChangedCheck, &QCheckBox::clicked, &session, &DiarySession::setOnlyChanged);
    connect(ui_->deleteAfterUploadCheck, &QCheckBox::clicked, this, &UploadTab::takeConnection);
    connect(ui_->saveConnectionButton, &QPushButton::clicked, &session,
            [&session] { session.folders().saveConnection(); });
    connect(ui_->reloadButton, &QPushButton::clicked, &session, [&session] { session.folders().reload(); });
    connect(ui_->uploadButton, &QPushButton::clicked, this, &UploadTab::startUpload);

    UploadController& uploads = session.uploads();
    connect(ui_->cancelUploadButton, &QPushButton::clicked, &uploads, &UploadController::cancel);
    connect(&uploads, &UploadController::started, this, [this] { showRunning(true); });
    connect(&uploads, &UploadController::finished, this, [this] { showRunning(false); });
    connect(&uploads, &UploadController::progressChanged, this, &UploadTab::showProgress);
    connect(&uploads, &UploadController::cancelling, this, [this] {
        ui_->cancelUploadButton->setEnabled(false);
        ui_->currentFileLabel->setText(u"中止しています…"_s);
    });
    connect(&session, &DiarySession::folderChanged, this, &UploadTab::showList);
    connect(&session, &DiarySession::settingsChanged, this, &UploadTab::showConnection);
    showList();
    showConnection();
}

void UploadTab::showList() {
    QStringList shown;
    for (int row = 0; row < ui_->uploadList->count(); ++row)
        shown << ui_->uploadList->item(row)->text();
    // A list shown again as it was keeps its selection.
    if (shown == session_->uploadList())
        return;
    ui_->uploadList->clear();
    ui_->uploadList->addItems(session_->uploadList());
}

void UploadTab::showConnection() {
    const ConnectionSettings& c = session_->connection();
    setTextIfOther(ui_->hostEdit, c.host);
    setTextIfOther(ui_->userEdit, c.user);
    setTextIfOther(ui_->passwordEdit, c.password);
    setTextIfOther(ui_->remoteDirEdit, c.remoteDir);
    setCheckValue(ui_->deleteAfterUploadCheck, c.deleteAfterUpload);
    setTextIfOther(ui_->portEdit, c.port);
    ui_->protocolBox->setCurrentIndex(int(c.protocol));
    ui_->onlyChangedCheck->setChecked(session_->onlyChanged());
}

void UploadTab::takeConnection() {
    session_->setConnection({ui_->hostEdit->text(), ui_->userEdit->text(), ui_->passwordEdit->text(),
                             ui_->remoteDirEdit->text(), checkValue(ui_->deleteAfterUploadCheck),
                             Protocol(ui_->protocolBox->currentIndex()), ui_->portEdit->text()});
}

void UploadTab::startUpload() {
    // In list order, whatever order the user picked them in.
    QStringList selected;
    for (int row = 0; row < ui_->uploadList->count(); ++row) {
        if (ui_->uploadList->item(row)->isSelected())
            selected << ui_->uploadList->item(row)->text();
    }
    session_->uploads().start(selected);
}

void UploadTab::showRunning(bool running) {
    ui_->uploadButton->setEnabled(!running);
    ui_->reloadButton->setEnabled(!running);
    ui_->cancelUploadButton->setEnabled(running);
    ui_->cancelUploadButton->setVisible(running);
    ui_->uploadProgress->setVisible(running);
    ui_->currentFileLabel->setVisible(running);
    if (running) {
        ui_->uploadProgress->setRange(0, kBarSteps);
        ui_->uploadProgress->setValue(0);
        ui_->uploadProgress->setFormat(QString());
        ui_->currentFileLabel->setText(u"接続しています…"_s);
    } else {
        ui_->currentFileLabel->clear();
    }
    if (running != busy_) {
        busy_ = running;
        if (running)
            QApplication::setOverrideCursor(Qt::WaitCursor);
        else
            QApplication::restoreOverrideCursor();
    }
}

void UploadTab::showProgress(const upload::UploadProgress& p) {
    QProgressBar* bar = ui_->uploadProgress;
    if (p.bytesTotal > 0) {
        bar->setRange(0, kBarSteps);
        bar->setValue(int(p.bytesSent * kBarSteps / p.bytesTotal));
    } else {
        // Only empty files (or none): the files are all there is to count.
        bar->setRange(0, qMax(p.filesTotal, 1));
        bar->setValue(p.filesDone);
    }
    bar->setFormat(u"%1 / %2 ファイル　%3 / %4"_s.arg(p.filesDone)
                       .arg(p.filesTotal)
                       .arg(dataSize(p.bytesSent), dataSize(p.bytesTotal)));
    // Between two files the name of the last one stays, so the label does not flicker.
    if (!p.currentFile.isEmpty() && ui_->cancelUploadButton->isEnabled())
        ui_->currentFileLabel->setText(u"送信中：%1"_s.arg(p.currentFile));
}

} // namespace tsuzuri
