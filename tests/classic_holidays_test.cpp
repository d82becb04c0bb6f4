#include "calendar/holidays.h"
#include "calendar/month.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

// The name the classic rules give a date, with the Monday ordinal counted as the callers count it.
QString nameOn(int y, int m, int d) {
    int mondays = 0;
    for (int i = 1; i <= d; ++i) {
        if (weekdayOf(y, m, i) == 2)
            ++mondays;
    }
    return classicHolidayName(y, m, d, mondays, weekdayOf(y, m, d));
}

} // namespace

TEST(ClassicHolidays, NamesByTheFifteenRules) {
    // Month-day keys that read alike ("113", "111") are told apart by the month; the equinox formula
    // runs on unchanged across centuries; 21 September 2144 is both the autumnal equinox and the third
    // Monday, and the earlier rule wins.
    const struct {
        int y, m, d;
        QString name;
    } cases[] = {
        {2005, 1, 10, u"成人の日"_s},  {2005, 1, 17, QString()},     {2005, 3, 20, u"春分の日"_s},
        {2005, 7, 18, u"海の日"_s},    {2005, 9, 19, u"敬老の日"_s}, {2005, 9, 23, u"秋分の日"_s},
        {2005, 10, 10, u"体育の日"_s}, {2005, 1, 1, u"元旦"_s},      {2005, 11, 1, QString()},
        {2005, 11, 3, u"文化の日"_s},  {2005, 1, 13, QString()},     {2026, 12, 23, u"天皇誕生日"_s},
        {2006, 3, 21, u"春分の日"_s},  {2012, 9, 22, u"秋分の日"_s}, {2100, 3, 19, u"春分の日"_s},
        {2100, 9, 22, u"秋分の日"_s},  {2999, 3, 13, u"春分の日"_s}, {2999, 9, 15, u"秋分の日"_s},
        {2144, 9, 21, u"敬老の日"_s},
    };
    ASSERT_EQ(weekdayOf(2144, 9, 21), 2);
    for (const auto& c : cases)
        EXPECT_EQ(nameOn(c.y, c.m, c.d), c.name) << c.y << '-' << c.m << '-' << c.d;
}

TEST(ClassicHolidays, MondayRulesNeedAMonday) {
    // A Tuesday with Monday ordinal 2 in January is no 成人の日.
    EXPECT_EQ(classicHolidayName(2005, 1, 11, 2, 3), QString());
    EXPECT_EQ(classicHolidayName(2005, 1, 10, 2, 2), u"成人の日"_s);
}

TEST(ClassicHolidays, CheckHolidaySetsBothFlagsForASundayHolidayAndNeverClears) {
    int holiday = 0, substitute = 0;
    CheckHoliday(2006, 1, 1, 0, 1, holiday, substitute);
    EXPECT_EQ(std::pair(holiday, substitute), std::pair(1, 1));
    CheckHoliday(2006, 1, 3, 1, 3, holiday, substitute); // an ordinary day
    EXPECT_EQ(std::pair(holiday, substitute), std::pair(1, 1));
    CheckHoliday(2006, 1, 9, 2, 2, holiday, substitute); // a Monday holiday
    EXPECT_EQ(std::pair(holiday, substitute), std::pair(1, 1));
    holiday = substitute = 0;
    CheckHoliday(2005, 1, 1, 0, 7, holiday, substitute); // a Saturday holiday
    EXPECT_EQ(std::pair(holiday, substitute), std::pair(1, 0));
}

TEST(ClassicHolidays, MarkHolidayNamesTheSubstituteAndLetsALaterRuleRenameIt) {
    HolidayCells cells;
    // May 2009: the 1st is a Friday (cell 6), so the 3rd (a Sunday) is cell 8.
    MarkHoliday(2009, 5, 3, 8, 0, 1, cells);
    EXPECT_EQ(cells.names[8], u"憲法記念日"_s);
    EXPECT_FALSE(cells.red[8]) << "a Sunday is red as a Sunday already";
    EXPECT_EQ(cells.names[9], u"振替休日"_s);
    EXPECT_TRUE(cells.red[9]);
    MarkHoliday(2009, 5, 4, 9, 1, 2, cells);
    EXPECT_EQ(cells.names[9], u"国民の休日"_s);
    MarkHoliday(2009, 5, 6, 11, 1, 4, cells);
    EXPECT_EQ(cells.names[11], QString());
    EXPECT_FALSE(cells.red[11]);
}

// 1 January 2006 and 4 May 2008 are Sundays: the next day is the substitute, on the page (where it is
// not asked again, so 6 May 2008 stays ordinary) and in the grid (where 子供の日 renames it).
TEST(ClassicHolidays, MonthViewAgreesWithTheGridAndThePage) {
    const MonthHolidays jan2006 = monthHolidays(HolidayRules::Classic, 2006, 1);
    EXPECT_EQ(jan2006.tooltip[1] + jan2006.tooltip[2] + jan2006.tooltip[9], u"元旦振替休日成人の日"_s);
    EXPECT_TRUE(jan2006.grid[2] && jan2006.page[1] && jan2006.page[2]);
    EXPECT_FALSE(jan2006.grid[1]) << "Sunday's own cell is red as a Sunday";
    const MonthHolidays may2008 = monthHolidays(HolidayRules::Classic, 2008, 5);
    EXPECT_EQ(may2008.tooltip[5], u"子供の日"_s);
    EXPECT_EQ(may2008.tooltip[6], QString());
    EXPECT_FALSE(may2008.page[6] || may2008.grid[6]);
}

TEST(NumberTests, WholeNumbersForMonthCommandsAndLooserNumbersForGenerate) {
    EXPECT_EQ(parseWholeNumber(u"2005"), 2005);
    EXPECT_EQ(parseWholeNumber(u" 3 "), 3);
    EXPECT_EQ(parseWholeNumber(u"-1"), -1);
    for (const QStringView text : {u"2005.5", u"3.0", u"abc", u"", u"２００５", u"99999999999"})
        EXPECT_FALSE(parseWholeNumber(text)) << text.toString().toStdString();
    for (const QStringView text : {u"2005", u"2005.5", u" -12 "})
        EXPECT_TRUE(isNumeric(text)) << text.toString().toStdString();
    for (const QStringView text : {u"abc", u".", u"", u"1.2.3"})
        EXPECT_FALSE(isNumeric(text)) << text.toString().toStdString();
}
