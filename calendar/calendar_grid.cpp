#include "calendar/calendar_grid.h"

#include "calendar/month.h"

namespace tsuzuri {

CalendarGrid drawCalendar(const CalendarInput& in) {
    CalendarGrid grid;
    for (int k = 1; k <= 42; ++k) {
        const int column = cellColumn(k);
        grid.cells[k].colour = column == 0 ? CellColour::Red : column == 6 ? CellColour::Blue : CellColour::ButtonText;
    }
    const int days = in.year >= 1 && in.year <= 9999 ? daysInMonth(in.year, in.month) : 0;
    if (days == 0)
        return grid;

    const MonthHolidays holidays = monthHolidays(in.rules, in.year, in.month);
    const int first = weekdayOf(in.year, in.month, 1);
    grid.firstDayCell = first;
    // Only the month numbers decide whether day 1 is preselected: the same month of another year
    // shows neither a white cell nor today.
    const bool todaysMonth = in.today.isValid() && in.today.month() == in.month;
    const QString monthText = QString::asprintf("%02d", in.month);

    for (int d = 1; d <= days; ++d) {
        const int cell = first + d - 1;
        DayCellLook& look = grid.cells[cell];
        look.caption = QString::number(d);
        if (holidays.grid[d])
            look.colour = CellColour::Red; // a Saturday holiday turns red too
        if (!holidays.tooltip[d].isEmpty())
            grid.names[cell] = holidays.tooltip[d];
        if (in.today == QDate(in.year, in.month, d)) {
            look.flat = true;
            look.underline = true;
        } else if (!todaysMonth) {
            grid.cells[first].selected = true;
        }
        if (in.entries && in.entries->hasEntry(dateLine(in.yearText, monthText, QString::asprintf("%02d", d)))) {
            look.bold = true;
            look.underline = true;
        }
    }
    return grid;
}

} // namespace tsuzuri
