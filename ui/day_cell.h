#pragma once

#include "calendar/calendar_grid.h"

#include <QLabel>

namespace tsuzuri {

// One day cell of the calendar: a label that looks like a raised button face, flat for today, and
// reports clicks.
class DayCell final : public QLabel {
    Q_OBJECT
public:
    explicit DayCell(QWidget* parent = nullptr);

    // Caption, colours and font as the calendar drawing leaves them.
    void setLook(const DayCellLook& look);
    const DayCellLook& look() const { return look_; }

    // The selected-day highlight: white instead of the button face.
    void setSelected(bool selected);

    // The day the keyboard is on while the calendar has the focus: a dotted frame inside the cell.
    void setKeyboardCursor(bool on);

signals:
    void clicked();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void applyLook();

    DayCellLook look_;
    bool pressed_ = false;
    bool keyboardCursor_ = false;
};

} // namespace tsuzuri
