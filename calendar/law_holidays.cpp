#include "calendar/law_holidays.h"

namespace tsuzuri {

std::array<QString, 32> lawHolidayNames(int, int) { return {}; }

} // namespace tsuzuri
