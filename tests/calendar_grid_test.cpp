#include "calendar/calendar_grid.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

const QDate kToday(2005, 11, 5); // a Saturday

CalendarGrid draw(int year, int month, const EntryTable* entries = nullptr, QDate today = kToday) {
    return drawCalendar({year, month, QString::number(year), today, entries, HolidayRules::Classic});
}

// The captions of cells 1..42 as one text, "-" for an empty cell, so a wrong offset shows at a glance.
QString captions(const CalendarGrid& g) {
    QStringList out;
    for (int k = 1; k <= 42; ++k)
        out << (g.cells[k].caption.isEmpty() ? u"-"_s : g.cells[k].caption);
    return out.join(u' ');
}

int selectedCount(const CalendarGrid& g) {
    int n = 0;
    for (int k = 1; k <= 42; ++k)
        n += g.cells[k].selected ? 1 : 0;
    return n;
}

} // namespace

TEST(CalendarGridLayout, October2005StartsOnSaturdayInCell7AndEndsInCell37) {
    const CalendarGrid g = draw(2005, 10);
    EXPECT_EQ(g.firstDayCell, 7);
    for (int k = 1; k <= 42; ++k) {
        const QString expected = k >= 7 && k <= 37 ? QString::number(k - 6) : QString();
        EXPECT_EQ(g.cells[k].caption, expected) << "cell " << k;
    }
}

TEST(CalendarGridLayout, February2009FillsExactlyFourRows) {
    const CalendarGrid g = draw(2009, 2);
    EXPECT_EQ(g.firstDayCell, 1);
    EXPECT_EQ(g.cells[28].caption, u"28"_s);
    EXPECT_TRUE(g.cells[29].caption.isEmpty());
    EXPECT_EQ(captions(draw(2004, 2)).count(u'-'), 42 - 29); // leap February
    EXPECT_EQ(captions(draw(1900, 2)).count(u'-'), 42 - 28);
}

TEST(CalendarGridLayout, MonthThatNamesNoMonthLeavesTheResetGrid) {
    const CalendarGrid g = draw(2005, 13);
    EXPECT_EQ(g.firstDayCell, 0);
    EXPECT_EQ(captions(g).count(u'-'), 42);
    EXPECT_EQ(g.cells[1].colour, CellColour::Red);
    EXPECT_EQ(g.cells[42].colour, CellColour::Blue);
}

TEST(CalendarGridColours, WeekendColumnsAndHolidaysIncludingASaturdayHoliday) {
    const CalendarGrid nov2005 = draw(2005, 11);         // 1 November is a Tuesday: day d in cell d + 2
    EXPECT_EQ(nov2005.cells[1].colour, CellColour::Red); // empty Sunday cell keeps the column colour
    EXPECT_EQ(nov2005.cells[2].colour, CellColour::ButtonText);
    EXPECT_EQ(nov2005.cells[5].colour, CellColour::Red); // 3 November, 文化の日, a Thursday
    EXPECT_EQ(nov2005.names[5], u"文化の日"_s);
    EXPECT_EQ(nov2005.cells[4].colour, CellColour::ButtonText);
    EXPECT_TRUE(nov2005.names[4].isEmpty());
    EXPECT_EQ(nov2005.cells[14].colour, CellColour::Blue); // Saturday 12th

    const CalendarGrid nov2007 = draw(2007, 11); // 3 November 2007 is a Saturday, in cell 7
    EXPECT_EQ(nov2007.cells[7].caption, u"3"_s);
    EXPECT_EQ(nov2007.cells[7].colour, CellColour::Red);
    EXPECT_EQ(nov2007.cells[8].colour, CellColour::Red); // Sunday 4th, no substitute after Saturday
    EXPECT_EQ(nov2007.cells[9].colour, CellColour::ButtonText);
    EXPECT_TRUE(nov2007.names[9].isEmpty());
}

TEST(CalendarGridTooltips, NewYearOnSundayMarksTheMondayAsSubstituteHoliday) {
    const CalendarGrid g = draw(2006, 1); // 1 January 2006 is a Sunday, in cell 1
    EXPECT_EQ(g.names[1], u"元旦"_s);
    EXPECT_EQ(g.names[2], u"振替休日"_s);
    EXPECT_EQ(g.cells[2].colour, CellColour::Red);
    EXPECT_EQ(g.names[9], u"成人の日"_s); // second Monday
    EXPECT_TRUE(g.names[3].isEmpty());
}

TEST(CalendarGridTooltips, OwnHolidayNameReplacesTheSubstituteMark) {
    const CalendarGrid g = draw(2009, 5); // 1 May 2009 is a Friday: 3 May, a Sunday, in cell 8
    EXPECT_EQ(g.names[8], u"憲法記念日"_s);
    EXPECT_EQ(g.names[9], u"国民の休日"_s);
    EXPECT_EQ(g.cells[9].colour, CellColour::Red);
    EXPECT_EQ(g.names[10], u"子供の日"_s);
    EXPECT_TRUE(g.names[11].isEmpty());
    EXPECT_EQ(g.cells[11].colour, CellColour::ButtonText);
}

TEST(CalendarGridToday, TodaysCellIsFlatUnderlinedAndKeepsItsColour) {
    const CalendarGrid g = draw(2005, 11);
    const DayCellLook& today = g.cells[7]; // Saturday 5th
    EXPECT_EQ(today.caption, u"5"_s);
    EXPECT_TRUE(today.flat);
    EXPECT_TRUE(today.underline);
    EXPECT_FALSE(today.bold);
    EXPECT_EQ(today.colour, CellColour::Blue);
    EXPECT_EQ(selectedCount(g), 0); // today's month: no day is preselected
    for (int k = 1; k <= 42; ++k) {
        if (k != 7) {
            EXPECT_FALSE(g.cells[k].flat || g.cells[k].underline) << "cell " << k;
        }
    }
}

TEST(CalendarGridToday, OtherMonthPreselectsDayOneAndShowsNoToday) {
    const CalendarGrid oct = draw(2005, 10);
    EXPECT_EQ(selectedCount(oct), 1);
    EXPECT_TRUE(oct.cells[7].selected);

    // The same month number in another year: neither white nor today, since only months are compared.
    const CalendarGrid nov2006 = draw(2006, 11);
    EXPECT_EQ(selectedCount(nov2006), 0);
    for (int k = 1; k <= 42; ++k)
        EXPECT_FALSE(nov2006.cells[k].flat) << "cell " << k;
}

TEST(CalendarGridToday, SundayHolidayTodayStaysRedAndFlat) {
    const CalendarGrid g = draw(2006, 1, nullptr, QDate(2006, 1, 1));
    EXPECT_TRUE(g.cells[1].flat);
    EXPECT_EQ(g.cells[1].colour, CellColour::Red);
    EXPECT_EQ(selectedCount(g), 0);
}

TEST(CalendarGridEntries, DaysWithContentAreBoldAndBlankRowsAreNot) {
    EntryTable t;
    ASSERT_TRUE(t.store({u"t"_s, {}, u"2005年11月04日"_s, {}}).ok());
    ASSERT_TRUE(t.store({{}, {}, u"2005年11月10日"_s, {}}).ok());          // clicked but never typed into
    ASSERT_TRUE(t.store({{}, {}, u"2005年11月05日"_s, u"a.jpg;"_s}).ok()); // media only counts
    ASSERT_TRUE(t.store({u"x"_s, {}, u"2005年10月04日"_s, {}}).ok());      // another month
    const CalendarGrid g = draw(2005, 11, &t);
    EXPECT_TRUE(g.cells[6].bold && g.cells[6].underline);
    EXPECT_FALSE(g.cells[12].bold);
    EXPECT_TRUE(g.cells[7].bold && g.cells[7].flat); // today with an entry
    int bold = 0;
    for (int k = 1; k <= 42; ++k)
        bold += g.cells[k].bold ? 1 : 0;
    EXPECT_EQ(bold, 2);

    // The entry test builds its date lines from the year box as typed.
    const CalendarGrid padded = drawCalendar({2005, 11, u" 2005"_s, kToday, &t, HolidayRules::Classic});
    EXPECT_FALSE(padded.cells[6].bold);
}
