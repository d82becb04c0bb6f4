// libFuzzer entry for the month page reader; the seeded loop in the test suite covers the same ground
// on every build, this explores further when run by hand (see tests/CMakeLists.txt).

#include "site/month_page_reader.h"

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const tsuzuri::MonthPageRead r =
        tsuzuri::parseMonthPage(QByteArrayView(data, static_cast<qsizetype>(size)), QStringLiteral("fuzz.html"));
    const tsuzuri::EntryTable& t = r.page.entries;
    if (t.count < 0 || t.count > tsuzuri::EntryTable::kLastRow || !(t.rows[0] == tsuzuri::DiaryEntry{}))
        std::abort();
    if (!r.outcome.ok() && r.outcome.msg != tsuzuri::Msg::PageTooManyEntries &&
        r.outcome.msg != tsuzuri::Msg::PageIncomplete)
        std::abort();
    return 0;
}
