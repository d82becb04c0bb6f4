#pragma once

#include "calendar/holidays.h"
#include "store/entry_table.h"
#include "store/outcome.h"

#include <QByteArray>
#include <QString>

#include <array>

namespace tsuzuri {

// Everything one month page is made of, as the window holds it at the moment of writing.
struct MonthPageInput {
    QString year;  // four digits, as the hidden label holds it
    QString month; // two digits, "01" .. "12"
    QString siteTitle; // line breaks CR LF
    LinkPairs links{};
    EntryTable entries;
    QString imageWidth, imageHeight;
    QString videoWidth, videoHeight;
    bool originalSize = false;
    QString ftpHost;
    QString remoteDir;
    HolidayRules holidays = HolidayRules::Law;
};

struct RenderedPage {
    QByteArray bytes;   // code page 932, CR LF, lone CRs inside the week rows
    LinkPairs links{};  // the link pairs with their paths completed (".html" appended where missing)
};

struct RenderResult {
    Outcome outcome; // MediaNamesUnterminated, or ErrorOccurred for a year or month that names no month
    RenderedPage page;
};

// A title as a page's <title> shows it: its first line, every <...> tag taken out, spaces trimmed.
QString plainTitle(QStringView text);

// The month page, byte for byte, without touching the disk.
RenderResult renderMonthPage(const MonthPageInput& input);

// Renders the page and replaces <home>/<folder>/<year><month>.html atomically. On any failure nothing
// on disk changes. completedLinks (may be null) receives the completed link pairs on success.
// A page on disk that does not read back whole (its read's outcome says why) is refused, unless
// backupOfUnreadable is given: then it is first copied to <page>.bak (or the next free .bak.N), whose
// path goes there. Something other than a regular file in the diary folder is always refused.
Outcome MakeMonthHtml(const QString& home, const QString& folder, const MonthPageInput& input,
                      LinkPairs* completedLinks = nullptr, QString* backupOfUnreadable = nullptr);

// The day (1..31) that a date line names in the month, written as the writer writes it
// (2005年11月04日); 0 when it names no day of the month.
int dayOfDate(QStringView date, const QString& year, const QString& month);

} // namespace tsuzuri
