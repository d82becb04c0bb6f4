#include "calendar/month.h"

#include "store/entry_table.h"

#include <QDate>

namespace tsuzuri {

int daysInMonth(int year, int month) {
    // Read from the same literal the page writer and the grid have always used.
    static constexpr char kLengths[] = "31 28 31 30 31 30 31 31 30 31 30 31";
    if (month < 1 || month > 12)
        return 0;
    const int at = (month - 1) * 3;
    int days = (kLengths[at] - '0') * 10 + (kLengths[at + 1] - '0');
    if (month == 2 && (year % 400 == 0 || (year % 4 == 0 && year % 100 != 0)))
        ++days;
    return days;
}

int weekdayOf(int year, int month, int day) {
    // Zeller-free: QDate counts the proleptic Gregorian calendar (Monday = 1 … Sunday = 7).
    return QDate(year, month, day).dayOfWeek() % 7 + 1;
}

std::optional<int> parseWholeNumber(QStringView text) {
    text = trimSpaces(text);
    qsizetype b = 0;
    const qsizetype e = text.size();
    if (b == e)
        return std::nullopt;
    bool negative = false;
    if (text[b] == u'+' || text[b] == u'-') {
        negative = text[b] == u'-';
        ++b;
    }
    if (b == e || e - b > 9)
        return std::nullopt;
    int value = 0;
    for (qsizetype i = b; i < e; ++i) {
        const char16_t c = text[i].unicode();
        if (c < u'0' || c > u'9')
            return std::nullopt;
        value = value * 10 + (c - u'0');
    }
    return negative ? -value : value;
}

bool isNumeric(QStringView text) {
    text = trimSpaces(text);
    qsizetype b = 0;
    const qsizetype e = text.size();
    if (b < e && (text[b] == u'+' || text[b] == u'-'))
        ++b;
    bool digits = false;
    bool point = false;
    for (qsizetype i = b; i < e; ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            digits = true;
        } else if (c == u'.' && !point) {
            point = true;
        } else {
            return false;
        }
    }
    return digits;
}

} // namespace tsuzuri
