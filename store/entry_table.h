#pragma once

#include "store/outcome.h"

#include <QString>
#include <QStringView>

#include <array>

namespace tsuzuri {

// One day's record. Body line breaks are CR LF; media names are "a.jpg;b.mp4;".
struct DiaryEntry {
    QString title;
    QString body;
    QString date; // 2005年11月04日: the key, compared as an exact string
    QString media;

    // The calendar links a day only when one of its three texts is non-empty, untrimmed.
    bool hasContent() const { return !title.isEmpty() || !body.isEmpty() || !media.isEmpty(); }
    bool operator==(const DiaryEntry&) const = default;
};

// The working copy of the displayed month: rows 1..count in use, row 0 always empty.
struct EntryTable {
    static constexpr int kRows = 32;
    static constexpr int kLastRow = kRows - 1;

    std::array<DiaryEntry, kRows> rows{};
    int count = 0;

    void clear() { *this = EntryTable{}; }
    bool isFull() const { return count >= kLastRow; }

    // Storing the editor: every row holding the date is overwritten; otherwise the entry goes to a
    // new row. A full table refuses a new date instead of writing past its end.
    Outcome store(const DiaryEntry& entry);

    // The last row 0..count holding the date, or nullptr.
    const DiaryEntry* lastMatch(QStringView date) const;

    // Whether some row 1..count holds the date with content (the calendar link and bold-day test).
    bool hasEntry(QStringView date) const;

    bool operator==(const EntryTable&) const = default;
};

// One row of the links tab: the text shown and the page it points to.
struct LinkPair {
    QString title;
    QString path;
    bool operator==(const LinkPair&) const = default;
};
using LinkPairs = std::array<LinkPair, 12>;

// year + "年" + month + "月" + day + "日", each text as given.
QString dateLine(QStringView year, QStringView month, QStringView day);

// What the editor shows for a date label: the last matching row, its body without the paragraph
// markup "</p><p>"; blank boxes when no row matches.
struct EditorEntry {
    QString title;
    QString body;
    QString media;
    QString dateLabel;
    bool operator==(const EditorEntry&) const = default;
};
EditorEntry loadDayEntry(const EntryTable& table, const QString& dateLabel);

// Trims ASCII spaces only, as the page writer's emptiness test always has.
QStringView trimSpaces(QStringView text);

} // namespace tsuzuri
