#include "calendar/holidays.h"
#include "calendar/law_holidays.h"
#include "calendar/month.h"

#include "qt_printers.h"

#include <QDate>
#include <QFile>
#include <QMap>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

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
    for (int y = fromYear; y <= toYear; ++y) {
        for (int m = 1; m <= 12; ++m) {
            const std::array<QString, 32> names = lawHolidayNames(y, m);
            for (int d = 1; d <= 31; ++d) {
                if (!names[d].isEmpty())
                    list.insert(QDate(y, m, d), names[d]);
            }
        }
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

// Every difference between two lists, one line each, so a failure shows them all at once.
QStringList differences(const HolidayList& expected, const HolidayList& actual) {
    HolidayList both = expected;
    both.insert(actual);
    QStringList out;
    for (const QDate& d : both.keys()) {
        const QString want = expected.value(d, u"nothing"_s), got = actual.value(d, u"nothing"_s);
        if (want != got)
            out << d.toString(Qt::ISODate) + u' ' + got + u" instead of "_s + want;
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
        EXPECT_EQ(differences(expected, actual), QStringList());
    }
}

TEST(LawHolidays, NothingBeforeTheActOfJuly1948) {
    for (int y : {1900, 1947}) {
        for (int m = 1; m <= 12; ++m) {
            const MonthHolidays month = monthHolidays(HolidayRules::Law, y, m);
            for (int d = 1; d <= 31; ++d)
                EXPECT_TRUE(month.tooltip[d].isEmpty() && !month.grid[d] && !month.page[d])
                    << y << '-' << m << '-' << d;
        }
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

// The lists above begin in 1955: the first years of the act are checked here. A Sunday holiday (3 May
// 2026) stays one on the page and in the grid under the law.
TEST(LawHolidays, MonthHolidaysUnderTheLawMarkTooltipGridAndPage) {
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
}
