#pragma once

#include "diary/recovery_journal.h"
#include "store/entry_table.h"

#include <QList>
#include <QString>
#include <QTimer>

#include <optional>

namespace tsuzuri {

class DiarySession;

// The edits the month page on disk does not hold yet, for the session: what the page held when it was
// last read or written, whether anything typed since differs, the question before such edits would be
// dropped, and the recovery journal that keeps them through a crash until the page is written.
class UnwrittenEdits {
public:
    explicit UnwrittenEdits(DiarySession& session);

    // The page on disk now holds what the session shows (it was just read or written).
    void remember();
    // Forgets what the page held: nothing shown is asked about (a start-up that failed).
    void forget() { written_.reset(); }
    bool exist() const;

    // Asks whether to write the edits first: はい writes them, いいえ drops them, キャンセル (or Escape, or the
    // box's close button) keeps everything as it is. False: stay where we are — cancelled, or the user
    // said yes and they could not be written.
    bool offerToWrite();

    // Something was typed: the journal follows a moment after the last keystroke.
    void edited();
    // The page of folder was written, or the program closes with nothing left to keep.
    void settled(const QString& folder);
    // At start-up: a journal that holds more than the pages is offered back.
    void offerJournal();

private:
    // What the page on disk holds as far as the editor can change it.
    struct Written {
        QList<DiaryEntry> entries;
        LinkPairs links{};
        QString siteTitle;
        bool operator==(const Written&) const = default;
    };
    static Written state(EntryTable table, const DiaryEntry& editor, const LinkPairs& links, const QString& siteTitle,
                         bool* complete);
    Written current(bool* complete) const;
    journal::State journalState() const;
    void saveJournal();

    DiarySession& s_;
    std::optional<Written> written_; // nothing until a page was read
    QTimer journalDelay_;
};

} // namespace tsuzuri
