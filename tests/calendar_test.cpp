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

// A `date,name` list from tests/data/holidays (UTF-8, LF, one header line).
HolidayList readList(const QString& fileName) {
    QFile file(TSUZURI_TEST_DATA "/holidays/"_L1 + fileName);
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << fileName.toStdString();
    HolidayList list;
    for (const QString& line : QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts).mid(1)) {
        const QStringList fields = line.split(u',');
        const QDate date = QDate::fromString(fields.value(0), Qt::ISODate);
        EXPECT_TRUE(fields.size() == 2 && date.isValid()) << line.toStdString();
        list.insert(date, fields.value(1));
    }
    return list;
}

HolidayList lawHolidays(int fromYear, int toYear) {
    HolidayList list;
    for (QDate d(fromYear, 1, 1); d.year() <= toYear; d = d.addDays(1)) {
        if (const QString name = lawHolidayNames(d.year(), d.month())[d.day()]; !name.isEmpty())
            list.insert(d, name);
    }
    return list;
}

// Both lists give the one-off rest days of 1959–1993 by their short names, name the 2019 days by the
// status their act gave them, and the last 体育の日 by both names.
QString inListStyle(const QDate& date, const QString& name) {
    static const QMap<QString, QString> oneOff{{u"皇太子明仁親王の結婚の儀"_s, u"結婚の儀"_s},
                                               {u"皇太子徳仁親王の結婚の儀"_s, u"結婚の儀"_s},
                                               {u"昭和天皇の大喪の礼"_s, u"大喪の礼"_s}};
    static const QMap<QString, QString> of2019{{u"天皇の即位の日"_s, u"休日（祝日扱い）"_s},
                                               {u"即位礼正殿の儀"_s, u"休日（祝日扱い）"_s},
                                               {u"体育の日"_s, u"体育の日（スポーツの日）"_s}};
    return (date.year() == 2019 ? of2019 : oneOff).value(name, name);
}

// The Cabinet Office calls every substitute holiday and every sandwiched day just "休日".
QString inCabinetOfficeStyle(const HolidayList&, const QDate& date, const QString& name) {
    return name == u"振替休日" || name == u"国民の休日" ? u"休日"_s : inListStyle(date, name);
}

// holiday_jp names a substitute holiday after the Sunday holiday it stands for ("<holiday> 振替休日"),
// except that it gives every May 6 but 2020's to こどもの日; a sandwiched day is "休日".
QString inHolidayJpStyle(const HolidayList& ours, const QDate& date, const QString& name) {
    if (name == u"振替休日") {
        const QDate sunday = date.addDays(-(date.dayOfWeek() % 7));
        const bool may6 = date.month() == 5 && date.day() == 6 && date.year() != 2020;
        return (may6 ? u"こどもの日"_s : ours.value(sunday, u"(no Sunday holiday)"_s)) + u" 振替休日"_s;
    }
    return name == u"国民の休日" ? u"休日"_s : inListStyle(date, name);
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

TEST(LawHolidays, ReproducesTheCabinetOfficeList1955To2027AndTheHolidayJpList1970To2050) {
    const struct {
        QString file;
        qsizetype size;
        QDate first, last;
        QString (*inStyle)(const HolidayList&, const QDate&, const QString&);
    } lists[] = {
        // The official list stops after 勤労感謝の日 2027; there is no holiday later in that year.
        {u"jp-holidays-law.csv"_s, 1067, QDate(1955, 1, 1), QDate(2027, 11, 23), inCabinetOfficeStyle},
        {u"jp-holidays-holiday_jp.csv"_s, 1329, QDate(1970, 1, 1), QDate(2050, 11, 23), inHolidayJpStyle},
    };
    for (const auto& l : lists) {
        SCOPED_TRACE(l.file.toStdString());
        const HolidayList expected = readList(l.file);
        ASSERT_EQ(expected.size(), l.size);
        ASSERT_EQ(expected.firstKey(), l.first);
        ASSERT_EQ(expected.lastKey(), l.last);
        const HolidayList ours = lawHolidays(l.first.year(), l.last.year());
        HolidayList actual;
        for (auto it = ours.cbegin(); it != ours.cend(); ++it)
            actual.insert(it.key(), l.inStyle(ours, it.key(), it.value()));
        // Every difference at once: the dates it lacks and the dates it has that it should not.
        EXPECT_THAT(actual.toStdMap(), testing::ContainerEq(expected.toStdMap()));
    }
}

// The approximation counts every fourth year as a leap year; without the skipped February 29 of 2200,
// 2300, 2500, … the day would slide a day earlier each century (March 13 by 2999). The days swing as in
// 1900–2099: 3/22 and 9/24 after a century year, 3/19 and 9/21 before one.
TEST(LawHolidays, EquinoxDaysStayNearTheEquinoxUpTo2999) {
    const auto dayOf = [](const std::array<QString, 32>& names, const QString& name) {
        return std::find(names.begin(), names.end(), name) - names.begin();
    };
    for (int y = 2051; y <= 2999; ++y) {
        const auto vernal = dayOf(lawHolidayNames(y, 3), u"春分の日"_s);
        const auto autumnal = dayOf(lawHolidayNames(y, 9), u"秋分の日"_s);
        EXPECT_TRUE(vernal >= 19 && vernal <= 22) << y << " vernal " << vernal;
        EXPECT_TRUE(autumnal >= 21 && autumnal <= 24) << y << " autumnal " << autumnal;
    }
}

// The lists above begin in 1955: the first years of the act are checked here, and nothing before it. A
// Sunday holiday (3 May 2026) stays one on the page and in the grid under the law.
TEST(LawHolidays, MonthHolidaysUnderTheLawMarkTooltipGridAndPage_NothingBeforeTheActOfJuly1948) {
    const struct {
        int y, m, d;
        QString tooltip;
    } cases[] = {
        {1948, 1, 1, QString()},        {1948, 5, 5, QString()},       {1948, 9, 23, u"秋分の日"_s},
        {1948, 11, 3, u"文化の日"_s},   {1949, 1, 1, u"元日"_s},       {1949, 1, 15, u"成人の日"_s},
        {1949, 4, 29, u"天皇誕生日"_s}, {2026, 5, 3, u"憲法記念日"_s}, {2026, 5, 7, QString()},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(testing::Message() << c.y << '-' << c.m << '-' << c.d);
        const MonthHolidays month = monthHolidays(HolidayRules::Law, c.y, c.m);
        EXPECT_EQ(month.tooltip[c.d], c.tooltip);
        EXPECT_EQ(month.grid[c.d], !c.tooltip.isEmpty());
        EXPECT_EQ(month.page[c.d], !c.tooltip.isEmpty());
    }
    for (int y : {1900, 1947}) {
        for (int m = 1; m <= 12; ++m) {
            const MonthHolidays month = monthHolidays(HolidayRules::Law, y, m);
            for (int d = 1; d <= 31; ++d)
                EXPECT_TRUE(month.tooltip[d].isEmpty() && !month.grid[d] && !month.page[d])
                    << y << '-' << m << '-' << d;
        }
    }
}

// Month-day keys that read alike ("113", "111") are told apart by the month; the equinox formula runs on
// unchanged across centuries; 21 September 2144 is both the autumnal equinox and the third Monday, and the
// earlier rule wins. Each dated rule names its day only: the day before in the same month is ordinary. A
// Monday rule needs a Monday: a Tuesday with Monday ordinal 2 in January is no 成人の日.
TEST(ClassicHolidays, NamesByTheFifteenRules) {
    const struct {
        int y, m, d;
        QString name;
    } cases[] = {
        {2005, 1, 10, u"成人の日"_s},      {2005, 1, 17, QString()},         {2005, 3, 20, u"春分の日"_s},
        {2005, 7, 18, u"海の日"_s},        {2005, 9, 19, u"敬老の日"_s},     {2005, 9, 23, u"秋分の日"_s},
        {2005, 10, 10, u"体育の日"_s},     {2005, 1, 1, u"元旦"_s},          {2005, 11, 1, QString()},
        {2005, 11, 3, u"文化の日"_s},      {2005, 1, 13, QString()},         {2026, 12, 23, u"天皇誕生日"_s},
        {2006, 3, 21, u"春分の日"_s},      {2012, 9, 22, u"秋分の日"_s},     {2100, 3, 19, u"春分の日"_s},
        {2100, 9, 22, u"秋分の日"_s},      {2999, 3, 13, u"春分の日"_s},     {2999, 9, 15, u"秋分の日"_s},
        {2144, 9, 21, u"敬老の日"_s},      {2005, 2, 11, u"建国記念の日"_s}, {2005, 2, 10, QString()},
        {2005, 4, 29, u"みどりの日"_s},    {2005, 4, 28, QString()},         {2005, 5, 2, QString()},
        {2005, 11, 23, u"勤労感謝の日"_s}, {2005, 12, 22, QString()},
    };
    ASSERT_EQ(weekdayOf(2144, 9, 21), 2);
    for (const auto& c : cases)
        EXPECT_EQ(nameOn(c.y, c.m, c.d), c.name) << c.y << '-' << c.m << '-' << c.d;
    EXPECT_EQ(classicHolidayName(2005, 1, 11, 2, 3), QString());
    EXPECT_EQ(classicHolidayName(2005, 1, 10, 2, 2), u"成人の日"_s);
}

// A Sunday holiday is red as a Sunday and gives the next day as the substitute, in the grid (where a later
// rule renames it: 国民の休日, 子供の日) and on the page, where the substitute is not asked again (so 6 May
// 2008 stays ordinary) but counts as the month's first Monday. A Saturday holiday gives no substitute.
TEST(ClassicHolidays, MonthHolidaysGiveTheSubstituteOfASundayHolidayInTheGridAndOnThePage) {
    const struct {
        int y, m, d;
        QString tooltip;
        bool grid, page;
    } cases[] = {
        {2006, 1, 1, u"元旦"_s, false, true},      {2006, 1, 2, u"振替休日"_s, true, true},
        {2006, 1, 9, u"成人の日"_s, true, true},   {2009, 5, 3, u"憲法記念日"_s, false, true},
        {2009, 5, 4, u"国民の休日"_s, true, true}, {2009, 5, 6, QString(), false, false},
        {2008, 5, 5, u"子供の日"_s, true, true},   {2008, 5, 6, QString(), false, false},
        {2005, 1, 1, u"元旦"_s, true, true},       {2005, 1, 2, QString(), false, false},
    };
    for (const auto& c : cases) {
        const MonthHolidays month = monthHolidays(HolidayRules::Classic, c.y, c.m);
        EXPECT_EQ(month.tooltip[c.d], c.tooltip) << c.y << '-' << c.m << '-' << c.d;
        EXPECT_EQ(month.grid[c.d], c.grid) << c.y << '-' << c.m << '-' << c.d;
        EXPECT_EQ(month.page[c.d], c.page) << c.y << '-' << c.m << '-' << c.d;
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

// Every cell of every month of 28 years: day d in cell (weekday of the 1st) + d - 1, Sunday's column red,
// Saturday's blue, a holiday red with its name (the classic rules, checked above), also on a Saturday. A
// month that names no month leaves the grid empty with its column colours.
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

TEST(CalendarGridToday, TodaysCellIsFlatUnderlinedKeepsItsColourAndNoDayIsPreselected_OnlyInItsOwnMonthAndYear) {
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

    // Another month preselects day 1; the same month of another year shows neither it nor today.
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
