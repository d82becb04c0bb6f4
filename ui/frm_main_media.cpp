#include "ui/frm_main.h"

#include "diary/messages.h"
#include "media/media_files.h"

#include <QDir>
#include <QDropEvent>
#include <QFileInfo>
#include <QFocusEvent>
#include <QLineEdit>
#include <QMimeData>
#include <QPushButton>
#include <QTimer>
#include <QUrl>

#include <functional>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

// Watches one widget for the window without taking over its eventFilter.
class EventHook final : public QObject {
public:
    using Handler = std::function<bool(QEvent*)>;
    EventHook(QObject* watched, Handler handler) : QObject(watched), handler_(std::move(handler)) {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override { return handler_(event); }

private:
    Handler handler_;
};

// A file manager's drag: a URL list with at least one local file. Anything else (typed text dragged
// from another box) is left to the line edit.
bool isFileDrag(const QMimeData* mime) {
    if (!mime || !mime->hasUrls())
        return false;
    for (const QUrl& url : mime->urls()) {
        if (url.isLocalFile())
            return true;
    }
    return false;
}

QStringList shownPaths(const QStringList& paths) {
    QStringList out;
    for (const QString& p : paths)
        out << QDir::toNativeSeparators(p);
    return out;
}

// Focus changes that leave the box for another control of the window; a message box or menu
// opening over it is no leaving.
bool leavesForAnotherControl(Qt::FocusReason reason) {
    switch (reason) {
    case Qt::MouseFocusReason:
    case Qt::TabFocusReason:
    case Qt::BacktabFocusReason:
    case Qt::ShortcutFocusReason:
    case Qt::OtherFocusReason:
        return true;
    default:
        return false;
    }
}

} // namespace

void frmMain::connectMedia() {
    mediaFolder_ = QDir::homePath();
    onClick(cmdDia, &frmMain::cmdDia_Click);
    new EventHook(Text8, [this](QEvent* event) {
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
            // The copies and questions run after the drop has returned, so the file manager that
            // started the drag is not held up by them.
            QTimer::singleShot(0, this, [this, paths] { guarded([this, paths] { Text8_OLEDragDrop(paths); }); });
            return true;
        }
        case QEvent::FocusOut:
            if (leavesForAnotherControl(static_cast<QFocusEvent*>(event)->reason()))
                guarded([this] { Text8_LostFocus(); });
            return false;
        default:
            return false;
        }
    });
}

void frmMain::cmdDia_Click() {
    const OpenFilesRequest request{
        u"画像/動画ファイルの選択"_s,
        mediaFolder_,
        {u"すべてのファイル (*.*)"_s, u"画像/動画 ファイル (*.jpg *.jpeg *.gif *.png *.bmp *.mp4)"_s},
        1,
    };
    const std::optional<QStringList> chosen = services_.files->openFiles(request);
    if (!chosen || chosen->isEmpty())
        return;
    mediaFolder_ = QFileInfo(chosen->first()).absolutePath();
    attachMedia(*chosen);
}

void frmMain::Text8_OLEDragDrop(const QStringList& paths) {
    attachMedia(paths);
    Text8->setFocus();
}

void frmMain::attachMedia(const QStringList& paths) {
    media::AttachRequest request;
    request.home = programFolder_;
    request.folder = txtDiaryDir->text();
    request.paths = paths;
    request.confirmReplace = [this](const QString& name) {
        return services_.messages->ask(messageText(Msg::ReplaceExisting, {name}), Buttons::YesNo) == Answer::Yes;
    };
    request.observer = services_.copyProgress;
    const media::AttachResult result = media::attachFiles(request);

    // Only names whose file now lies in image: a name without its file is a broken picture on the page.
    if (!result.appended.isEmpty())
        Text8->setText(media::appendNames(Text8->text(), result.appended));
    // Each kind of trouble is told once per batch, naming everything it left out.
    if (!result.rejected.isEmpty())
        tell(Outcome::failure(Msg::DropRejected, {shownPaths(result.rejected).join(u"\r\n"_s)}));
    if (!result.unusable.isEmpty())
        tell(Outcome::failure(Msg::MediaNameUnusable, {shownPaths(result.unusable).join(u"\r\n"_s)}));
    if (!result.failed.isEmpty())
        tell(Outcome::failure(Msg::CopyFailed, {result.failed.join(u"\r\n"_s)}));
}

void frmMain::Text8_LostFocus() {
    const QString names = Text8->text();
    if (!names.isEmpty() && !names.endsWith(u';')) {
        tell(messageText(Msg::MediaNamesUnterminated));
        Text8->setFocus();
        return;
    }
    if (txtImg[0]->text().isEmpty() || txtImg[1]->text().isEmpty())
        tell(messageText(Msg::ImageSizeNotSet));
}

} // namespace tsuzuri
