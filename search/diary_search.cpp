#include "search/diary_search.h"

#include "search/text_folding.h"
#include "site/month_page_reader.h"
#include "store/paths.h"

#include <QDir>
#include <QFile>

#include <algorithm>
#include <array>
#include <atomic>
#include <thread>
#include <vector>

#include <sys/stat.h>

using namespace Qt::StringLiterals;

namespace tsuzuri::search {

namespace {

// Which characters (hashed into 1,024 bits) an entry's folded texts hold: a term with a character the
// entry lacks cannot occur in it, and most entries are passed over without reading their text.
using CharSet = std::array<quint64, 16>;

quint32 charBit(char16_t c) {
    return (quint32(c) * 0x9E3779B1u) >> 22;
}

void addChars(CharSet& set, QStringView text) {
    for (const QChar c : text) {
        const quint32 bit = charBit(c.unicode());
        set[bit >> 6] |= quint64(1) << (bit & 63);
    }
}

bool holdsAll(const CharSet& set, const CharSet& wanted) {
    for (size_t k = 0; k < set.size(); ++k) {
        if ((set[k] & wanted[k]) != wanted[k])
            return false;
    }
    return true;
}

// What tells an edited or replaced page from the one read before.
struct Stamp {
    qint64 size = -1;
    qint64 modified = 0; // nanoseconds
    qint64 changed = 0;  // nanoseconds; an atomic replacement changes it even when the time is set back
    quint64 device = 0;
    quint64 inode = 0;
    bool operator==(const Stamp&) const = default;
};

std::optional<Stamp> stampOf(const QString& path) {
    struct stat st;
    if (::stat(QFile::encodeName(path).constData(), &st) != 0 || !S_ISREG(st.st_mode))
        return std::nullopt;
    return Stamp{qint64(st.st_size), qint64(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                 qint64(st.st_ctim.tv_sec) * 1000000000 + st.st_ctim.tv_nsec, quint64(st.st_dev), quint64(st.st_ino)};
}

} // namespace

struct SearchIndex::Page {
    struct Entry {
        DiaryEntry original;
        FoldedText title, body, media;
        CharSet chars{};
        int dateKey = -1; // yyyymmdd of a date line of the usual form, for sorting
    };
    Stamp stamp;
    QString year, month;
    int monthKey = 0; // yyyymm
    Outcome outcome;
    QList<Entry> entries;
};

struct PreparedTerm {
    QString text; // folded unless exact
    bool exact = false;
    CharSet chars{};
};

struct SearchResult::Found {
    struct Searched {
        QString folder;
        std::shared_ptr<const SearchIndex::Page> page;
    };
    struct Hit {
        qsizetype page;  // in pages
        qsizetype entry; // in that page's entries
    };
    QList<Searched> pages;
    QList<Hit> hits;
    QList<PreparedTerm> terms;
};

SearchIndex::SearchIndex() = default;
SearchIndex::~SearchIndex() = default;

namespace {

using Page = SearchIndex::Page;

bool isSeparator(QChar c) {
    return c == u' ' || c == u'\u3000' || c == u'\t' || c == u'\r' || c == u'\n';
}

bool isQuote(QChar c) {
    return c == u'"' || c == u'\uFF02' || c == u'\u201C' || c == u'\u201D';
}

// The month pages of a diary folder, newest first: 200511.html and the like, month 01 to 12.
QStringList monthPages(const QString& diary) {
    QStringList pages =
        QDir(diary).entryList({u"[0-9][0-9][0-9][0-9][0-9][0-9].html"_s}, QDir::Files, QDir::Name | QDir::Reversed);
    pages.removeIf([](const QString& name) {
        const int month = QStringView(name).sliced(4, 2).toInt();
        return month < 1 || month > 12;
    });
    return pages;
}

// 2005年11月04日 → 20051104; anything else → -1.
int dateKeyOf(QStringView date) {
    if (date.size() != 11 || date[4] != u'年' || date[7] != u'月' || date[10] != u'日')
        return -1;
    bool ok[3];
    const int key =
        date.first(4).toInt(&ok[0]) * 10000 + date.sliced(5, 2).toInt(&ok[1]) * 100 + date.sliced(8, 2).toInt(&ok[2]);
    return ok[0] && ok[1] && ok[2] ? key : -1;
}

std::shared_ptr<const Page> readPage(const QString& home, const QString& folder, const QString& name,
                                     const Stamp& stamp) {
    auto page = std::make_shared<Page>();
    page->stamp = stamp;
    page->year = name.first(4);
    page->month = name.sliced(4, 2);
    page->monthKey = name.first(6).toInt();
    const MonthPageRead read = readMonthPageFile(home, folder, page->year, page->month);
    page->outcome = read.outcome;
    const EntryTable& table = read.page.entries;
    // A page that stopped inside an entry holds that entry's fields read so far one row further on.
    int last = table.count;
    if (!read.outcome.ok() && last < EntryTable::kLastRow && !(table.rows[last + 1] == DiaryEntry{}))
        ++last;
    page->entries.reserve(last);
    for (int r = 1; r <= last; ++r) {
        const DiaryEntry& e = table.rows[r];
        Page::Entry& entry = page->entries.emplace_back(
            Page::Entry{e, FoldedText(e.title), FoldedText(e.body), FoldedText(e.media), {}});
        addChars(entry.chars, entry.title.text());
        addChars(entry.chars, entry.body.text());
        addChars(entry.chars, entry.media.text());
        entry.dateKey = dateKeyOf(e.date);
    }
    return page;
}

bool occurs(const Page::Entry& e, const PreparedTerm& t) {
    if (!holdsAll(e.chars, t.chars))
        return false;
    if (t.exact)
        return e.original.title.contains(t.text) || e.original.body.contains(t.text) ||
               e.original.media.contains(t.text);
    return e.title.text().contains(t.text) || e.body.text().contains(t.text) || e.media.text().contains(t.text);
}

// Every place a term occurs in one field, in the original's positions, sorted and merged.
QList<TextRange> matchesIn(const QString& original, const FoldedText& folded, const QList<PreparedTerm>& terms) {
    QList<TextRange> ranges;
    for (const PreparedTerm& t : terms) {
        const QString& haystack = t.exact ? original : folded.text();
        for (qsizetype pos = haystack.indexOf(t.text); pos >= 0; pos = haystack.indexOf(t.text, pos + t.text.size())) {
            if (t.exact) {
                ranges.append({pos, t.text.size()});
            } else {
                const qsizetype start = folded.originalStart(pos);
                ranges.append({start, folded.originalEnd(pos + t.text.size()) - start});
            }
        }
    }
    std::sort(ranges.begin(), ranges.end(), [](const TextRange& a, const TextRange& b) { return a.start < b.start; });
    QList<TextRange> merged;
    for (const TextRange& r : std::as_const(ranges)) {
        if (!merged.isEmpty() && r.start <= merged.last().start + merged.last().length) {
            TextRange& m = merged.last();
            m.length = std::max(m.start + m.length, r.start + r.length) - m.start;
        } else {
            merged.append(r);
        }
    }
    return merged;
}

constexpr qsizetype kSnippetBefore = 30;
constexpr qsizetype kSnippetLength = 100;
constexpr QChar kEllipsis = u'\u2026';

// A stretch of the body around its first match, from the start of that match's line when the line
// starts close before it.
QString snippetOf(const QString& body, const QList<TextRange>& matches, QList<TextRange>& shown) {
    const qsizetype anchor = matches.isEmpty() ? 0 : matches.first().start;
    qsizetype from = std::max<qsizetype>(0, anchor - kSnippetBefore);
    const qsizetype lineStart = anchor > 0 ? body.lastIndexOf(u'\n', anchor - 1) : -1;
    if (lineStart >= from)
        from = lineStart + 1;
    qsizetype to = std::min(body.size(), from + kSnippetLength);
    if (!matches.isEmpty())
        to = std::max(to, std::min(body.size(), matches.first().start + matches.first().length));
    if (from > 0 && body[from].isLowSurrogate())
        --from;
    if (to < body.size() && body[to].isLowSurrogate())
        ++to;

    QString out;
    QList<qsizetype> at(to - from + 1); // where each body position lands in out
    if (from > 0)
        out.append(kEllipsis);
    for (qsizetype i = from; i < to; ++i) {
        at[i - from] = out.size();
        const QChar c = body[i];
        if (c == u'\r' && i + 1 < to && body[i + 1] == u'\n') {
            at[++i - from] = out.size();
            out.append(u' ');
        } else if (c == u'\r' || c == u'\n') {
            out.append(u' ');
        } else {
            out.append(c);
        }
    }
    at[to - from] = out.size();
    if (to < body.size())
        out.append(kEllipsis);

    for (const TextRange& m : matches) {
        const qsizetype s = std::max(m.start, from);
        const qsizetype e = std::min(m.start + m.length, to);
        if (s < e)
            shown.append({at[s - from], at[e - from] - at[s - from]});
    }
    return out;
}

SearchHit hitOf(const SearchResult::Found& found, qsizetype i) {
    const SearchResult::Found::Searched& where = found.pages[found.hits[i].page];
    const Page::Entry& e = where.page->entries[found.hits[i].entry];
    SearchHit hit;
    hit.folder = where.folder;
    hit.year = where.page->year;
    hit.month = where.page->month;
    hit.date = e.original.date;
    hit.title = e.original.title;
    hit.titleMatches = matchesIn(e.original.title, e.title, found.terms);
    hit.snippet = snippetOf(e.original.body, matchesIn(e.original.body, e.body, found.terms), hit.snippetMatches);
    hit.media = e.original.media;
    hit.mediaMatches = matchesIn(e.original.media, e.media, found.terms);
    return hit;
}

// Reads the pages on a few threads: decoding and folding a century takes most of the first search.
void readPages(const QString& home, const QList<std::pair<QString, QString>>& todo, const QList<Stamp>& stamps,
               std::vector<std::shared_ptr<const Page>>& read, const std::stop_token& stop) {
    read.assign(size_t(todo.size()), nullptr);
    std::atomic<qsizetype> next{0};
    const auto work = [&] {
        for (qsizetype k; (k = next++) < todo.size() && !stop.stop_requested();)
            read[size_t(k)] = readPage(home, todo[k].first, todo[k].second, stamps[k]);
    };
    const unsigned helpers = todo.size() < 16 ? 0 : std::min(std::max(std::thread::hardware_concurrency(), 1u), 4u) - 1;
    std::vector<std::jthread> threads;
    for (unsigned t = 0; t < helpers; ++t)
        threads.emplace_back(work);
    work();
}

QStringList foldersOf(const SearchScope& scope) {
    if (scope.folder)
        return {*scope.folder};
    QStringList folders = QDir(scope.home).entryList(QDir::Dirs | QDir::NoDotAndDotDot, QDir::Name);
    folders.removeAll(u"ini"_s);
    return folders;
}

} // namespace

Query parseQuery(QStringView typed) {
    Query query;
    const qsizetype n = typed.size();
    qsizetype i = 0;
    while (i < n) {
        if (isSeparator(typed[i])) {
            ++i;
        } else if (isQuote(typed[i])) {
            qsizetype j = i + 1;
            while (j < n && !isQuote(typed[j]))
                ++j;
            const QStringView phrase = typed.sliced(i + 1, j - i - 1);
            if (!phrase.trimmed().isEmpty())
                query.terms.append({phrase.toString(), true});
            i = j + 1;
        } else {
            qsizetype j = i;
            while (j < n && !isSeparator(typed[j]) && !isQuote(typed[j]))
                ++j;
            query.terms.append({typed.sliced(i, j - i).toString(), false});
            i = j;
        }
    }
    return query;
}

qsizetype SearchResult::hitCount() const {
    return m_found ? m_found->hits.size() : 0;
}

SearchHit SearchResult::hit(qsizetype i) const {
    return hitOf(*m_found, i);
}

QList<SearchHit> SearchResult::hits() const {
    QList<SearchHit> all;
    all.reserve(hitCount());
    for (qsizetype i = 0; i < hitCount(); ++i)
        all.append(hit(i));
    return all;
}

SearchResult searchDiary(SearchIndex& index, const SearchScope& scope, const Query& query, std::stop_token stop) {
    SearchResult result;
    if (query.isEmpty())
        return result;
    auto found = std::make_shared<SearchResult::Found>();
    for (const QueryTerm& t : query.terms) {
        PreparedTerm& p = found->terms.emplace_back(PreparedTerm{t.exact ? t.text : fold(t.text), t.exact, {}});
        // A phrase is matched on the text as typed, which the character sets do not describe.
        if (!t.exact)
            addChars(p.chars, p.text);
    }

    const std::lock_guard lock(index.m_mutex);
    // Which pages there are now, and which of them the index does not hold as they are.
    struct Listed {
        QString folder;
        QString path;
        Stamp stamp;
        std::shared_ptr<const Page> page;
    };
    QList<Listed> listed;
    QList<std::pair<QString, QString>> todo; // folder, page name
    QList<Stamp> todoStamps;
    QList<qsizetype> todoAt;
    const QStringList folders = foldersOf(scope);
    for (const QString& folder : folders) {
        const QString diary = paths::diaryFolder(scope.home, folder);
        const QHash<QString, std::shared_ptr<const Page>> known = index.m_pages.value(diary);
        for (const QString& name : monthPages(diary)) {
            const QString path = diary + u'/' + name;
            const std::optional<Stamp> stamp = stampOf(path);
            if (!stamp)
                continue;
            std::shared_ptr<const Page> page = known.value(path);
            if (!page || !(page->stamp == *stamp)) {
                page.reset();
                todoAt.append(listed.size());
                todo.append({folder, name});
                todoStamps.append(*stamp);
            }
            listed.append({folder, path, *stamp, page});
        }
    }
    std::vector<std::shared_ptr<const Page>> read;
    readPages(scope.home, todo, todoStamps, read, stop);
    for (qsizetype k = 0; k < todo.size(); ++k)
        listed[todoAt[k]].page = read[size_t(k)];
    result.pagesRead = int(std::count_if(read.cbegin(), read.cend(), [](const auto& p) { return p != nullptr; }));

    // The index now holds what is on disk; pages deleted since leave it. A stopped search keeps what
    // it read and forgets nothing else.
    if (stop.stop_requested()) {
        for (const Listed& l : std::as_const(listed)) {
            if (l.page)
                index.m_pages[paths::diaryFolder(scope.home, l.folder)].insert(l.path, l.page);
        }
        result.cancelled = true;
        return result;
    }
    for (const QString& folder : folders)
        index.m_pages[paths::diaryFolder(scope.home, folder)].clear();
    for (const Listed& l : std::as_const(listed))
        index.m_pages[paths::diaryFolder(scope.home, l.folder)].insert(l.path, l.page);

    int looked = 0;
    for (const Listed& l : std::as_const(listed)) {
        const Page& page = *l.page;
        if (!page.outcome.ok())
            result.incomplete.append({l.folder, page.year + page.month + u".html"_s, page.outcome});
        found->pages.append({l.folder, l.page});
        for (qsizetype j = 0; j < page.entries.size(); ++j) {
            if (++looked % 256 == 0 && stop.stop_requested()) {
                result.incomplete.clear();
                result.cancelled = true;
                return result;
            }
            const Page::Entry& e = page.entries[j];
            if (std::all_of(found->terms.cbegin(), found->terms.cend(),
                            [&](const PreparedTerm& t) { return occurs(e, t); }))
                found->hits.append({found->pages.size() - 1, j});
        }
    }
    // Newest first across folders: by the page's month, then the entry's date line; ties keep the page order.
    const auto& pages = found->pages;
    std::stable_sort(found->hits.begin(), found->hits.end(),
                     [&](const SearchResult::Found::Hit& a, const SearchResult::Found::Hit& b) {
                         const auto& pa = pages[a.page];
                         const auto& pb = pages[b.page];
                         if (pa.page->monthKey != pb.page->monthKey)
                             return pa.page->monthKey > pb.page->monthKey;
                         const Page::Entry& ea = pa.page->entries[a.entry];
                         const Page::Entry& eb = pb.page->entries[b.entry];
                         if (ea.dateKey != eb.dateKey)
                             return ea.dateKey > eb.dateKey;
                         if (ea.dateKey < 0 && ea.original.date != eb.original.date)
                             return ea.original.date > eb.original.date;
                         return a.page != b.page && pa.folder < pb.folder;
                     });
    std::stable_sort(result.incomplete.begin(), result.incomplete.end(),
                     [](const UnreadMonth& a, const UnreadMonth& b) { return a.page > b.page; });
    result.m_found = std::move(found);
    return result;
}

} // namespace tsuzuri::search
