#include "site/site_index.h"

#include "calendar/month.h"
#include "site/page_format.h"
#include "store/paths.h"
#include "store/textfile.h"

#include <QDateTime>
#include <QDir>
#include <QFileInfo>
#include <QHash>
#include <QMutex>
#include <QRegularExpression>
#include <QUuid>

#include <algorithm>
#include <memory>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

// What marks index.html and feed.xml as ours: a file of either name without it was put there by
// someone else and is never replaced.
constexpr char kIndexMark[] = "<meta name=\"generator\" content=\"Tsuzuri\">";
constexpr char kFeedMark[] = "<generator>Tsuzuri</generator>";
constexpr int kFeedEntries = 20;

struct SiteEntry {
    const SiteMonth* month;
    const DiaryEntry* entry;
    int day; // 0: the date line names no day of the page's month (a hand-edited page)
};

bool isAsciiDigit(QChar c) {
    return c >= u'0' && c <= u'9';
}

int dayOf(const SiteMonth& m, const DiaryEntry& e) {
    const QString prefix = m.year + u'年' + m.month + u'月';
    const QStringView date(e.date);
    if (date.size() != prefix.size() + 3 || !date.startsWith(prefix) || !date.endsWith(u'日') ||
        !isAsciiDigit(date[prefix.size()]) || !isAsciiDigit(date[prefix.size() + 1]))
        return 0;
    const int day = date.sliced(prefix.size(), 2).toInt();
    return day >= 1 && day <= daysInMonth(m.year.toInt(), m.month.toInt()) ? day : 0;
}

// A month's entries newest day first; entries of one day keep their page order, which is the writer's.
QList<SiteEntry> entriesOf(const SiteMonth& m) {
    QList<SiteEntry> list;
    const EntryTable& table = m.page->entries;
    list.reserve(table.count);
    for (int j = 1; j <= table.count; ++j)
        list.append({&m, &table.rows[j], dayOf(m, table.rows[j])});
    std::stable_sort(list.begin(), list.end(), [](const SiteEntry& a, const SiteEntry& b) { return a.day > b.day; });
    return list;
}

QString pageName(const SiteMonth& m) {
    return paths::monthPageName(m.year, m.month);
}

QString entryLink(const SiteEntry& e) {
    return e.day ? pageName(*e.month) + u"#name"_s + QString::number(e.day) : pageName(*e.month);
}

// The newest site title the pages hold, without its markup.
QString siteTitle(const QList<SiteMonth>& months) {
    for (const SiteMonth& m : months) {
        if (m.page->siteTitle && !plainTitle(*m.page->siteTitle).isEmpty())
            return plainTitle(*m.page->siteTitle);
    }
    return {};
}

// A "<" left after the tags were taken out (one never closed) must not open a tag in the index.
QString htmlText(const QString& plain) {
    return plain.contains(u'<') ? QString(plain).replace(u'<', u"&lt;"_s) : plain;
}

// XML text: the five markup characters escaped, characters XML 1.0 cannot hold (control characters,
// lone surrogates) left out, so the feed always parses.
QString xmlText(QStringView text) {
    QString out;
    out.reserve(text.size());
    for (qsizetype i = 0; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c.isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            out += c;
            out += text[++i];
            continue;
        }
        const char16_t u = c.unicode();
        if ((u < 0x20 && u != u'\t' && u != u'\n' && u != u'\r') || c.isSurrogate() || u == 0xFFFE || u == 0xFFFF)
            continue;
        switch (u) {
        case u'&':
            out += u"&amp;"_s;
            break;
        case u'<':
            out += u"&lt;"_s;
            break;
        case u'>':
            out += u"&gt;"_s;
            break;
        case u'"':
            out += u"&quot;"_s;
            break;
        default:
            out += c;
            break;
        }
    }
    return out;
}

// Diary dates are Japanese days: midnight in Japan.
QString atomDate(const SiteMonth& m, int day) {
    return m.year + u'-' + m.month + u'-' + QString::asprintf("%02d", std::max(day, 1)) + u"T00:00:00+09:00"_s;
}

QString uuidUrn(const QString& name) {
    // A namespace of our own: the same entry gets the same id at every rebuild.
    static const QUuid ns(u"9fa573bf-ef1b-4011-96f1-bd7d21ded553"_s);
    return u"urn:uuid:"_s + QUuid::createUuidV5(ns, name).toString(QUuid::WithoutBraces);
}

// The pages earlier rebuilds read, by diary folder and file name, with the size and time of change they
// had then: a rebuild reads again only the pages changed since, so one page write in a century of
// diary does not read the other 1,199 pages again.
struct CachedPage {
    qint64 size = -1;
    QDateTime modified;
    bool complete = false;
    std::shared_ptr<const MonthPage> page;
};

QMutex& cacheLock() {
    static QMutex lock;
    return lock;
}

QHash<QString, QHash<QString, CachedPage>>& pageCache() {
    static QHash<QString, QHash<QString, CachedPage>> cache;
    return cache;
}

void forgetPage(const QString& home, const QString& folder, const QString& name) {
    const QMutexLocker lock(&cacheLock());
    pageCache()[QDir(paths::diaryFolder(home, folder)).absolutePath()].remove(name);
}

} // namespace

SiteMonths readSiteMonths(const QString& home, const QString& folder) {
    static const QRegularExpression pageName(u"^(\\d{4})(0[1-9]|1[0-2])\\.html$"_s);
    SiteMonths site;
    const QDir diary(paths::diaryFolder(home, folder));
    const QFileInfoList files = diary.entryInfoList({u"*.html"_s}, QDir::Files, QDir::Name | QDir::Reversed);
    const QMutexLocker lock(&cacheLock());
    QHash<QString, CachedPage>& known = pageCache()[diary.absolutePath()];
    QHash<QString, CachedPage> seen;
    for (const QFileInfo& file : files) {
        const QRegularExpressionMatch match = pageName.match(file.fileName());
        if (!match.hasMatch())
            continue;
        SiteMonth m{match.captured(1), match.captured(2), {}};
        CachedPage page = known.take(file.fileName());
        if (page.size != file.size() || page.modified != file.lastModified()) {
            MonthPageRead read = readMonthPageFile(home, folder, m.year, m.month);
            page = {file.size(), file.lastModified(), read.outcome.ok(),
                    std::make_shared<const MonthPage>(std::move(read.page))};
        }
        if (page.complete) {
            m.page = page.page;
            site.months.append(std::move(m));
        } else {
            site.skipped.append(file.fileName());
        }
        seen.insert(file.fileName(), std::move(page));
    }
    known = std::move(seen); // pages that are gone are forgotten
    return site;
}

void forgetSitePages() {
    const QMutexLocker lock(&cacheLock());
    pageCache().clear();
}

QByteArray renderSiteIndex(const QList<SiteMonth>& months) {
    const QString site = siteTitle(months);
    QString html;
    html.reserve(4096 + months.size() * 2048);
    const auto line = [&html](QStringView text) {
        html += text;
        html += textfile::kCrLf;
    };
    line(head::kDoctype);
    line(u"<html>");
    line(u"<head>");
    line(head::kContentType);
    line(head::kViewport);
    line(QString::fromLatin1(kIndexMark));
    line(u"<title>"_s + (site.isEmpty() ? u"目次"_s : site + u" 目次"_s) + u"</title>"_s);
    line(head::kStylesheet);
    line(head::kScript);
    line(u"<link rel=\"alternate\" type=\"application/atom+xml\" href=\"feed.xml\">");
    line(u"</head>");
    line(u"<body>");
    line(u"<div class=\"top\">");
    line(htmlText(site));
    line(u"</div>");
    line(u"<div class=\"contents\">");
    line(u"<div class=\"diary index\">");
    for (const SiteMonth& m : months) {
        line(u"<h2 class=\"dtitle\"><a href=\""_s + pageName(m) + u"\">"_s + m.year + u'年' + m.month +
             u"月</a></h2>"_s);
        line(u"<p class=\"icount\">"_s + QString::number(m.page->entries.count) + u"件</p>"_s);
        const QList<SiteEntry> entries = entriesOf(m);
        if (entries.isEmpty()) {
            line(u"<hr>");
            continue;
        }
        line(u"<ul>");
        for (const SiteEntry& e : entries) {
            html += u"<li><a href=\""_s;
            html += entryLink(e);
            html += u"\">"_s;
            if (e.day) {
                html += m.month;
                html += u'月';
                html += QChar(u'0' + e.day / 10);
                html += QChar(u'0' + e.day % 10);
                html += u'日';
            } else {
                html += htmlText(plainTitle(e.entry->date));
            }
            if (const QString title = plainTitle(e.entry->title); !title.isEmpty()) {
                html += u' ';
                html += htmlText(title);
            }
            line(u"</a></li>");
        }
        line(u"</ul>");
        line(u"<hr>");
    }
    line(u"</div>");
    line(u"</div>");
    line(u"</body>");
    line(u"</html>");
    return textfile::encode(html);
}

QByteArray renderSiteFeed(const QList<SiteMonth>& months, const QString& folder) {
    QList<SiteEntry> newest;
    for (qsizetype k = 0; k < months.size() && newest.size() < kFeedEntries; ++k)
        newest += entriesOf(months[k]).first(
            std::min<qsizetype>(months[k].page->entries.count, kFeedEntries - newest.size()));
    const QString site = siteTitle(months);
    const QString name = xmlText(site.isEmpty() ? u"日記"_s : site);
    QString updated = u"1900-01-01T00:00:00+09:00"_s;
    if (!newest.isEmpty())
        updated = atomDate(*newest.first().month, newest.first().day);
    else if (!months.isEmpty())
        updated = atomDate(months.first(), 1);

    QString xml = u"<?xml version=\"1.0\" encoding=\"utf-8\"?>\n"
                  u"<feed xmlns=\"http://www.w3.org/2005/Atom\">\n"_s;
    xml += u"  <title type=\"html\">"_s + name + u"</title>\n"_s;
    xml += u"  <id>"_s + uuidUrn(folder + u"/feed.xml"_s) + u"</id>\n"_s;
    xml += u"  <updated>"_s + updated + u"</updated>\n"_s;
    xml += u"  <author><name>"_s + name + u"</name></author>\n"_s;
    xml += u"  <link rel=\"alternate\" type=\"text/html\" href=\"index.html\"/>\n"_s;
    xml += u"  <link rel=\"self\" type=\"application/atom+xml\" href=\"feed.xml\"/>\n"_s;
    xml += u"  "_s + QString::fromLatin1(kFeedMark) + u'\n';
    for (const SiteEntry& e : newest) {
        const DiaryEntry& d = *e.entry;
        // Titles and bodies are the page's own HTML; the feed carries them as such, escaped.
        const QString title = trimSpaces(d.title).isEmpty() ? d.date : d.title;
        const QString body = QString(d.body).replace(u"\r\n"_s, u"<br>\n"_s);
        xml += u"  <entry>\n"_s;
        xml += u"    <title type=\"html\">"_s + xmlText(title) + u"</title>\n"_s;
        xml += u"    <id>"_s + uuidUrn(folder + u'/' + pageName(*e.month) + u'/' + d.date) + u"</id>\n"_s;
        xml += u"    <updated>"_s + atomDate(*e.month, e.day) + u"</updated>\n"_s;
        xml += u"    <link rel=\"alternate\" type=\"text/html\" href=\""_s + xmlText(entryLink(e)) + u"\"/>\n"_s;
        xml += u"    <content type=\"html\">"_s + xmlText(body) + u"</content>\n"_s;
        xml += u"  </entry>\n"_s;
    }
    xml += u"</feed>\n"_s;
    return xml.toUtf8();
}

Outcome writeSiteIndex(const QString& home, const QString& folder) {
    const SiteMonths site = readSiteMonths(home, folder);
    Outcome result;
    const auto put = [&](const QString& name, const QByteArray& bytes, const char* mark) {
        const QString path = paths::diaryFolder(home, folder) + u'/' + name;
        Outcome o;
        if (QFileInfo::exists(path)) {
            const std::optional<QByteArray> old = QFileInfo(path).isFile() ? textfile::readFile(path) : std::nullopt;
            if (!old || !old->contains(mark))
                o = Outcome::failure(Msg::SiteFileNotOurs, {name});
            else if (*old == bytes)
                return; // unchanged: no write, and the upload list's time stays
        }
        if (o.ok())
            o = textfile::writeFileAtomically(path, bytes);
        if (result.ok())
            result = o;
    };
    put(u"index.html"_s, renderSiteIndex(site.months), kIndexMark);
    put(u"feed.xml"_s, renderSiteFeed(site.months, folder), kFeedMark);
    if (result.ok() && !site.skipped.isEmpty())
        result = Outcome::failure(Msg::SiteMonthsSkipped, {site.skipped.join(textfile::kCrLf)});
    return result;
}

PublishResult publishMonthPage(const QString& home, const QString& folder, const MonthPageInput& input,
                               LinkPairs* completedLinks, QString* backupOfUnreadable) {
    PublishResult r;
    r.page = writeMonthPage(home, folder, input, completedLinks, backupOfUnreadable);
    if (!r.page.ok())
        return r;
    // Written within the same millisecond at the same size, the page would look unchanged.
    forgetPage(home, folder, paths::monthPageName(input.year, input.month));
    r.index = writeSiteIndex(home, folder);
    return r;
}

PublishResult publishMonthPages(const QString& home, const QString& folder, const QList<PreparedPage>& pages,
                                QStringList* backups, const std::function<void(qsizetype)>& staged) {
    PublishResult r;
    r.page = writeMonthPages(pages, backups, staged);
    if (!r.page.ok())
        return r;
    {
        // What the pages read back as is known already: the rebuild below need not read them again.
        const QMutexLocker lock(&cacheLock());
        QHash<QString, CachedPage>& known = pageCache()[QDir(paths::diaryFolder(home, folder)).absolutePath()];
        for (const PreparedPage& page : pages) {
            const QFileInfo file(page.path);
            if (page.readBack)
                known.insert(file.fileName(), {file.size(), file.lastModified(), true, page.readBack});
            else
                known.remove(file.fileName());
        }
    }
    r.index = writeSiteIndex(home, folder);
    return r;
}

} // namespace tsuzuri
