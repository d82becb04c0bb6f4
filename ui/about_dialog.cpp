#include "ui/about_dialog.h"

#include "diary/messages.h"
#include "diary/session_services.h"
#include "launch/launch_commands.h"
#include "ui_about_dialog.h"

#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QUrl>

using namespace Qt::StringLiterals;

#ifndef TSUZURI_HOME_PAGE
#define TSUZURI_HOME_PAGE ""
#endif

namespace tsuzuri {

namespace {

// How far beyond the link's left and top edges the hand still shows, so the pointer does not flicker at
// the edge.
constexpr int kLinkSlack = 2;

// The program's picture: a stab-bound notebook, indigo cover, title slip, thread along the spine.
QPixmap programPicture() {
    QPixmap pm(32, 32);
    pm.fill(Qt::transparent);
    QPainter p(&pm);
    p.setRenderHint(QPainter::Antialiasing);
    p.setPen(QPen(QColor(0x1B, 0x2A, 0x4A), 1));
    p.setBrush(QColor(0x2E, 0x4A, 0x7D));
    p.drawRoundedRect(QRectF(4.5, 2.5, 23, 27), 2, 2);
    // Title slip.
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(0xF4, 0xEF, 0xE1));
    p.drawRect(QRectF(8, 5, 6, 17));
    p.setBrush(QColor(0xC0, 0x39, 0x2B));
    p.drawRect(QRectF(10, 7, 2, 2));
    // Binding thread along the right edge, four holes.
    p.setPen(QPen(QColor(0xF4, 0xEF, 0xE1), 1.2));
    for (int i = 0; i < 4; ++i) {
        const qreal y = 6 + i * 6.5;
        p.drawLine(QPointF(22, y), QPointF(27.5, y));
    }
    p.drawLine(QPointF(22, 6), QPointF(22, 25.5));
    return pm;
}

} // namespace

QString AboutDialog::homePage(const QString& programFolder) {
    const QString configured = QStringLiteral(TSUZURI_HOME_PAGE);
    if (!configured.isEmpty())
        return configured;
    return QUrl::fromLocalFile(programFolder + u"/README.md"_s).toString(QUrl::FullyEncoded);
}

AboutDialog::AboutDialog(Launcher& launcher, MessageBoxes& messages, QString homePage, QWidget* parent)
    : QDialog(parent), ui_(std::make_unique<Ui::AboutDialog>()), launcher_(launcher), messages_(messages),
      homePage_(std::move(homePage)) {
    ui_->setupUi(this);
    const QPixmap picture = programPicture();
    setWindowIcon(picture);
    ui_->pictureLabel->setPixmap(picture);
    QFont nameFont = ui_->nameLabel->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.3);
    ui_->nameLabel->setFont(nameFont);

    ui_->linkLabel->setText(QUrl(homePage_).toDisplayString());
    QPalette linkPalette = ui_->linkLabel->palette();
    linkPalette.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0xFF));
    ui_->linkLabel->setPalette(linkPalette);
    ui_->linkLabel->installEventFilter(this);

    // The pointer follows the position on the whole box, so every move must reach it: a child that does not
    // track the mouse swallows moves without a button, one that does passes them up here.
    setMouseTracking(true);
    for (QWidget* child : findChildren<QWidget*>())
        child->setMouseTracking(true);
}

AboutDialog::~AboutDialog() = default;

QWidget* AboutDialog::link() const {
    return ui_->linkLabel;
}

QRect AboutDialog::linkHotArea() const {
    return ui_->linkLabel->geometry().adjusted(-kLinkSlack, -kLinkSlack, 0, 0);
}

void AboutDialog::mouseMoveEvent(QMouseEvent* event) {
    if (linkHotArea().contains(event->position().toPoint()))
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
    QDialog::mouseMoveEvent(event);
}

bool AboutDialog::eventFilter(QObject* watched, QEvent* event) {
    if (watched == ui_->linkLabel && event->type() == QEvent::MouseButtonRelease) {
        const auto* me = static_cast<QMouseEvent*>(event);
        if (me->button() == Qt::LeftButton && ui_->linkLabel->rect().contains(me->position().toPoint())) {
            openHomePage();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void AboutDialog::openHomePage() {
    const Outcome started = launcher_.start(launch::browserCommand(launcher_.environment(), homePage_));
    if (!started.ok())
        messages_.tell(messageText(started));
}

} // namespace tsuzuri
