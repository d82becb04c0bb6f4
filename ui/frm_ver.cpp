#include "ui/frm_ver.h"

#include "diary/messages.h"
#include "launch/launch_commands.h"
#include "store/outcome.h"
#include "ui/services.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QMouseEvent>
#include <QPainter>
#include <QPixmap>
#include <QPushButton>
#include <QUrl>
#include <QVBoxLayout>

using namespace Qt::StringLiterals;

#ifndef TSUZURI_HOME_PAGE
#define TSUZURI_HOME_PAGE ""
#endif

namespace tsuzuri {

namespace {

// How far beyond the link's left and top edges the hand still shows: about one pixel's worth of
// slack on the old forms, a little more here so the pointer does not flicker at the edge.
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

QString frmVer::homePage(const QString& programFolder) {
    const QString configured = QStringLiteral(TSUZURI_HOME_PAGE);
    if (!configured.isEmpty())
        return configured;
    return QUrl::fromLocalFile(programFolder + u"/README.md"_s).toString(QUrl::FullyEncoded);
}

frmVer::frmVer(Launcher& launcher, MessageBoxes& messages, QString homePage, QWidget* parent)
    : QDialog(parent), launcher_(launcher), messages_(messages), homePage_(std::move(homePage)) {
    setObjectName(u"frmVer"_s);
    setWindowTitle(u"バージョン情報"_s);
    setModal(true);
    const QPixmap picture = programPicture();
    setWindowIcon(picture);

    Picture1 = new QLabel(this);
    Picture1->setObjectName(u"Picture1"_s);
    Picture1->setPixmap(picture);
    Picture1->setFixedSize(32, 32);

    Label1[0] = new QLabel(u"Tsuzuri"_s, this);
    Label1[1] = new QLabel(u"Version 1.3"_s, this);
    for (int i = 0; i < 2; ++i)
        Label1[i]->setObjectName(u"Label1_"_s + QString::number(i));
    QFont nameFont = Label1[0]->font();
    nameFont.setBold(true);
    nameFont.setPointSizeF(nameFont.pointSizeF() * 1.3);
    Label1[0]->setFont(nameFont);

    lblLink1 = new QLabel(this);
    lblLink1->setObjectName(u"lblLink1"_s);
    lblLink1->setTextFormat(Qt::PlainText);
    lblLink1->setText(QUrl(homePage_).toDisplayString());
    QPalette linkPalette = lblLink1->palette();
    linkPalette.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0xFF));
    lblLink1->setPalette(linkPalette);
    lblLink1->setSizePolicy(QSizePolicy::Maximum, QSizePolicy::Fixed);
    lblLink1->installEventFilter(this);

    Frame1 = new QGroupBox(u"ご注意"_s, this);
    Frame1->setObjectName(u"Frame1"_s);
    auto* notice = new QLabel(u"本ソフトウェアはフリーソフトウェアです。著作権は作者が保有しています。\n"
                              u"本ソフトウェアを使用したことによって生じたいかなる損害についても、"
                              u"作者は一切の責任を負いません。\n"
                              u"不具合を見つけた場合は、上記のアドレスまでお知らせ下さい。"_s,
                              Frame1);
    notice->setWordWrap(true);
    notice->setMinimumWidth(380);
    auto* frameBox = new QVBoxLayout(Frame1);
    frameBox->addWidget(notice);

    Command1 = new QPushButton(u"OK"_s, this);
    Command1->setObjectName(u"Command1"_s);
    Command1->setDefault(true);
    connect(Command1, &QPushButton::clicked, this, &QDialog::accept);

    auto* head = new QHBoxLayout;
    head->addWidget(Picture1, 0, Qt::AlignTop);
    auto* names = new QVBoxLayout;
    names->addWidget(Label1[0]);
    names->addWidget(Label1[1]);
    names->addSpacing(6);
    names->addWidget(lblLink1, 0, Qt::AlignLeft);
    head->addSpacing(12);
    head->addLayout(names, 1);

    auto* v = new QVBoxLayout(this);
    v->addLayout(head);
    v->addSpacing(8);
    v->addWidget(Frame1);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(Command1);
    v->addLayout(buttons);
    v->setSizeConstraint(QLayout::SetFixedSize);

    // The pointer follows the position on the whole box, so every move must reach it: a child that
    // does not track the mouse swallows moves without a button, one that does passes them up here.
    setMouseTracking(true);
    for (QWidget* child : findChildren<QWidget*>())
        child->setMouseTracking(true);
}

QRect frmVer::linkHotArea() const {
    return lblLink1->geometry().adjusted(-kLinkSlack, -kLinkSlack, 0, 0);
}

void frmVer::updatePointer(QPoint formPos) {
    if (linkHotArea().contains(formPos))
        setCursor(Qt::PointingHandCursor);
    else
        unsetCursor();
}

void frmVer::mouseMoveEvent(QMouseEvent* event) {
    updatePointer(event->position().toPoint());
    QDialog::mouseMoveEvent(event);
}

bool frmVer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lblLink1) {
        if (event->type() == QEvent::MouseButtonRelease) {
            const auto* me = static_cast<QMouseEvent*>(event);
            if (me->button() == Qt::LeftButton && lblLink1->rect().contains(me->position().toPoint())) {
                lblLink1_Click();
                return true;
            }
        }
    }
    return QDialog::eventFilter(watched, event);
}

void frmVer::lblLink1_Click() {
    const Outcome started = launcher_.start(launch::browserCommand(launcher_.environment(), homePage_));
    if (!started.ok())
        messages_.tell(messageText(started));
}

} // namespace tsuzuri
