#pragma once

#include <QString>

#include <array>

namespace tsuzuri {

// The national holidays of one month as the Act on National Holidays has them (1948 onward), with
// substitute holidays ("振替休日"), sandwiched days ("国民の休日") and the one-off days.
// Index = day 1..31; an empty text means an ordinary day. Months before the Act have none.
std::array<QString, 32> lawHolidayNames(int year, int month);

} // namespace tsuzuri
