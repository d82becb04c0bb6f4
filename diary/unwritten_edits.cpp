#include "diary/unwritten_edits.h"

#include "diary/diary_session.h"
#include "diary/messages.h"
#include "site/month_page_reader.h"

#include <QDateTime>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

// A second and a half after the last keystroke: soon enough to lose little, seldom enough to cost nothing.
constexpr int kJournalDelayMs = 1500;

} // namespace

UnwrittenEdits::UnwrittenEdits(DiarySession& session) : s_(session) {
    journalDelay_.setSingleShot(true);
    journalDelay_.setInterval(kJournalDelayMs);
    QObject::connect(&journalDelay_, &QTimer::timeout, &s_, [this] { s_.guarded([this] { saveJournal(); }); });
}

UnwrittenEdits::Written UnwrittenEdits::state(EntryTable table, const DiaryEntry& editor, const LinkPairs& links,
                                              const QString& siteTitle, bool* complete) {
    Written state;
    // The editor as the generate command would store it.
    *complete = table.store(editor).ok() || !editor.hasContent();
    // Rows without content never reach the page: a blank editor stored on a new date is no edit.
    for (int j = 1; j <= table.count; ++j) {
        if (table.rows[size_t(j)].hasContent())
            state.entries.append(table.rows[size_t(j)]);
    }
    state.links = links;
    state.siteTitle = siteTitle;
    return state;
}

UnwrittenEdits::Written UnwrittenEdits::current(bool* complete) const {
    return state(s_.entries_, s_.editor_, s_.links_, s_.siteTitle_, complete);
}

void UnwrittenEdits::remember() {
    bool complete = true;
    written_ = current(&complete);
}

bool UnwrittenEdits::exist() const {
    // A month shown but never written has nothing that could be written: its editor takes no typing.
    if (!written_ || s_.blockedPage_)
        return false;
    bool complete = true;
    const Written now = current(&complete);
    return !complete || now != *written_;
}

bool UnwrittenEdits::offerToWrite() {
    if (!exist())
        return true;
    const Answer answer = s_.services_.messages->ask(messageText(Msg::UnsavedEdits), Buttons::YesNoCancel);
    if (answer == Answer::No) {
        settled(s_.loadedFolder_); // dropped by the user's own answer: nothing to recover
        return true;
    }
    if (answer != Answer::Yes)
        return false;
    // The edits belong to the folder on screen, whatever the name box says by now.
    return s_.writeMonth(s_.loadedFolder_, DiarySession::WriteFor::Close) == GenerateResult::Written;
}

void UnwrittenEdits::edited() {
    journalDelay_.start();
}

void UnwrittenEdits::settled(const QString& folder) {
    journalDelay_.stop();
    journal::remove(s_.home_, folder);
}

journal::State UnwrittenEdits::journalState() const {
    return {s_.loadedFolder_, s_.shownYear_, s_.shownMonth_, s_.editor_, s_.entries_, s_.links_, s_.siteTitle_};
}

void UnwrittenEdits::saveJournal() {
    if (!exist()) {
        journal::remove(s_.home_, s_.loadedFolder_);
        return;
    }
    // A journal that cannot be written is no reason to interrupt the typing: the page is still to come.
    journal::write(s_.home_, journalState());
}

void UnwrittenEdits::offerJournal() {
    const QString& folder = s_.loadedFolder_;
    const std::optional<journal::State> kept = journal::read(s_.home_, folder);
    if (!kept || kept->folder != folder)
        return;
    // Only a journal that holds more than the page is offered; one the page caught up with goes quietly.
    // A month whose page does not read completely is offered too: its text can still be copied out.
    const MonthPageRead page = readMonthPageFile(s_.home_, folder, kept->year, kept->month);
    bool complete = true;
    const Written onPage =
        state(page.page.entries, {}, page.page.links, page.page.siteTitle.value_or(QString()), &complete);
    const Written inJournal = state(kept->entries, kept->editor, kept->links, kept->siteTitle, &complete);
    if (page.outcome.ok() && onPage == inJournal && complete) {
        journal::remove(s_.home_, folder);
        return;
    }
    if (s_.ask(Outcome::failure(Msg::RecoverJournal)) != Answer::Yes) {
        journal::keepAsOld(s_.home_, folder, QDateTime::currentDateTime().toString(u"yyyyMMddhhmmss"_s));
        return;
    }
    // The journal's month as it was: read from its page, then the journal's entries and editor over it.
    // Nothing is written until the user generates.
    s_.yearText_ = s_.shownYear_ = kept->year;
    s_.monthText_ = s_.shownMonth_ = kept->month;
    s_.readMonthPage(kept->month, u"01"_s);
    s_.entries_ = kept->entries;
    s_.editor_ = kept->editor;
    if (!s_.isReadOnly()) {
        s_.links_ = kept->links;
        s_.siteTitle_ = kept->siteTitle;
    }
    s_.drawCalendar(s_.yearText_, s_.monthText_);
    s_.refreshEntryMarks();
}

} // namespace tsuzuri
