#pragma once

#include "calendar/holidays.h"
#include "store/entry_table.h"
#include "store/outcome.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>

namespace tsuzuri {

struct MonthPage;

// Everything one month page is made of, as the window holds it at the moment of writing.
struct MonthPageInput {
    QString year;      // four digits, as the hidden label holds it
    QString month;     // two digits, "01" .. "12"
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
    QByteArray bytes;  // code page 932, CR LF, lone CRs inside the week rows
    LinkPairs links{}; // the link pairs with their paths completed (".html" appended where missing)
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
Outcome writeMonthPage(const QString& home, const QString& folder, const MonthPageInput& input,
                      LinkPairs* completedLinks = nullptr, QString* backupOfUnreadable = nullptr);

// A month page rendered and checked against what lies under its name, ready to be written.
struct PreparedPage {
    QString path;
    QByteArray bytes;
    LinkPairs links{};                         // completed, as RenderedPage
    bool replacesUnreadable = false;           // the page there does not read back whole: it is kept as .bak first
    std::shared_ptr<const MonthPage> readBack; // what bytes read back as (parseMonthPage), when the caller read them
};

// Everything writeMonthPage does before it writes: renders the page and checks what lies under its name,
// with the same outcomes (replaceUnreadable: as a backupOfUnreadable given). Writes nothing.
Outcome prepareMonthPage(const QString& home, const QString& folder, const MonthPageInput& input,
                         bool replaceUnreadable, PreparedPage& page);

// Writes prepared pages as one batch (textfile::writeFilesAtomically): the pages that replace an
// unreadable one are first copied to .bak (their paths go to backups, may be null); then every page is
// replaced atomically, and all are on the disk when it returns. On a failure before the pages are
// renamed into place none is written. staged (may be empty) hears how many pages are written so far.
Outcome writeMonthPages(const QList<PreparedPage>& pages, QStringList* backups = nullptr,
                        const std::function<void(qsizetype)>& staged = {});

// The day (1..31) that a date line names in the month, written as the writer writes it
// (2005年11月04日); 0 when it names no day of the month.
int dayOfDate(QStringView date, const QString& year, const QString& month);

} // namespace tsuzuri
