#pragma once

#include <QWidget>

#include <array>
#include <memory>

namespace Ui {
class CalendarPanel;
}

namespace tsuzuri {

class DayCell;
class DiarySession;

// The month calendar with its day cells, the month boxes and the three month commands, and the site title.
class CalendarPanel final : public QWidget {
    Q_OBJECT
public:
    explicit CalendarPanel(QWidget* parent = nullptr);
    ~CalendarPanel() override;

    void bind(DiarySession& session);
    // Its controls in the order Tab visits them.
    QList<QWidget*> focusChain() const;
    // Cell k (1..42): six rows of seven, Sunday first.
    DayCell* dayCell(int k) const { return cells_.at(size_t(k)); }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void showMonth();
    bool handleKey(int key);
    void moveCursor(int cell);
    void showSiteTitle();

    std::unique_ptr<Ui::CalendarPanel> ui_;
    std::array<DayCell*, 43> cells_{};
    DiarySession* session_ = nullptr;
    int cursor_ = 0; // the cell the keyboard is on, 0 while the calendar does not have the focus
};

} // namespace tsuzuri
