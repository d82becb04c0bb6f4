#include "calendar/holidays.h"

#include "calendar/law_holidays.h"
#include "calendar/month.h"

#include <cmath>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

// Equinox days by the fixed approximation. The constants are the exact doubles the rules were made
// with; keep the arithmetic in double precision and in this order.
int vernalEquinox(int year) {
    const double y = year - 1900;
    return static_cast<int>(std::floor(21.4471 + 0.242377 * y - std::floor(y / 4.0)));
}

int autumnalEquinox(int year) {
    const double y = year - 1900;
    return static_cast<int>(std::floor(23.8896 + 0.242032 * y - std::floor(y / 4.0)));
}

// The month-day key: "11" is both January 1 and November 1... and "113" is January 13 and November 3,
// which is why every key rule also tests the month.
QString monthDayKey(int month, int day) {
    return QString::number(month) + QString::number(day);
}

} // namespace

QString classicHolidayName(int year, int month, int day, int mondayOrdinal, int weekday) {
    const QString key = monthDayKey(month, day);
    const bool monday = weekday == 2;
    const int es = month == 3 ? vernalEquinox(year) : 0;
    const int ea = month == 9 ? autumnalEquinox(year) : 0;

    // First match wins, in this order: 2144's autumnal equinox is a third Monday and stays 敬老の日.
    if (key == u"11" && month == 1)
        return u"元旦"_s;
    if (monday && mondayOrdinal == 2 && month == 1)
        return u"成人の日"_s;
    if (key == u"211" && month == 2)
        return u"建国記念の日"_s;
    if (month == 3 && day == es)
        return u"春分の日"_s;
    if (key == u"429" && month == 4)
        return u"みどりの日"_s;
    if (key == u"53" && month == 5)
        return u"憲法記念日"_s;
    if (key == u"54" && month == 5)
        return u"国民の休日"_s;
    if (key == u"55" && month == 5)
        return u"子供の日"_s;
    if (monday && mondayOrdinal == 3 && month == 7)
        return u"海の日"_s;
    if (monday && mondayOrdinal == 3 && month == 9)
        return u"敬老の日"_s;
    if (month == 9 && day == ea)
        return u"秋分の日"_s;
    if (monday && mondayOrdinal == 2 && month == 10)
        return u"体育の日"_s;
    if (key == u"113" && month == 11)
        return u"文化の日"_s;
    if (key == u"1123" && month == 11)
        return u"勤労感謝の日"_s;
    if (key == u"1223" && month == 12)
        return u"天皇誕生日"_s;
    return {};
}

void markClassicHolidayCell(int year, int month, int day, int cell, int mondayOrdinal, int weekday,
                            HolidayCells& cells) {
    const QString name = classicHolidayName(year, month, day, mondayOrdinal, weekday);
    if (name.isEmpty())
        return;
    if (weekday != 1) {
        cells.red[cell] = true;
        cells.names[cell] = name;
        return;
    }
    // A Sunday holiday: the Sunday keeps its own name and is red anyway; the next cell becomes the
    // substitute holiday (and takes its own name if a rule matches it later).
    if (cell + 1 < static_cast<int>(cells.names.size())) {
        cells.red[cell + 1] = true;
        cells.names[cell + 1] = u"振替休日"_s;
    }
    cells.names[cell] = name;
}

void flagClassicHoliday(int year, int month, int day, int mondayOrdinal, int weekday, int& holidayFlag,
                        int& substituteFlag) {
    if (classicHolidayName(year, month, day, mondayOrdinal, weekday).isEmpty())
        return;
    holidayFlag = 1;
    if (weekday == 1)
        substituteFlag = 1;
}

MonthHolidays monthHolidays(HolidayRules rules, int year, int month) {
    MonthHolidays out;
    const int days = daysInMonth(year, month);
    if (days == 0)
        return out;
    if (rules == HolidayRules::Law) {
        const std::array<QString, 32> names = lawHolidayNames(year, month);
        for (int d = 1; d <= days; ++d) {
            out.tooltip[d] = names[d];
            out.grid[d] = out.page[d] = !names[d].isEmpty();
        }
        return out;
    }

    // The grid: markClassicHolidayCell over consecutive cells, day d in cell d (the offset does not matter here).
    HolidayCells cells;
    int monday = 0;
    for (int d = 1; d <= days; ++d) {
        const int w = weekdayOf(year, month, d);
        if (w == 2)
            ++monday;
        markClassicHolidayCell(year, month, d, d, monday, w, cells);
    }
    for (int d = 1; d <= days; ++d) {
        out.tooltip[d] = cells.names[d];
        out.grid[d] = cells.red[d];
    }

    // The page: the writer's flags, where a substitute day is not asked again.
    int substitute = 0;
    monday = 0;
    for (int d = 1; d <= days; ++d) {
        const int w = weekdayOf(year, month, d);
        int holiday = 0;
        if (substitute == 1) {
            substitute = 0;
            holiday = 1;
            ++monday;
        } else {
            if (w == 2)
                ++monday;
            flagClassicHoliday(year, month, d, monday, w, holiday, substitute);
        }
        out.page[d] = holiday == 1;
    }
    return out;
}

} // namespace tsuzuri
