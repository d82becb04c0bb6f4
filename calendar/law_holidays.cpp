#include "calendar/law_holidays.h"

#include "calendar/month.h"

#include <cstdint>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

enum Name : std::uint8_t {
    None,
    Ganjitsu,
    Seijin,
    Kenkoku,
    TennoTanjobi,
    Shunbun,
    Midori,
    Showa,
    Kenpo,
    Kodomo,
    Umi,
    Yama,
    Keiro,
    Shubun,
    Taiiku,
    Sports,
    Bunka,
    Kinro,
    Furikae,
    Kokumin,
    AkihitoWedding,
    Taiso,
    Sokuirei,
    NaruhitoWedding,
    Sokui,
    NameCount
};

const QString& nameText(Name name) {
    static const std::array<QString, NameCount> texts{
        QString(),
        u"元日"_s,
        u"成人の日"_s,
        u"建国記念の日"_s,
        u"天皇誕生日"_s,
        u"春分の日"_s,
        u"みどりの日"_s,
        u"昭和の日"_s,
        u"憲法記念日"_s,
        u"こどもの日"_s,
        u"海の日"_s,
        u"山の日"_s,
        u"敬老の日"_s,
        u"秋分の日"_s,
        u"体育の日"_s,
        u"スポーツの日"_s,
        u"文化の日"_s,
        u"勤労感謝の日"_s,
        u"振替休日"_s,
        u"国民の休日"_s,
        u"皇太子明仁親王の結婚の儀"_s,
        u"昭和天皇の大喪の礼"_s,
        u"即位礼正殿の儀"_s,
        u"皇太子徳仁親王の結婚の儀"_s,
        u"天皇の即位の日"_s,
    };
    return texts[name];
}

int floorDiv(long long a, int b) {
    long long q = a / b;
    if (a % b != 0 && (a < 0) != (b < 0))
        --q;
    return static_cast<int>(q);
}

// Day of March (vernal) or September (autumnal) by the usual approximation, in millionths of a day so
// that no rounding of a double can move a day.
//  - 1900–1979 adds 20.8357 / 23.2588 and subtracts Int((Y − 1983) / 4) cut toward zero, which for those
//    years is the same count as floor((Y − 1980) / 4) used by the later ranges;
//  - 1980–2099: 20.8431 / 23.2488; 2100–2150: 21.8510 / 24.2488 (a day more: 2100 has no February 29).
// Years before 1900 take the first range. After 2150 the last range goes on with one day more for every
// later century year that is not a leap year, so the day keeps to the calendar instead of sliding a day
// earlier per century.
int equinoxDay(int year, bool autumn) {
    const int k = year - 1980;
    long long base;
    if (year < 1980)
        base = autumn ? 23258800 : 20835700;
    else if (year < 2100)
        base = autumn ? 23248800 : 20843100;
    else
        base = autumn ? 24248800 : 21851000;
    int day = floorDiv(base + 242194LL * k, 1000000) - floorDiv(k, 4);
    if (year > 2150)
        day += (year / 100 - 21) - (year / 400 - 5);
    return day;
}

// The holidays of one calendar year, day by day (index 0 = January 1).
class YearHolidays {
public:
    explicit YearHolidays(int year) : year_(year) {
        start_[1] = 0;
        for (int m = 1; m <= 12; ++m)
            start_[m + 1] = start_[m] + daysInMonth(year, m);
        jan1Weekday_ = weekdayOf(year, 1, 1) - 1;
        if (year < 1948)
            return;
        fixedDays();
        substitutes();
        sandwiched();
    }

    Name at(int month, int day) const { return names_[index(month, day)]; }

private:
    int index(int month, int day) const { return start_[month] + day - 1; }
    int length() const { return start_[13]; }
    bool isSunday(int i) const { return (jan1Weekday_ + i) % 7 == 0; }
    bool onOrAfter(int i, int year, int month, int day) const {
        return year_ > year || (year_ == year && i >= index(month, day));
    }

    // `national`: a 国民の祝日, or a day its own act has counted as one (2019). Only those make substitute
    // holidays and sandwich days; the other one-off rest days of 1959–1993 do not.
    void set(int month, int day, Name name, bool national = true) {
        const int i = index(month, day);
        if (!onOrAfter(i, 1948, 7, 20) || names_[i] != None)
            return;
        names_[i] = name;
        national_[i] = national;
    }

    int nthMonday(int month, int n) const {
        const int firstWeekday = (jan1Weekday_ + start_[month]) % 7; // 0 = Sunday
        return 1 + (8 - firstWeekday) % 7 + 7 * (n - 1);
    }

    void fixedDays() {
        const int y = year_;
        set(1, 1, Ganjitsu);
        if (y <= 1999)
            set(1, 15, Seijin);
        else
            set(1, nthMonday(1, 2), Seijin);
        if (y >= 1967)
            set(2, 11, Kenkoku);
        if (y >= 2020)
            set(2, 23, TennoTanjobi);
        set(3, equinoxDay(y, false), Shunbun);
        if (y <= 1988)
            set(4, 29, TennoTanjobi);
        else if (y <= 2006)
            set(4, 29, Midori);
        else
            set(4, 29, Showa);
        set(5, 3, Kenpo);
        if (y >= 2007)
            set(5, 4, Midori);
        set(5, 5, Kodomo);

        // The Olympic years moved three holidays next to the games.
        if (y == 2020) {
            set(7, 23, Umi);
            set(7, 24, Sports);
            set(8, 10, Yama);
        } else if (y == 2021) {
            set(7, 22, Umi);
            set(7, 23, Sports);
            set(8, 8, Yama);
        } else {
            if (y >= 2003)
                set(7, nthMonday(7, 3), Umi);
            else if (y >= 1996)
                set(7, 20, Umi);
            if (y >= 2016)
                set(8, 11, Yama);
            if (y >= 2000)
                set(10, nthMonday(10, 2), y >= 2020 ? Sports : Taiiku);
            else if (y >= 1966)
                set(10, 10, Taiiku);
        }

        if (y >= 2003)
            set(9, nthMonday(9, 3), Keiro);
        else if (y >= 1966)
            set(9, 15, Keiro);
        set(9, equinoxDay(y, true), Shubun);
        set(11, 3, Bunka);
        set(11, 23, Kinro);
        if (y >= 1989 && y <= 2018)
            set(12, 23, TennoTanjobi);

        switch (y) {
        case 1959:
            set(4, 10, AkihitoWedding, false);
            break;
        case 1989:
            set(2, 24, Taiso, false);
            break;
        case 1990:
            set(11, 12, Sokuirei, false);
            break;
        case 1993:
            set(6, 9, NaruhitoWedding, false);
            break;
        case 2019:
            set(5, 1, Sokui);
            set(10, 22, Sokuirei);
            break;
        default:
            break;
        }
    }

    // From 1973-04-12 a holiday on a Sunday makes the Monday a holiday unless it is one already; from 2007
    // the rest day moves on to the first day that is not a holiday (5/3 on a Sunday gives 5/6).
    void substitutes() {
        for (int i = 0; i < length(); ++i) {
            if (!national_[i] || !isSunday(i) || !onOrAfter(i, 1973, 4, 12))
                continue;
            int j = i + 1;
            if (year_ >= 2007) {
                while (j < length() && national_[j])
                    ++j;
            } else if (j < length() && national_[j]) {
                continue;
            }
            if (j < length() && names_[j] == None)
                names_[j] = Furikae;
        }
    }

    // From 1985-12-27 an ordinary weekday between two holidays is a rest day too. A substitute holiday keeps
    // its own name (before 2007 the act excluded it; since then it is one rest day either way).
    void sandwiched() {
        for (int i = 1; i + 1 < length(); ++i) {
            if (names_[i] == None && national_[i - 1] && national_[i + 1] && !isSunday(i) && onOrAfter(i, 1985, 12, 27))
                names_[i] = Kokumin;
        }
    }

    int year_;
    std::array<int, 14> start_{};
    int jan1Weekday_ = 0; // 0 = Sunday
    std::array<Name, 366> names_{};
    std::array<bool, 366> national_{};
};

} // namespace

std::array<QString, 32> lawHolidayNames(int year, int month) {
    std::array<QString, 32> out;
    const int days = daysInMonth(year, month);
    if (days == 0 || year < 1948)
        return out;
    const YearHolidays holidays(year);
    for (int d = 1; d <= days; ++d)
        out[d] = nameText(holidays.at(month, d));
    return out;
}

} // namespace tsuzuri
