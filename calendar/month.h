#pragma once

#include <QStringView>

#include <optional>

namespace tsuzuri {

// Days of a month from the literal "31 28 31 …" table; February gets one more in a leap year.
int daysInMonth(int year, int month);

// 1 = Sunday, 2 = Monday, … 7 = Saturday (proleptic Gregorian calendar).
int weekdayOf(int year, int month, int day);

// A whole number in half-width digits, optionally signed and surrounded by spaces ("2005", " 3").
// Fractions ("2005.5", "3.0"), full-width digits and anything else give nothing.
std::optional<int> parseWholeNumber(QStringView text);

// The generate command's looser test: a whole or decimal number ("2005", "-1", "2005.5").
bool isNumeric(QStringView text);

} // namespace tsuzuri
