#include "calendar/calendar_grid.h"
#include "calendar/holidays.h"
#include "calendar/law_holidays.h"
#include "calendar/month.h"

#include "qt_printers.h"

#include <QDate>
#include <QFile>
#include <QMap>

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

static void PrintTo(const QDate& date, std::ostream* os) {
    *os << date.toString(Qt::ISODate).toStdString();
}

namespace {

using HolidayList = QMap<QDate, QString>;

// The official list gives the one-off rest days of 1959–1993 by their short names, calls every substitute
// and sandwiched day "休日", names the 2019 days by the status their act gave them, the last 体育の日 by both names.
QString inCabinetOfficeStyle(const QDate& date, const QString& name) {
    static const QMap<QString, QString> oneOff{{u"皇太子明仁親王の結婚の儀"_s, u"結婚の儀"_s},
                                               {u"皇太子徳仁親王の結婚の儀"_s, u"結婚の儀"_s},
                                               {u"昭和天皇の大喪の礼"_s, u"大喪の礼"_s}};
    static const QMap<QString, QString> of2019{{u"天皇の即位の日"_s, u"休日（祝日扱い）"_s},
                                               {u"即位礼正殿の儀"_s, u"休日（祝日扱い）"_s},
                                               {u"体育の日"_s, u"体育の日（スポーツの日）"_s}};
    if (name == u"振替休日" || name == u"国民の休日")
        return u"休日"_s;
    return (date.year() == 2019 ? of2019 : oneOff).value(name, name);
}

// The name the classic rules give a date, with the Monday ordinal counted as the callers count it.
QString nameOn(int y, int m, int d) {
    int mondays = 0;
    for (int i = 1; i <= d; ++i) {
        if (weekdayOf(y, m, i) == 2)
            ++mondays;
    }
    return classicHolidayName(y, m, d, mondays, weekdayOf(y, m, d));
}

const QDate kToday(2005, 11, 5); // a Saturday

CalendarGrid draw(int year, int month, const EntryTable* entries = nullptr, QDate today = kToday) {
    return drawCalendar({year, month, QString::number(year), today, entries, HolidayRules::Classic});
}

QList<int> cellsWhere(const CalendarGrid& g, bool DayCellLook::*property) {
    QList<int> out;
    for (int k = 1; k <= 42; ++k) {
        if (g.cells[k].*property)
            out << k;
    }
    return out;
}

} // namespace

// The official list stops after 勤労感謝の日 2027; there is no holiday later in that year.
TEST(LawHolidays, ReproducesTheCabinetOfficeList1955To2027) {
    QFile file(TSUZURI_TEST_DATA "/holidays/jp-holidays-law.csv"_L1); // UTF-8, LF, one header line
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    HolidayList expected;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts).mid(1))
        expected.insert(QDate::fromString(line.section(u',', 0, 0), Qt::ISODate), line.section(u',', 1));
    ASSERT_EQ(expected.size(), 1067);
    ASSERT_EQ(expected.lastKey(), QDate(2027, 11, 23));
    HolidayList actual;
    for (QDate d(1955, 1, 1); d.year() <= 2027; d = d.addDays(1)) {
        if (const QString name = lawHolidayNames(d.year(), d.month())[d.day()]; !name.isEmpty())
            actual.insert(d, inCabinetOfficeStyle(d, name));
    }
    // Every difference at once: the dates it lacks and the dates it has that it should not.
    EXPECT_THAT(actual.toStdMap(), testing::ContainerEq(expected.toStdMap()));
}

// Keys that read alike ("113") are told apart by the month; in 2144 敬老の日 wins over the autumnal equinox.
TEST(ClassicHolidays, NamesByTheFifteenRules) {
    const struct {
        int y, m, d;
        QString name;
    } cases[] = {
        {2005, 1, 10, u"成人の日"_s},  {2005, 1, 17, QString()},          {2005, 3, 20, u"春分の日"_s},
        {2005, 7, 18, u"海の日"_s},    {2005, 9, 19, u"敬老の日"_s},      {2005, 9, 23, u"秋分の日"_s},
        {2005, 10, 10, u"体育の日"_s}, {2005, 1, 1, u"元旦"_s},           {2005, 11, 1, QString()},
        {2005, 11, 3, u"文化の日"_s},  {2005, 1, 13, QString()},          {2026, 12, 23, u"天皇誕生日"_s},
        {2100, 3, 19, u"春分の日"_s},  {2100, 9, 22, u"秋分の日"_s},      {2999, 3, 13, u"春分の日"_s},
        {2999, 9, 15, u"秋分の日"_s},  {2144, 9, 21, u"敬老の日"_s},      {2005, 2, 11, u"建国記念の日"_s},
        {2005, 2, 10, QString()},      {2005, 4, 29, u"みどりの日"_s},    {2005, 4, 28, QString()},
        {2005, 5, 2, QString()},       {2005, 11, 23, u"勤労感謝の日"_s}, {2005, 12, 22, QString()},
    };
    ASSERT_EQ(weekdayOf(2144, 9, 21), 2);
    for (const auto& c : cases)
        EXPECT_EQ(nameOn(c.y, c.m, c.d), c.name) << c.y << '-' << c.m << '-' << c.d;
    EXPECT_EQ(classicHolidayName(2005, 1, 11, 2, 3), QString());
    EXPECT_EQ(classicHolidayName(2005, 1, 10, 2, 2), u"成人の日"_s);
}

// Under the law: nothing before the act of July 1948; after 2150 the equinox gains a day per century year that
// is not a leap year. Classic: on the page a substitute is not asked again (6 May 2008) but counts as a Monday.
TEST(MonthHolidays, TooltipGridAndPageFlagsUnderEitherRules) {
    using enum HolidayRules;
    const struct {
        HolidayRules rules;
        int y, m, d;
        QString tooltip;
        bool grid, page;
    } cases[] = {
        {Law, 1947, 5, 3, QString(), false, false},          {Law, 1948, 5, 5, QString(), false, false},
        {Law, 1948, 9, 23, u"秋分の日"_s, true, true},       {Law, 2100, 3, 20, u"春分の日"_s, true, true},
        {Law, 2400, 9, 22, u"秋分の日"_s, true, true},       {Law, 2999, 3, 20, u"春分の日"_s, true, true},
        {Law, 2999, 9, 23, u"秋分の日"_s, true, true},       {Law, 2026, 5, 3, u"憲法記念日"_s, true, true},
        {Law, 2026, 5, 7, QString(), false, false},          {Classic, 2006, 1, 1, u"元旦"_s, false, true},
        {Classic, 2006, 1, 2, u"振替休日"_s, true, true},    {Classic, 2006, 1, 9, u"成人の日"_s, true, true},
        {Classic, 2009, 5, 3, u"憲法記念日"_s, false, true}, {Classic, 2009, 5, 4, u"国民の休日"_s, true, true},
        {Classic, 2009, 5, 6, QString(), false, false},      {Classic, 2008, 5, 5, u"子供の日"_s, true, true},
        {Classic, 2008, 5, 6, QString(), false, false},      {Classic, 2005, 1, 1, u"元旦"_s, true, true},
        {Classic, 2005, 1, 2, QString(), false, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.y << '-' << c.m << '-' << c.d);
        const MonthHolidays month = monthHolidays(c.rules, c.y, c.m);
        EXPECT_EQ(month.tooltip[c.d], c.tooltip);
        EXPECT_EQ(std::pair(month.grid[c.d], month.page[c.d]), std::pair(c.grid, c.page));
    }
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

TEST(CalendarGridLayout, EveryMonthDaysFromTheFirstDaysCellWeekendColumnsAndHolidays_NoMonthGivesTheResetGrid) {
    for (int y = 2000; y <= 2028; ++y) {
        for (int m = 1; m <= 12; ++m) {
            SCOPED_TRACE(testing::Message() << y << '/' << m);
            const QDate first(y, m, 1);
            const MonthHolidays holidays = monthHolidays(HolidayRules::Classic, y, m);
            const CalendarGrid g = draw(y, m);
            ASSERT_EQ(g.firstDayCell, first.dayOfWeek() % 7 + 1);
            for (int k = 1; k <= 42; ++k) {
                const int d = k - g.firstDayCell + 1;
                const bool day = d >= 1 && d <= first.daysInMonth();
                const bool red = k % 7 == 1 || (day && holidays.grid[d]);
                ASSERT_EQ(g.cells[k].colour, red ? CellColour::Red : k % 7 ? CellColour::ButtonText : CellColour::Blue);
                ASSERT_EQ(g.cells[k].caption, day ? QString::number(d) : QString()) << k;
                ASSERT_EQ(g.names[k], day ? holidays.tooltip[d] : QString()) << k;
            }
        }
    }
    const CalendarGrid reset = draw(2005, 13);
    EXPECT_EQ(reset.firstDayCell, 0);
    for (int k = 1; k <= 42; ++k)
        EXPECT_EQ(reset.cells[k].caption, QString()) << k;
    EXPECT_EQ(reset.cells[1].colour, CellColour::Red);
    EXPECT_EQ(reset.cells[42].colour, CellColour::Blue);
}

TEST(CalendarGridMarks, TodayFlatAndUnderlined_DaysWithContentBold_Day1PreselectedOnlyInAnotherMonth) {
    EntryTable t;
    ASSERT_TRUE(t.store({u"t"_s, {}, u"2005年11月04日"_s, {}}).ok());
    ASSERT_TRUE(t.store({{}, {}, u"2005年11月10日"_s, {}}).ok());          // clicked but never typed into
    ASSERT_TRUE(t.store({{}, {}, u"2005年11月05日"_s, u"a.jpg;"_s}).ok()); // media only counts
    ASSERT_TRUE(t.store({u"x"_s, {}, u"2005年10月04日"_s, {}}).ok());      // another month
    const CalendarGrid g = draw(2005, 11, &t);
    EXPECT_EQ(cellsWhere(g, &DayCellLook::bold), (QList<int>{6, 7}));
    EXPECT_EQ(cellsWhere(g, &DayCellLook::underline), (QList<int>{6, 7}));
    EXPECT_EQ(cellsWhere(g, &DayCellLook::flat), QList<int>{7});
    EXPECT_EQ(g.cells[7].colour, CellColour::Blue);
    EXPECT_EQ(cellsWhere(g, &DayCellLook::selected), QList<int>{});
    // The entry test builds its date lines from the year box as typed; today is still marked.
    const CalendarGrid padded = drawCalendar({2005, 11, u" 2005"_s, kToday, &t, HolidayRules::Classic});
    EXPECT_EQ(cellsWhere(padded, &DayCellLook::bold), QList<int>{});
    EXPECT_EQ(cellsWhere(padded, &DayCellLook::underline), QList<int>{7});
    // The same month of another year shows neither the preselected day 1 nor today.
    EXPECT_EQ(cellsWhere(draw(2005, 10), &DayCellLook::selected), QList<int>{7});
    const CalendarGrid nov2006 = draw(2006, 11);
    EXPECT_EQ(cellsWhere(nov2006, &DayCellLook::selected), QList<int>{});
    EXPECT_EQ(cellsWhere(nov2006, &DayCellLook::flat), QList<int>{});
}
