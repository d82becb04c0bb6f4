#pragma once

// Builders for the month page suites, and readable GoogleTest output for the page types.

#include "diary/messages.h"
#include "site/month_page_reader.h"
#include "site/month_page_writer.h"
#include "store/textfile.h"

#include "qt_printers.h"

#include <gtest/gtest.h>

#include <ostream>

namespace tsuzuri {

// A month as the boxes hold it, with the default image and video sizes and an upload address.
inline MonthPageInput month(int year, int month, const QString& siteTitle = {}) {
    using namespace Qt::StringLiterals;
    MonthPageInput in;
    in.year = QString::number(year);
    in.month = u"%1"_s.arg(month, 2, 10, QChar(u'0'));
    in.siteTitle = siteTitle;
    in.imageWidth = in.videoWidth = u"320"_s;
    in.imageHeight = u"240"_s;
    in.videoHeight = u"256"_s;
    in.ftpHost = u"example.com"_s;
    in.remoteDir = u"www/diary"_s;
    return in;
}

inline QString dateOf(const MonthPageInput& in, int day) {
    return dateLine(in.year, in.month, QString::asprintf("%02d", day));
}

inline void add(MonthPageInput& in, const QString& date, const QString& title, const QString& body = {},
                const QString& media = {}) {
    in.entries.rows[++in.entries.count] = DiaryEntry{title, body, date, media};
}

inline void add(MonthPageInput& in, int day, const QString& title, const QString& body = {},
                const QString& media = {}) {
    add(in, dateOf(in, day), title, body, media);
}

// The page as written, plainly decoded (references stay as they stand).
inline QString pageText(const MonthPageInput& in) {
    const RenderResult r = renderMonthPage(in);
    EXPECT_TRUE(r.outcome.ok()) << messageText(r.outcome).toStdString();
    return textfile::decode(r.page.bytes);
}

inline MonthPageRead parse(const QString& pageText, const QString& name = QStringLiteral("200511.html")) {
    return parseMonthPage(textfile::encode(pageText), name);
}

inline std::string printable(const QString& s) {
    QString shown = s;
    shown.replace(u'\r', QStringLiteral("\\r")).replace(u'\n', QStringLiteral("\\n"));
    return '"' + shown.toStdString() + '"';
}

inline void PrintTo(const DiaryEntry& e, std::ostream* os) {
    *os << "{title " << printable(e.title) << ", body " << printable(e.body) << ", date " << printable(e.date)
        << ", media " << printable(e.media) << '}';
}

inline void PrintTo(const MonthPage& p, std::ostream* os) {
    *os << "{site title " << (p.siteTitle ? printable(*p.siteTitle) : std::string("none")) << ", entries:";
    for (int j = 1; j <= p.entries.count; ++j)
        PrintTo(p.entries.rows[j], os);
    *os << '}';
}

} // namespace tsuzuri
