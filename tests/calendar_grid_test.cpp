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

// The cells (1..42) for which a property holds.
QList<int> cellsWhere(const CalendarGrid& g, bool DayCellLook::*property) {
    QList<int> out;
    for (int k = 1; k <= 42; ++k) {
        if (g.cells[k].*property)
            out << k;
    }
    return out;
}

} // namespace

TEST(CalendarGridLayout, DaysFromTheFirstDaysCellAndTheResetGridForAMonthThatNamesNoMonth) {
    const struct {
        int year, month, firstCell, days;
    } cases[] = {{2005, 10, 7, 31}, {2009, 2, 1, 28}, {2004, 2, 1, 29}, {1900, 2, 5, 28}, {2005, 13, 0, 0}};
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << '/' << c.month);
        QStringList expected(42, u"-"_s);
        for (int d = 1; d <= c.days; ++d)
            expected[c.firstCell + d - 2] = QString::number(d);
        const CalendarGrid g = draw(c.year, c.month);
        EXPECT_EQ(g.firstDayCell, c.firstCell);
        EXPECT_EQ(captions(g), expected.join(u' '));
    }
    // The reset grid keeps the column colours.
    EXPECT_EQ(draw(2005, 13).cells[1].colour, CellColour::Red);
    EXPECT_EQ(draw(2005, 13).cells[42].colour, CellColour::Blue);
}

// 1 November 2005 is a Tuesday (day d in cell d + 2); an empty Sunday cell keeps the column colour.
// 3 November 2007 is a Saturday (cell 7): red, and no substitute follows. 1 January 2006 is a Sunday
// (cell 1): the Monday is the substitute and 成人の日 the second Monday. 3 May 2009 is a Sunday
// (cell 8): the 4th's own name replaces the substitute mark.
TEST(CalendarGridColours, WeekendColumnsHolidaysAndSubstitutesWithTheirTooltips) {
    constexpr CellColour R = CellColour::Red, B = CellColour::Blue, T = CellColour::ButtonText;
    const struct {
        int year, month, cell;
        CellColour colour;
        QString name;
    } cases[] = {
        {2005, 11, 1, R, QString()},      {2005, 11, 2, T, QString()},      {2005, 11, 4, T, QString()},
        {2005, 11, 5, R, u"文化の日"_s},  {2005, 11, 14, B, QString()},     {2007, 11, 7, R, u"文化の日"_s},
        {2007, 11, 8, R, QString()},      {2007, 11, 9, T, QString()},      {2006, 1, 1, R, u"元旦"_s},
        {2006, 1, 2, R, u"振替休日"_s},   {2006, 1, 3, T, QString()},       {2006, 1, 9, R, u"成人の日"_s},
        {2009, 5, 8, R, u"憲法記念日"_s}, {2009, 5, 9, R, u"国民の休日"_s}, {2009, 5, 10, R, u"子供の日"_s},
        {2009, 5, 11, T, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.year << '/' << c.month << " cell " << c.cell);
        const CalendarGrid g = draw(c.year, c.month);
        EXPECT_EQ(g.cells[c.cell].colour, c.colour);
        EXPECT_EQ(g.names[c.cell], c.name);
    }
}

TEST(CalendarGridToday, TodaysCellIsFlatUnderlinedAndKeepsItsColourAndNoDayIsPreselected) {
    const CalendarGrid g = draw(2005, 11);
    EXPECT_EQ(g.cells[7].caption, u"5"_s);
    EXPECT_EQ(cellsWhere(g, &DayCellLook::flat), QList<int>{7});
    EXPECT_EQ(cellsWhere(g, &DayCellLook::underline), QList<int>{7});
    EXPECT_FALSE(g.cells[7].bold);
    EXPECT_EQ(g.cells[7].colour, CellColour::Blue);
    EXPECT_EQ(cellsWhere(g, &DayCellLook::selected), QList<int>{});

    const CalendarGrid sundayHoliday = draw(2006, 1, nullptr, QDate(2006, 1, 1));
    EXPECT_EQ(cellsWhere(sundayHoliday, &DayCellLook::flat), QList<int>{1});
    EXPECT_EQ(sundayHoliday.cells[1].colour, CellColour::Red);
    EXPECT_EQ(cellsWhere(sundayHoliday, &DayCellLook::selected), QList<int>{});
}

TEST(CalendarGridToday, OtherMonthPreselectsDayOneButTheSameMonthOfAnotherYearShowsNeitherItNorToday) {
    EXPECT_EQ(cellsWhere(draw(2005, 10), &DayCellLook::selected), QList<int>{7});
    const CalendarGrid nov2006 = draw(2006, 11);
    EXPECT_EQ(cellsWhere(nov2006, &DayCellLook::selected), QList<int>{});
    EXPECT_EQ(cellsWhere(nov2006, &DayCellLook::flat), QList<int>{});
}

TEST(CalendarGridEntries, DaysWithContentAreBoldAndBlankRowsAreNot) {
    EntryTable t;
    ASSERT_TRUE(t.store({u"t"_s, {}, u"2005年11月04日"_s, {}}).ok());
    ASSERT_TRUE(t.store({{}, {}, u"2005年11月10日"_s, {}}).ok());          // clicked but never typed into
    ASSERT_TRUE(t.store({{}, {}, u"2005年11月05日"_s, u"a.jpg;"_s}).ok()); // media only counts
    ASSERT_TRUE(t.store({u"x"_s, {}, u"2005年10月04日"_s, {}}).ok());      // another month
    const CalendarGrid g = draw(2005, 11, &t);
    EXPECT_EQ(cellsWhere(g, &DayCellLook::bold), (QList<int>{6, 7}));
    EXPECT_EQ(cellsWhere(g, &DayCellLook::underline), (QList<int>{6, 7}));
    EXPECT_TRUE(g.cells[7].flat); // today with an entry

    // The entry test builds its date lines from the year box as typed.
    const CalendarGrid padded = drawCalendar({2005, 11, u" 2005"_s, kToday, &t, HolidayRules::Classic});
    EXPECT_EQ(cellsWhere(padded, &DayCellLook::bold), QList<int>{});
}
