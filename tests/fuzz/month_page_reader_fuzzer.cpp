// libFuzzer entry: the reader on the input as a page, and the round trip of a month the input picks.

#include "site/month_page_reader.h"
#include "tests/structure_shaped_text.h"

#include <QByteArrayView>
#include <QString>

#include <cstddef>
#include <cstdint>
#include <cstdlib>

namespace {

using namespace Qt::StringLiterals;
using namespace tsuzuri;

void readAsAPage(QByteArrayView data) {
    const MonthPageRead r = parseMonthPage(data, u"fuzz.html"_s);
    const EntryTable& t = r.page.entries;
    if (t.count < 0 || t.count > EntryTable::kLastRow || !(t.rows[0] == DiaryEntry{}))
        std::abort();
    if (!r.outcome.ok() && r.outcome.msg != Msg::PageTooManyEntries && r.outcome.msg != Msg::PageIncomplete)
        std::abort();
}

void roundTrip(QByteArrayView data) {
    qsizetype at = 0;
    const MonthPageInput in =
        structureShapedMonth([&](int n) { return at < data.size() ? static_cast<unsigned char>(data[at++]) % n : 0; });
    const RenderResult written = renderMonthPage(in);
    if (!written.outcome.ok())
        std::abort();
    const MonthPageRead read = parseMonthPage(written.page.bytes, u"fuzz.html"_s);
    if (!read.outcome.ok() || !(read.page == MonthPage{in.entries, written.page.links, in.siteTitle}))
        std::abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArrayView input(data, static_cast<qsizetype>(size));
    readAsAPage(input);
    roundTrip(input);
    return 0;
}
