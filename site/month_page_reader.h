#pragma once

#include "store/entry_table.h"
#include "store/outcome.h"

#include <QByteArrayView>
#include <QString>

#include <optional>

namespace tsuzuri {

// What a month page holds.
struct MonthPage {
    EntryTable entries;
    LinkPairs links{};
    std::optional<QString> siteTitle; // nothing when the page has no site-name line
    bool operator==(const MonthPage&) const = default;
};

struct MonthPageRead {
    // PageUnreadable / PageTooManyEntries / PageIncomplete name the page; the page then holds what was read.
    Outcome outcome;
    MonthPage page;
    bool exists = true; // false: no page for the month (not an error; the month is empty)
};

// Reads a page's bytes by the markers the writer puts around each field. pageName is used in errors.
MonthPageRead parseMonthPage(QByteArrayView bytes, const QString& pageName);

// Reads <home>/<folder>/<year><month>.html. A missing page is an empty month, not an error.
MonthPageRead readMonthPageFile(const QString& home, const QString& folder, const QString& year,
                                const QString& month);

} // namespace tsuzuri
