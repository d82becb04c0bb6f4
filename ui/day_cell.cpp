#include "ui/day_cell.h"

#include <QEvent>
#include <QMouseEvent>
#include <QPainter>

namespace tsuzuri {

DayCell::DayCell(QWidget* parent) : QLabel(parent) {
    setAlignment(Qt::AlignCenter);
    setAutoFillBackground(true);
    setLineWidth(1);
    applyLook();
}

void DayCell::setLook(const DayCellLook& look) {
    look_ = look;
    applyLook();
}

void DayCell::setSelected(bool selected) {
    if (look_.selected == selected)
        return;
    look_.selected = selected;
    applyLook();
}

void DayCell::setKeyboardCursor(bool on) {
    if (keyboardCursor_ == on)
        return;
    keyboardCursor_ = on;
    update();
}

void DayCell::paintEvent(QPaintEvent* event) {
    QLabel::paintEvent(event);
    if (!keyboardCursor_)
        return;
    QPainter p(this);
    p.setPen(QPen(palette().color(QPalette::WindowText), 1, Qt::DotLine));
    p.drawRect(rect().adjusted(3, 3, -4, -4));
}

void DayCell::applyLook() {
    setText(look_.caption);
    setFrameStyle(look_.flat ? QFrame::NoFrame : QFrame::Panel | QFrame::Raised);

    // The button face and button text follow the desktop's palette; red, blue and the highlight are fixed.
    QPalette pal = parentWidget() ? parentWidget()->palette() : palette();
    pal.setColor(QPalette::Window, look_.selected ? QColor(0xFF, 0xFF, 0xFF) : pal.color(QPalette::Button));
    switch (look_.colour) {
    case CellColour::ButtonText:
        pal.setColor(QPalette::WindowText, pal.color(QPalette::ButtonText));
        break;
    case CellColour::Red:
        pal.setColor(QPalette::WindowText, QColor(0xFF, 0x00, 0x00));
        break;
    case CellColour::Blue:
        pal.setColor(QPalette::WindowText, QColor(0x00, 0x00, 0xFF));
        break;
    }
    setPalette(pal);

    QFont f = font();
    f.setBold(look_.bold);
    f.setUnderline(look_.underline);
    f.setItalic(false);
    setFont(f);
}

void DayCell::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressed_ = true;
        event->accept();
        return;
    }
    QLabel::mousePressEvent(event);
}

void DayCell::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && pressed_) {
        pressed_ = false;
        event->accept();
        if (rect().contains(event->position().toPoint()))
            emit clicked();
        return;
    }
    QLabel::mouseReleaseEvent(event);
}

void DayCell::changeEvent(QEvent* event) {
    QLabel::changeEvent(event);
    // The button face comes from the parent's palette, so the look is set again once there is one.
    if (event->type() == QEvent::ParentChange)
        applyLook();
}

} // namespace tsuzuri
