#pragma once

#include "calendar/holidays.h"
#include "store/entry_table.h"

#include <QDate>
#include <QString>

#include <array>

namespace tsuzuri {

// Which colour a day cell's text takes. ButtonText is the system's button text colour, whatever the
// desktop's theme makes of it; red and blue are fixed.
enum class CellColour { ButtonText, Red, Blue };

// How the calendar drawing leaves one day cell.
struct DayCellLook {
    QString caption; // the day number, or empty outside the month
    CellColour colour = CellColour::ButtonText;
    bool selected = false;  // white background instead of the button face
    bool flat = false;      // today
    bool bold = false;      // a day with an entry
    bool underline = false; // today, or a day with an entry
    bool operator==(const DayCellLook&) const = default;
};

// The holiday name table: one tooltip per cell index 0..42 (index 0 is never used).
using HolidayNameTable = std::array<QString, 43>;

struct CalendarInput {
    int year = 0;     // the year box, read as a number
    int month = 0;    // the month box, read as a number
    QString yearText; // the year box as typed: the entry test builds its date lines from it
    QDate today;
    const EntryTable* entries = nullptr;
    HolidayRules rules = HolidayRules::Law;
};

struct CalendarGrid {
    std::array<DayCellLook, 43> cells{}; // 1..42, six rows of seven, Sunday first; index 0 unused
    HolidayNameTable names{};            // the names this drawing puts into the holiday name table
    int firstDayCell = 0;                // 0 when the year or month names no month
};

// The calendar drawing as data: the 42 cells of one month. A year or month that names no month gives the
// reset grid (all captions empty).
CalendarGrid drawCalendar(const CalendarInput& input);

// Cell k (1..42) lies in column (k - 1) mod 7; column 0 is Sunday.
constexpr int cellColumn(int cell) {
    return (cell - 1) % 7;
}

} // namespace tsuzuri
