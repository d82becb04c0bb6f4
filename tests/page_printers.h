#pragma once

// Readable GoogleTest failure output for the month page types (found by argument-dependent lookup).

#include "store/entry_table.h"
#include "site/month_page_reader.h"

#include "qt_printers.h"

#include <ostream>

namespace tsuzuri {

inline std::string printable(const QString& s) {
    QString shown = s;
    shown.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
    return '"' + shown.toStdString() + '"';
}

inline void PrintTo(const DiaryEntry& e, std::ostream* os) {
    *os << "{title " << printable(e.title) << ", body " << printable(e.body) << ", date " << printable(e.date)
        << ", media " << printable(e.media) << '}';
}

inline void PrintTo(const LinkPair& l, std::ostream* os) {
    *os << '{' << printable(l.title) << " -> " << printable(l.path) << '}';
}

inline void PrintTo(const MonthPage& p, std::ostream* os) {
    *os << "{site title " << (p.siteTitle ? printable(*p.siteTitle) : std::string("none")) << ", " << p.entries.count
        << " entries:";
    for (int j = 1; j <= p.entries.count; ++j) {
        *os << ' ';
        PrintTo(p.entries.rows[j], os);
    }
    *os << '}';
}

} // namespace tsuzuri
