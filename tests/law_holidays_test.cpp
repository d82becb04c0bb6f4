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
    HolidayList list;
    QFile file(TSUZURI_TEST_DATA "/holidays/"_L1 + fileName);
    if (!file.open(QIODevice::ReadOnly)) {
        ADD_FAILURE() << "cannot read " << fileName.toStdString();
        return list;
    }
    const QStringList lines = QString::fromUtf8(file.readAll()).split(u'\n', Qt::SkipEmptyParts);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QStringList fields = lines[i].split(u',');
        const QDate date = QDate::fromString(fields.value(0), Qt::ISODate);
        if (fields.size() != 2 || !date.isValid()) {
            ADD_FAILURE() << "bad row " << lines[i].toStdString();
            continue;
        }
        list.insert(date, fields[1]);
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

// Both lists give the one-off rest days of 1959–1993 by their short names.
QString oneOffShortName(const QString& name) {
    if (name == u"皇太子明仁親王の結婚の儀" || name == u"皇太子徳仁親王の結婚の儀")
        return u"結婚の儀"_s;
    if (name == u"昭和天皇の大喪の礼")
        return u"大喪の礼"_s;
    return name;
}

// Both lists name the 2019 days by the status their act gave them, and the last 体育の日 by both names.
QString name2019(const QDate& date, const QString& name) {
    if ((date == QDate(2019, 5, 1) && name == u"天皇の即位の日") ||
        (date == QDate(2019, 10, 22) && name == u"即位礼正殿の儀"))
        return u"休日（祝日扱い）"_s;
    if (date == QDate(2019, 10, 14) && name == u"体育の日")
        return u"体育の日（スポーツの日）"_s;
    return name;
}

// The Cabinet Office calls every substitute holiday and every sandwiched day just "休日".
QString inCabinetOfficeStyle(const QDate& date, const QString& name) {
    if (name == u"振替休日" || name == u"国民の休日")
        return u"休日"_s;
    return oneOffShortName(name2019(date, name));
}

// holiday_jp names a substitute holiday after the Sunday holiday it stands for ("<holiday> 振替休日"),
// except that it gives every May 6 but 2020's to こどもの日; a sandwiched day is "休日".
QString inHolidayJpStyle(const HolidayList& ours, const QDate& date, const QString& name) {
    if (name == u"振替休日") {
        QDate sunday = date.addDays(-1);
        while (sunday.dayOfWeek() != Qt::Sunday)
            sunday = sunday.addDays(-1);
        QString standsFor = ours.value(sunday, u"(no Sunday holiday)"_s);
        if (date.month() == 5 && date.day() == 6 && date.year() != 2020)
            standsFor = u"こどもの日"_s;
        return standsFor + u" 振替休日"_s;
    }
    if (name == u"国民の休日")
        return u"休日"_s;
    return oneOffShortName(name2019(date, name));
}

// Every difference between two lists, one line each, so a failure shows them all at once.
QStringList differences(const HolidayList& expected, const HolidayList& actual) {
    QStringList out;
    for (auto it = expected.cbegin(); it != expected.cend(); ++it) {
        const QString date = it.key().toString(Qt::ISODate);
        if (!actual.contains(it.key()))
            out << date + u" missing ("_s + it.value() + u')';
        else if (actual.value(it.key()) != it.value())
            out << date + u" named "_s + actual.value(it.key()) + u" instead of "_s + it.value();
    }
    for (auto it = actual.cbegin(); it != actual.cend(); ++it) {
        if (!expected.contains(it.key()))
            out << it.key().toString(Qt::ISODate) + u" extra ("_s + it.value() + u')';
    }
    return out;
}

} // namespace

TEST(LawHolidays, ReproducesCabinetOfficeList_1955To2027) {
    const HolidayList expected = readList(u"jp-holidays-law.csv"_s);
    ASSERT_EQ(expected.size(), 1067);
    ASSERT_EQ(expected.firstKey(), QDate(1955, 1, 1));
    ASSERT_EQ(expected.lastKey(), QDate(2027, 11, 23));

    // The list stops after 勤労感謝の日 2027; there is no holiday later in that year.
    const HolidayList ours = lawHolidays(1955, 2027);
    HolidayList actual;
    for (auto it = ours.cbegin(); it != ours.cend(); ++it)
        actual.insert(it.key(), inCabinetOfficeStyle(it.key(), it.value()));
    EXPECT_EQ(differences(expected, actual), QStringList());
}

TEST(LawHolidays, ReproducesHolidayJpList_1970To2050) {
    const HolidayList expected = readList(u"jp-holidays-holiday_jp.csv"_s);
    ASSERT_EQ(expected.size(), 1329);
    ASSERT_EQ(expected.firstKey(), QDate(1970, 1, 1));
    ASSERT_EQ(expected.lastKey(), QDate(2050, 11, 23));

    const HolidayList ours = lawHolidays(1970, 2050);
    HolidayList actual;
    for (auto it = ours.cbegin(); it != ours.cend(); ++it)
        actual.insert(it.key(), inHolidayJpStyle(ours, it.key(), it.value()));
    EXPECT_EQ(differences(expected, actual), QStringList());
}

TEST(LawHolidays, NothingBeforeTheActOfJuly1948) {
    for (int y : {1900, 1947}) {
        for (int m = 1; m <= 12; ++m) {
            for (const QString& name : lawHolidayNames(y, m))
                EXPECT_TRUE(name.isEmpty()) << y << '-' << m;
        }
    }
    EXPECT_EQ(lawHolidayNames(1948, 1)[1], QString());
    EXPECT_EQ(lawHolidayNames(1948, 4)[29], QString());
    EXPECT_EQ(lawHolidayNames(1948, 5)[5], QString());
    EXPECT_EQ(lawHolidayNames(1948, 9)[23], u"秋分の日");
    EXPECT_EQ(lawHolidayNames(1948, 11)[3], u"文化の日");
    EXPECT_EQ(lawHolidayNames(1949, 1)[1], u"元日");
    EXPECT_EQ(lawHolidayNames(1949, 4)[29], u"天皇誕生日");
    EXPECT_EQ(lawHolidayNames(1949, 1)[15], u"成人の日");
}

TEST(LawHolidays, EquinoxDaysStayNearTheEquinoxUpTo2999) {
    // The approximation counts every fourth year as a leap year; without the skipped February 29 of
    // 2200, 2300, 2500, … the day would slide a day earlier each century (March 13 by 2999). The days
    // swing as in 1900–2099: 3/22 and 9/24 after a century year, 3/19 and 9/21 before one.
    for (int y = 2051; y <= 2999; ++y) {
        const std::array<QString, 32> march = lawHolidayNames(y, 3);
        const std::array<QString, 32> september = lawHolidayNames(y, 9);
        int vernal = 0;
        int autumnal = 0;
        for (int d = 1; d <= 31; ++d) {
            if (march[d] == u"春分の日")
                vernal = d;
            if (september[d] == u"秋分の日")
                autumnal = d;
        }
        EXPECT_TRUE(vernal >= 19 && vernal <= 22) << y << " vernal " << vernal;
        EXPECT_TRUE(autumnal >= 21 && autumnal <= 24) << y << " autumnal " << autumnal;
    }
}

TEST(LawHolidays, MonthHolidaysUnderTheLawMarkTooltipGridAndPage) {
    struct Case {
        int y, m, d;
        QString tooltip;
    };
    const Case cases[] = {
        {2026, 5, 6, u"振替休日"_s},      {2026, 9, 22, u"国民の休日"_s}, {2019, 5, 1, u"天皇の即位の日"_s},
        {2025, 2, 24, u"振替休日"_s},     {2025, 2, 23, u"天皇誕生日"_s}, {2016, 8, 11, u"山の日"_s},
        {2020, 7, 24, u"スポーツの日"_s}, {2021, 8, 9, u"振替休日"_s},    {1989, 2, 24, u"昭和天皇の大喪の礼"_s},
        {2026, 1, 1, u"元日"_s},          {2026, 5, 7, QString()},        {2019, 12, 23, QString()},
        {2005, 12, 23, u"天皇誕生日"_s},  {2026, 3, 20, u"春分の日"_s},   {2026, 9, 23, u"秋分の日"_s},
    };
    for (const Case& c : cases) {
        const MonthHolidays month = monthHolidays(HolidayRules::Law, c.y, c.m);
        EXPECT_EQ(month.tooltip[c.d], c.tooltip) << c.y << '-' << c.m << '-' << c.d;
        EXPECT_EQ(month.grid[c.d], !c.tooltip.isEmpty()) << c.y << '-' << c.m << '-' << c.d;
        EXPECT_EQ(month.page[c.d], !c.tooltip.isEmpty()) << c.y << '-' << c.m << '-' << c.d;
    }

    // A Sunday holiday stays a holiday on the page and in the grid under the law too.
    const MonthHolidays may2026 = monthHolidays(HolidayRules::Law, 2026, 5);
    EXPECT_EQ(may2026.tooltip[3], u"憲法記念日");
    EXPECT_TRUE(may2026.page[3]);
    EXPECT_TRUE(may2026.grid[3]);

    for (int m = 1; m <= 12; ++m) {
        const MonthHolidays month = monthHolidays(HolidayRules::Law, 1947, m);
        for (int d = 1; d <= 31; ++d) {
            EXPECT_TRUE(month.tooltip[d].isEmpty() && !month.grid[d] && !month.page[d]) << "1947-" << m << '-' << d;
        }
    }
}
