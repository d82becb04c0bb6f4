#pragma once

// Readable GoogleTest failure output for Qt types (found by argument-dependent lookup).

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <ostream>

inline void PrintTo(const QString& s, std::ostream* os) { *os << '"' << s.toStdString() << '"'; }
inline void PrintTo(QStringView s, std::ostream* os) { *os << '"' << s.toString().toStdString() << '"'; }
inline void PrintTo(const QStringList& l, std::ostream* os) {
    *os << '[';
    for (qsizetype i = 0; i < l.size(); ++i)
        *os << (i ? ", \"" : "\"") << l[i].toStdString() << '"';
    *os << ']';
}
inline void PrintTo(const QByteArray& b, std::ostream* os) {
    *os << "bytes(" << b.size() << ") \"" << b.left(400).toStdString() << (b.size() > 400 ? "…" : "") << '"';
}
