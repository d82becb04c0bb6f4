#include "store/month_page_reader.h"

namespace tsuzuri {

MonthPageRead parseMonthPage(QByteArrayView, const QString&) { return {}; }
MonthPageRead readMonthPageFile(const QString&, const QString&, const QString&, const QString&) { return {}; }

} // namespace tsuzuri
