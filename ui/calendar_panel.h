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
    // Cell k (1..42): six rows of seven, Sunday first.
    DayCell* dayCell(int k) const { return cells_.at(size_t(k)); }

private:
    void showMonth();
    void showSiteTitle();

    std::unique_ptr<Ui::CalendarPanel> ui_;
    std::array<DayCell*, 43> cells_{};
    DiarySession* session_ = nullptr;
};

} // namespace tsuzuri
