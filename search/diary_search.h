#pragma once

#include "store/outcome.h"

#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>
#include <QStringView>

#include <memory>
#include <mutex>
#include <optional>
#include <stop_token>

namespace tsuzuri::search {

// One typed term. A plain term is found whatever its case, width (NFKC) or kana (hiragana or
// katakana); a quoted phrase ("…" or ＂…＂) only as typed, spaces included.
struct QueryTerm {
    QString text;
    bool exact = false;
    bool operator==(const QueryTerm&) const = default;
};

// What the search box holds: terms separated by spaces (ASCII or ideographic), every one of which must
// occur in an entry's title, body or media names. An unclosed quote runs to the end.
struct Query {
    QList<QueryTerm> terms;
    bool isEmpty() const { return terms.isEmpty(); }
};
Query parseQuery(QStringView typed);

// Where to look: one diary folder of the program folder, or (no folder) every diary folder in it.
struct SearchScope {
    QString home;
    std::optional<QString> folder;
};

// A stretch of a shown text, in UTF-16 units, for highlighting.
struct TextRange {
    qsizetype start = 0;
    qsizetype length = 0;
    bool operator==(const TextRange&) const = default;
};

// One matching entry. The year and month are those of its page (what a window shows to reach it); the
// date is the entry's own date line.
struct SearchHit {
    QString folder;
    QString year;
    QString month;
    QString date;
    QString title;
    QList<TextRange> titleMatches;
    QString snippet; // a stretch of the body around its first match (or its start), line breaks as spaces
    QList<TextRange> snippetMatches;
    QString media;
    QList<TextRange> mediaMatches;
};

// A month whose page did not read completely: it was searched as far as it read.
struct UnreadMonth {
    QString folder;
    QString page;    // 200511.html
    Outcome outcome; // the reader's: PageUnreadable, PageTooManyEntries or PageIncomplete
};

class SearchIndex;

// What a search found. The hits are kept as references into the pages read and made into SearchHits
// (snippet, highlights) only when asked for: a one-letter search that finds every entry costs no more
// than the rows a window shows. Copies are cheap and may be read from any thread.
class SearchResult {
public:
    qsizetype hitCount() const;
    SearchHit hit(qsizetype i) const; // 0 is the newest
    QList<SearchHit> hits() const;    // every hit, newest first

    QList<UnreadMonth> incomplete; // newest first
    bool cancelled = false;        // stopped early: nothing found is to be shown
    int pagesRead = 0;             // pages this search read from disk (new or changed ones)

    struct Found;

private:
    friend SearchResult searchDiary(SearchIndex&, const SearchScope&, const Query&, std::stop_token);
    std::shared_ptr<const Found> m_found;
};

// What was read of every page searched so far, keyed by its path, size, modification and change times
// and file identity, so a later search reads again only the pages written since. One index serves any
// number of searches, one at a time: a search waits for the one before it to end (stop that one to
// hurry it).
class SearchIndex {
public:
    SearchIndex();
    ~SearchIndex();
    SearchIndex(const SearchIndex&) = delete;
    SearchIndex& operator=(const SearchIndex&) = delete;

    struct Page;

private:
    friend SearchResult searchDiary(SearchIndex&, const SearchScope&, const Query&, std::stop_token);
    std::mutex m_mutex;
    QHash<QString, QHash<QString, std::shared_ptr<const Page>>> m_pages; // by diary folder, then page path
};

// The search itself: no widgets, safe to run on a worker thread (pages new to the index are read on a
// few threads of its own). A stop requested through the token ends it soon (between pages while
// reading, every few hundred entries while matching) with cancelled set; what was read stays in the
// index. An empty query finds nothing.
SearchResult searchDiary(SearchIndex& index, const SearchScope& scope, const Query& query, std::stop_token stop = {});
inline SearchResult searchDiary(SearchIndex& index, const SearchScope& scope, QStringView typed,
                                std::stop_token stop = {}) {
    return searchDiary(index, scope, parseQuery(typed), std::move(stop));
}

} // namespace tsuzuri::search
