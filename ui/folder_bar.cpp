#include "ui/folder_bar.h"

#include "diary/diary_session.h"
#include "diary/folder_commands.h"
#include "ui/focus_hooks.h"
#include "ui/plain_text.h"
#include "ui_folder_bar.h"

namespace tsuzuri {

FolderBar::FolderBar(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::FolderBar>()) {
    ui_->setupUi(this);
    ui_->folderCaptionLabel->installEventFilter(this);
}

// A caption wider than its room ends in "…" rather than being cut mid-character; the whole of it shows
// as the tooltip.
bool FolderBar::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->folderCaptionLabel && event->type() == QEvent::Resize)
        elideCaption();
    return QWidget::eventFilter(watched, event);
}

void FolderBar::elideCaption() {
    QLabel* label = ui_->folderCaptionLabel;
    label->setText(label->fontMetrics().elidedText(caption_, Qt::ElideRight, label->width()));
    label->setToolTip(label->text() == caption_ ? QString() : caption_);
}

FolderBar::~FolderBar() = default;

QWidget* FolderBar::generateButton() const {
    return ui_->generateButton;
}

QList<QWidget*> FolderBar::focusChain() const {
    return {ui_->folderEdit, ui_->switchFolderButton, ui_->browseFolderButton, ui_->generateButton};
}

void FolderBar::bind(DiarySession& session) {
    session_ = &session;
    connect(ui_->folderEdit, &QLineEdit::textEdited, &session, &DiarySession::setFolderText);
    onFocusLeaving(ui_->folderEdit, [&session] { session.folders().leaveFolderText(); });
    connect(ui_->switchFolderButton, &QPushButton::clicked, &session, [&session] { session.folders().switchFolder(); });
    connect(ui_->browseFolderButton, &QPushButton::clicked, &session, [&session] { session.folders().browseFolder(); });
    connect(ui_->generateButton, &QPushButton::clicked, &session, [&session] { session.generate(); });
    connect(&session, &DiarySession::folderChanged, this, &FolderBar::showFolder);
    showFolder();
}

void FolderBar::showFolder() {
    setTextIfOther(ui_->folderEdit, session_->folderText());
    caption_ = session_->folderCaption();
    ui_->folderCaptionLabel->setAccessibleDescription(caption_);
    elideCaption();
}

} // namespace tsuzuri
