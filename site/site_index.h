#pragma once

#include "site/month_page_reader.h"
#include "site/month_page_writer.h"
#include "store/outcome.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>

#include <memory>

namespace tsuzuri {

// One month of the published diary, as read back from its page.
struct SiteMonth {
    QString year;                          // four digits
    QString month;                         // two digits
    std::shared_ptr<const MonthPage> page; // shared with the pages kept in memory
};

// The month pages of a diary folder, newest first, and the names of those that did not read completely.
struct SiteMonths {
    QList<SiteMonth> months;
    QStringList skipped;
};
// The pages read are kept in memory; a later call reads again only those whose size or time of change
// differs.
SiteMonths readSiteMonths(const QString& home, const QString& folder);
// Drops the pages kept in memory (a benchmark of the first rebuild).
void forgetSitePages();

// index.html: every month, newest first, with its entry count and a link to each entry (code page 932,
// CR LF, the month pages' head lines and templates).
QByteArray renderSiteIndex(const QList<SiteMonth>& months);
// feed.xml: an Atom feed (UTF-8) of the newest 20 entries. folder makes the entry ids differ between
// diaries.
QByteArray renderSiteFeed(const QList<SiteMonth>& months, const QString& folder);

// Rebuilds <home>/<folder>/index.html and feed.xml from the month pages on disk, each replaced
// atomically. Outcomes, after writing what could be written: WriteFailed (that file is as it was),
// SiteFileNotOurs (a file of that name that this program did not write is kept), SiteMonthsSkipped
// (pages that did not read completely are left out).
Outcome writeSiteIndex(const QString& home, const QString& folder);

// One page write of the diary: the month page, then index.html and feed.xml.
struct PublishResult {
    Outcome page;  // as writeMonthPage; when it failed nothing was written
    Outcome index; // as writeSiteIndex; success when the page failed (nothing was tried)
};
PublishResult publishMonthPage(const QString& home, const QString& folder, const MonthPageInput& input,
                               LinkPairs* completedLinks = nullptr, QString* backupOfUnreadable = nullptr);

// Many page writes as one (a bulk import): the prepared pages written as one batch (writeMonthPages),
// then index.html and feed.xml rebuilt once. A page's readBack, when given, is taken for what the page
// reads back as instead of reading it again.
PublishResult publishMonthPages(const QString& home, const QString& folder, const QList<PreparedPage>& pages,
                                QStringList* backups = nullptr, const std::function<void(qsizetype)>& staged = {});

} // namespace tsuzuri
