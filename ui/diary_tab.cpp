#include "ui/diary_tab.h"

#include "diary/diary_session.h"
#include "diary/media_commands.h"
#include "ui/focus_hooks.h"
#include "ui/plain_text.h"
#include "ui_diary_tab.h"

#include <QDropEvent>
#include <QMimeData>
#include <QTextCursor>
#include <QTimer>
#include <QUrl>

namespace tsuzuri {

namespace {

// A file manager's drag: a URL list with at least one local file. Anything else (typed text dragged from
// another box) is left to the line edit.
bool isFileDrag(const QMimeData* mime) {
    if (!mime || !mime->hasUrls())
        return false;
    const QList<QUrl> urls = mime->urls();
    return std::any_of(urls.cbegin(), urls.cend(), [](const QUrl& url) { return url.isLocalFile(); });
}

} // namespace

DiaryTab::DiaryTab(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::DiaryTab>()) {
    ui_->setupUi(this);
    ui_->form->setColumnStretch(2, 1);
    ui_->form->setRowStretch(3, 1);
    // The line above a month shown read-only stands out from the form.
    QPalette notice = ui_->blockedNotice->palette();
    notice.setColor(QPalette::Window, QColor(0xFF, 0xF4, 0xCE));
    notice.setColor(QPalette::WindowText, QColor(0x5C, 0x3C, 0x00));
    ui_->blockedNotice->setPalette(notice);
    ui_->blockedNotice->setAutoFillBackground(true);
    ui_->mediaEdit->installEventFilter(this);
}

DiaryTab::~DiaryTab() = default;

void DiaryTab::bind(DiarySession& session) {
    session_ = &session;
    connect(ui_->titleEdit, &QLineEdit::textEdited, &session, &DiarySession::setTitle);
    connect(ui_->mediaEdit, &QLineEdit::textEdited, &session, &DiarySession::setMedia);
    connect(ui_->bodyEdit, &QPlainTextEdit::textChanged, this, [this] {
        if (!showing_)
            session_->setBody(boxText(ui_->bodyEdit));
    });
    for (QWidget* box : {static_cast<QWidget*>(ui_->titleEdit), static_cast<QWidget*>(ui_->bodyEdit),
                         static_cast<QWidget*>(ui_->mediaEdit)})
        onFocusEntering(box, [&session] { session.editorMayTakeFocus(); });
    onFocusLeaving(ui_->mediaEdit, [&session] { session.media().leaveBox(); });
    connect(ui_->clearBodyButton, &QPushButton::clicked, this, &DiaryTab::clearBody);
    connect(ui_->browseMediaButton, &QPushButton::clicked, &session, [&session] { session.media().browse(); });
    connect(&session, &DiarySession::editorChanged, this, &DiaryTab::showEditor);
    showEditor();
}

void DiaryTab::focusTitle() {
    ui_->titleEdit->setFocus();
}

void DiaryTab::focusMedia() {
    ui_->mediaEdit->setFocus();
}

// Cleared through the box's own undo, so Ctrl+Z brings the text back.
void DiaryTab::clearBody() {
    if (!session_->confirmClearBody())
        return;
    QTextCursor all(ui_->bodyEdit->document());
    all.select(QTextCursor::Document);
    all.removeSelectedText();
}

void DiaryTab::showEditor() {
    const DiaryEntry& e = session_->editor();
    const bool readOnly = session_->isReadOnly();
    ui_->blockedNotice->setVisible(readOnly);
    ui_->blockedNotice->setText(readOnly ? session_->blockedPage()->notice : QString());
    for (QWidget* w : {static_cast<QWidget*>(ui_->clearBodyButton), static_cast<QWidget*>(ui_->browseMediaButton)})
        w->setEnabled(!readOnly);
    ui_->titleEdit->setReadOnly(readOnly);
    ui_->bodyEdit->setReadOnly(readOnly);
    ui_->mediaEdit->setReadOnly(readOnly);
    ui_->mediaEdit->setAcceptDrops(!readOnly);
    showing_ = true;
    ui_->dateLabel->setText(e.date);
    setTextIfOther(ui_->titleEdit, e.title);
    if (boxText(ui_->bodyEdit) != e.body)
        setBoxText(ui_->bodyEdit, e.body);
    setTextIfOther(ui_->mediaEdit, e.media);
    showing_ = false;
}

bool DiaryTab::eventFilter(QObject* watched, QEvent* event) {
    if (watched != ui_->mediaEdit || !session_)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::DragEnter:
    case QEvent::DragMove: {
        auto* drag = static_cast<QDragMoveEvent*>(event);
        if (!isFileDrag(drag->mimeData()))
            return false;
        drag->setDropAction(Qt::CopyAction);
        drag->accept();
        return true;
    }
    case QEvent::Drop: {
        auto* drop = static_cast<QDropEvent*>(event);
        if (!isFileDrag(drop->mimeData()))
            return false;
        QStringList paths;
        for (const QUrl& url : drop->mimeData()->urls())
            paths << (url.isLocalFile() ? url.toLocalFile() : url.toString());
        drop->setDropAction(Qt::CopyAction);
        drop->accept();
        // The copies and questions run after the drop has returned, so the file manager that started the
        // drag is not held up by them.
        QTimer::singleShot(0, session_, [session = session_, paths] { session->media().drop(paths); });
        return true;
    }
    default:
        return false;
    }
}

} // namespace tsuzuri
