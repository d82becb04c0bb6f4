#pragma once

#include <QString>

#include <array>

namespace tsuzuri {

// Which holiday rules a diary folder uses: the classic fixed table, or the holidays as the law has them.
enum class HolidayRules { Classic = 0, Law = 1 };

// The on-screen side of the classic rules: the holiday name table (one text per day cell, 0..42) and
// the cells turned red.
struct HolidayCells {
    std::array<QString, 43> names{};
    std::array<bool, 43> red{};
};

// The classic rule table: the name of the first of the fifteen rules that matches, or an empty text.
QString classicHolidayName(int year, int month, int day, int mondayOrdinal, int weekday);

// Classic rules for the calendar grid: colours the day's cell (or, for a Sunday holiday, the next cell as
// "振替休日") and records the name.
void markClassicHolidayCell(int year, int month, int day, int cell, int mondayOrdinal, int weekday,
                            HolidayCells& cells);

// Classic rules for the page writer: sets (never clears) the holiday flag, and the substitute flag for a
// Sunday holiday.
void flagClassicHoliday(int year, int month, int day, int mondayOrdinal, int weekday, int& holidayFlag,
                        int& substituteFlag);

// One month's holidays under either rule set, indexed by day 1..31:
//  - tooltip: the day cell's tooltip (holiday name, "振替休日", …, or empty);
//  - grid: whether the on-screen cell is red for a holiday;
//  - page: whether the month page marks the day as a holiday.
struct MonthHolidays {
    std::array<QString, 32> tooltip{};
    std::array<bool, 32> grid{};
    std::array<bool, 32> page{};
};
MonthHolidays monthHolidays(HolidayRules rules, int year, int month);

} // namespace tsuzuri
