#include "diary/diary_session.h"

#include "calendar/month.h"
#include "diary/backup_controller.h"
#include "diary/folder_commands.h"
#include "diary/media_commands.h"
#include "diary/messages.h"
#include "diary/search_controller.h"
#include "diary/unwritten_edits.h"
#include "diary/upload_controller.h"
#include "settings/diary_folder.h"
#include "site/month_page_reader.h"
#include "site/month_page_writer.h"
#include "site/site_index.h"
#include "store/paths.h"

#include <QDir>
#include <QFileInfo>
#include <QRegularExpression>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

// A step of the start-up that cannot go on: the failure path takes over.
struct StartupFailure {};

// A Japanese keyboard types full-width digits ("２００５") as readily as half-width ones; they are the same
// number.
QString halfWidth(const QString& text) {
    return text.normalized(QString::NormalizationForm_KC);
}

std::optional<int> wholeNumber(const QString& text) {
    return parseWholeNumber(halfWidth(text));
}

// "3" -> "03"; a text that is no number stays as it is.
QString twoDigits(const QString& text) {
    const std::optional<int> n = wholeNumber(text);
    return n ? QString::asprintf("%02d", *n) : text;
}

} // namespace

DiarySession::DiarySession(QString programFolder, SessionServices services, QObject* parent)
    : QObject(parent), home_(std::move(programFolder)), services_(services), sizes_(defaultSizes()),
      folders_(std::make_unique<FolderCommands>(*this)), media_(std::make_unique<MediaCommands>(*this)),
      uploads_(std::make_unique<UploadController>(*this)), edits_(std::make_unique<UnwrittenEdits>(*this)),
      search_(std::make_unique<SearchController>(*this)), backups_(std::make_unique<BackupController>(*this)) {
    Q_ASSERT(services_.messages && services_.clock);
}

DiarySession::~DiarySession() = default;

// --- the guarded boundary ---------------------------------------------------------------------------------

bool DiarySession::guarded(const std::function<void()>& command) {
    ++depth_;
    bool ok = true;
    try {
        command();
    } catch (...) {
        ok = false;
        try {
            tell(messageText(Msg::ErrorOccurred));
        } catch (...) {
        }
    }
    --depth_;
    if (depth_ == 0)
        flush();
    return ok;
}

void DiarySession::flush() {
    const unsigned changed = std::exchange(changed_, 0u);
    if (changed & FolderPart)
        emit folderChanged();
    if (changed & SettingsPart)
        emit settingsChanged();
    if (changed & PagePart)
        emit pageChanged();
    if (changed & CalendarPart)
        emit calendarChanged();
    if (changed & EditorPart)
        emit editorChanged();
    if (changed & SnippetsPart)
        emit snippetsChanged();
}

void DiarySession::tell(const QString& text) {
    services_.messages->tell(text);
}

void DiarySession::tell(const Outcome& outcome) {
    tell(messageText(outcome));
}

Answer DiarySession::ask(const Outcome& question) {
    return services_.messages->ask(messageText(question), Buttons::YesNo);
}

DiarySession::DateTexts DiarySession::todayTexts() const {
    const QDate today = services_.clock->today();
    return {QString::asprintf("%04d", today.year()), QString::asprintf("%02d", today.month()),
            QString::asprintf("%02d", today.day())};
}

bool DiarySession::hasUnwrittenEdits() const {
    return edits_->exist();
}

void DiarySession::setEditable(QString& field, const QString& text) {
    if (isReadOnly())
        return;
    field = text;
    edits_->edited();
}

void DiarySession::setLink(int row, const LinkPair& link) {
    setEditable(links_.at(size_t(row)).title, link.title);
    setEditable(links_.at(size_t(row)).path, link.path);
}

void DiarySession::setSizes(const SizeSettings& s) {
    const HolidayRules rules = sizes_.holidays;
    sizes_ = s;
    sizes_.holidays = rules;
}

// --- start and end -----------------------------------------------------------------------------------------

bool DiarySession::start() {
    bool started = false;
    guarded([this, &started] { started = runStartup(); });
    return started;
}

// Run at program start and again by every folder switch. Whatever stops it half-way leaves nothing
// shown properly: it says so and the program ends without touching a file.
bool DiarySession::runStartup() {
    changed_ |= All;
    try {
        startupSteps();
    } catch (...) {
        edits_->forget();
        try {
            tell(messageText(Msg::StartupFailed));
        } catch (...) {
        }
        skipShutdown_ = true;
        emit endRequested();
        return false;
    }
    emit startedUp();
    return true;
}

void DiarySession::startupSteps() {
    sizes_.originalSize = 0;
    connection_.deleteAfterUpload = 0;
    if (!reloadFlag_) {
        const FdirRead fdir = readFdirIni(home_);
        if (!fdir.exists)
            throw StartupFailure{};
        // The last line wins; an empty file leaves the box's own "diary", and so does a name that is no
        // single folder inside the program folder (after saying so), so nothing outside it is ever shown.
        if (fdir.folder && checkDiaryFolderName(*fdir.folder).ok()) {
            folderText_ = *fdir.folder;
        } else if (fdir.folder) {
            tell(Outcome::failure(Msg::FdirNameInvalid, {*fdir.folder}));
            folderText_ = u"diary"_s;
        }
    }
    const DateTexts today = todayTexts();
    yearText_ = shownYear_ = today.year;
    monthText_ = shownMonth_ = today.month;
    editor_.date = dateLine(today.year, today.month, today.day);
    readMonthPage(today.month, today.day);
    // A month that has no page yet keeps the folder's site title: the newest page has it. Taken, not typed:
    // no edit of the user's.
    if (siteTitle_.isEmpty()) {
        siteTitle_ = newestSiteTitle();
        edits_->remember();
    }
    drawCalendar(yearText_, monthText_);

    loadedFolder_ = folderText_;
    folders_->loadSettings();
    folderCaption_ = tsuzuri::folderCaption(folderText_);
    if (imageFolderMissing_)
        skipShutdown_ = true;
    edits_->offerJournal();
}

QString DiarySession::newestSiteTitle() const {
    static const QRegularExpression pageName(u"^\\d{6}\\.html$"_s);
    QStringList pages = QDir(paths::diaryFolder(home_, folderText_)).entryList({u"*.html"_s}, QDir::Files);
    pages.removeIf([](const QString& name) { return !pageName.match(name).hasMatch(); });
    if (pages.isEmpty())
        return {};
    std::sort(pages.begin(), pages.end());
    const QString& newest = pages.last();
    const MonthPageRead read = readMonthPageFile(home_, folderText_, newest.left(4), newest.mid(4, 2));
    return read.page.siteTitle.value_or(QString());
}

bool DiarySession::close() {
    // Nothing typed is dropped without a word: a page the user wanted written but that could not be
    // keeps the program open with the text in it.
    bool stay = false;
    guarded([this, &stay] {
        stay = !edits_->offerToWrite();
        // A month shown read-only keeps its journal: its text was never written anywhere else.
        if (!stay && !isReadOnly() && !edits_->exist())
            edits_->settled(loadedFolder_);
    });
    if (stay)
        return false;
    guarded([this] { shutDown(); });
    return true;
}

// Records the folder in use for the next start. Nothing is written when the start-up failed or met a
// diary folder without image.
void DiarySession::shutDown() {
    if (skipShutdown_)
        return;
    if (!checkDiaryFolderName(folderText_).ok()) {
        tell(checkDiaryFolderName(folderText_));
        folderText_ = loadedFolder_;
    }
    const QString name = folderText_;
    // A folder that could not be made counts as a No: fdir.ini keeps naming a folder that exists.
    if (!QFileInfo(paths::diaryFolder(home_, name)).isDir() && !folders_->offerToCreate(name))
        return;
    const Outcome written = writeFdirIni(home_, folderText_);
    if (!written.ok())
        tell(written);
}

// --- the month page -----------------------------------------------------------------------------------------

GenerateResult DiarySession::generate() {
    GenerateResult result = GenerateResult::Failed;
    guarded([this, &result] { result = writeMonth(folderText_, WriteFor::Generate); });
    return result;
}

GenerateResult DiarySession::writeMonth(const QString& folder, WriteFor why) {
    changed_ |= PagePart | SnippetsPart | CalendarPart;
    if (!storeEditor())
        return GenerateResult::Failed;
    refreshEntryMarks();
    // The page is always the shown month's, whatever the year box says: only the explicit command checks
    // the box, so a month command or closing is never held up by it (and a wrong year says one thing).
    if (why == WriteFor::Generate && !isNumeric(halfWidth(yearText_))) {
        tell(messageText(Msg::YearNotNumeric));
        return GenerateResult::NotWritten;
    }
    // A page read only in part would lose the entries that were not read: it is never written over. The
    // notice above the editor says so; only the explicit command says it again.
    if (blockedPage_) {
        if (why == WriteFor::Generate)
            tell(Outcome::failure(Msg::MonthNotWritable, {blockedPage_->name}));
        return GenerateResult::NotWritten;
    }
    MonthPageInput in;
    in.year = shownYear_;
    in.month = shownMonth_;
    in.siteTitle = siteTitle_;
    in.links = links_;
    in.entries = entries_;
    in.imageWidth = sizes_.imageWidth;
    in.imageHeight = sizes_.imageHeight;
    in.videoWidth = sizes_.videoWidth;
    in.videoHeight = sizes_.videoHeight;
    in.originalSize = sizes_.originalSize == 1;
    in.ftpHost = connection_.host;
    in.remoteDir = connection_.remoteDir;
    in.holidays = sizes_.holidays;

    LinkPairs completed;
    const PublishResult written = publishMonthPage(home_, folder, in, &completed);
    if (!written.page.ok()) {
        tell(written.page);
        return GenerateResult::Failed;
    }
    // The page links "200511" as "200511.html"; the box says so too.
    for (size_t k = 0; k < links_.size(); ++k)
        links_[k].path = completed[k].path;
    edits_->remember();
    edits_->settled(folder);
    fillSnippets(folder);
    // The page is safe; the contents page and the feed beside it are told about on their own. A month left
    // out of them (it did not read completely) has its own line when shown: it only joins the status line,
    // or every month command would stop on it.
    QString status = messageText(Msg::PageWritten, {paths::monthPage(home_, folder, shownYear_, shownMonth_)});
    if (written.index.msg == Msg::SiteMonthsSkipped)
        status += u' ' + messageText(written.index).replace(u"\r\n"_s, u" "_s);
    else if (!written.index.ok())
        tell(written.index);
    emit statusMessage(status);
    search_->refresh();
    // index.html and feed.xml appear beside the first page: the upload list shows them.
    if (folder == loadedFolder_ && QFileInfo(paths::diaryFolder(home_, folder)).isDir()) {
        uploadList_ = uploadListEntries(home_, folder);
        changed_ |= FolderPart;
    }
    return GenerateResult::Written;
}

void DiarySession::fillSnippets(const QString& folder) {
    snippets_ = codeSnippetsOfMonth(home_, folder, shownYear_, shownMonth_);
    changed_ |= SnippetsPart;
}

void DiarySession::copySnippet(Snippet which) {
    guarded([this, which] {
        if (!services_.clipboard)
            return;
        const QString* texts[] = {&snippets_.calendar, &snippets_.stylesheet, &snippets_.body, &snippets_.script,
                                  &snippets_.diary};
        services_.clipboard->setText(*texts[int(which)]);
    });
}

void DiarySession::clearMonthData() {
    entries_.clear();
    holidayNames_.fill({});
    links_ = {};
    changed_ |= CalendarPart | PagePart;
}

// Reads the shown month's page and shows the entry of the requested day, looked up in the shown month:
// asked with today's year for the same month of another year, the lookup would miss that year's entry
// while the date label names it, and the blank editor would then be stored over the entry.
void DiarySession::readMonthPage(const QString& month, const QString& day) {
    clearMonthData();
    blockedPage_.reset();
    changed_ |= EditorPart;
    const DateTexts today = todayTexts();
    // Only the month numbers are compared: the same month of another year also defaults to today's day.
    editor_ = {};
    editor_.date = dateLine(shownYear_, shownMonth_, today.month != shownMonth_ ? u"01"_s : today.day);

    const MonthPageRead read = readMonthPageFile(home_, folderText_, shownYear_, shownMonth_);
    if (!read.exists) {
        edits_->remember();
        return;
    }
    // What was read is shown even from a page that could not be read to its end; such a month is then
    // never written over, so the entries that were not read stay on disk.
    entries_ = read.page.entries;
    links_ = read.page.links;
    if (read.page.siteTitle)
        siteTitle_ = *read.page.siteTitle;
    if (const DiaryEntry* row = entries_.lastMatch(dateLine(shownYear_, month, day)))
        editor_ = *row;
    edits_->remember();
    if (!read.outcome.ok()) {
        const QString path = paths::monthPage(home_, folderText_, shownYear_, shownMonth_);
        const Msg notice = read.outcome.msg == Msg::PageUnreadable       ? Msg::BlockedUnreadable
                           : read.outcome.msg == Msg::PageTooManyEntries ? Msg::BlockedTooManyEntries
                                                                         : Msg::BlockedIncomplete;
        blockedPage_ = BlockedPage{read.outcome.args.value(0, paths::monthPageName(shownYear_, shownMonth_)),
                                   messageText(notice, {QDir::toNativeSeparators(path)})};
        tell(read.outcome);
    }
}

bool DiarySession::storeEditor() {
    const Outcome stored = entries_.store(editor_);
    // A blank editor has nothing to lose: a full table simply does not take it (the page would leave the
    // blank row out anyway).
    if (stored.ok() || !editor_.hasContent())
        return true;
    tell(stored);
    return false;
}

void DiarySession::loadDay(const QString& year, const QString& month, const QString& day) {
    const EditorEntry e = loadDayEntry(entries_, dateLine(year, month, day));
    editor_ = {e.title, e.body, e.dateLabel, e.media};
    changed_ |= EditorPart;
}

void DiarySession::chooseDay(int cell) {
    guarded([this, cell] {
        // A refused store keeps the editor and its date as they are, so nothing typed is dropped.
        if (cell < 1 || cell > 42 || !storeEditor())
            return;
        changed_ |= CalendarPart;
        refreshEntryMarks();
        for (int k = 1; k <= 42; ++k)
            cells_[k].selected = k == cell;
        const QString caption = cells_[cell].caption;
        if (caption.isEmpty())
            return;
        loadDay(shownYear_, twoDigits(shownMonth_), twoDigits(caption));
        emit focusRequested(Focus::Title);
    });
}

bool DiarySession::confirmClearBody() {
    // A line or three is quickly typed again; more is asked about first. The box itself clears through its
    // own undo, so Ctrl+Z brings the text back either way.
    const qsizetype lines = editor_.body.count(u'\n') + 1;
    if (blockedPage_ || editor_.body.isEmpty())
        return false;
    if (lines <= 3)
        return true;
    Answer answer = Answer::No;
    guarded([&] {
        answer = services_.messages->ask(messageText(Msg::ClearBodyConfirm, {QString::number(lines)}), Buttons::YesNo);
    });
    return answer == Answer::Yes;
}

bool DiarySession::editorMayTakeFocus() {
    if (!editor_.date.isEmpty())
        return true;
    guarded([this] {
        // Focus moves first: the box would otherwise get it back when the message closes and ask again.
        emit focusRequested(Focus::Generate);
        tell(messageText(Msg::NoDaySelected));
    });
    return false;
}

// --- the calendar ---------------------------------------------------------------------------------------------

void DiarySession::drawCalendar(const QString& year, const QString& month) {
    CalendarInput in;
    in.year = wholeNumber(year).value_or(0);
    in.month = wholeNumber(month).value_or(0);
    in.yearText = year;
    in.today = services_.clock->today();
    in.entries = &entries_;
    in.rules = sizes_.holidays;
    const CalendarGrid grid = tsuzuri::drawCalendar(in);
    cells_ = grid.cells;
    // The holiday name table is only ever emptied with the month data; a drawing adds its names.
    for (int k = 1; k <= 42; ++k) {
        if (!grid.names[k].isEmpty())
            holidayNames_[k] = grid.names[k];
    }
    changed_ |= CalendarPart;
}

// A day's entry shows as soon as it is stored, not only at the next drawing: the look of each day cell
// follows the entry table.
void DiarySession::refreshEntryMarks() {
    for (size_t k = 1; k <= 42; ++k) {
        DayCellLook& look = cells_[k];
        if (look.caption.isEmpty())
            continue;
        look.bold = entries_.hasEntry(dateLine(shownYear_, shownMonth_, twoDigits(look.caption)));
        look.underline = look.bold || look.flat;
    }
}

void DiarySession::showEntry(const QString& folder, const QString& year, const QString& month, const QString& date) {
    guarded([&] {
        if (folder != loadedFolder_) {
            folderText_ = folder;
            changed_ |= FolderPart;
            folders_->switchFolder(); // asks about edits not yet written, and may be refused
            if (loadedFolder_ != folder)
                return;
        } else if (!edits_->offerToWrite()) {
            return;
        }
        // Nothing is left to write (written, or dropped by the user's answer): the month is read afresh.
        yearText_ = shownYear_ = year;
        monthText_ = shownMonth_ = month;
        const int day = dayOfDate(date, year, month);
        readMonthPage(month, QString::asprintf("%02d", day > 0 ? day : 1));
        drawCalendar(yearText_, monthText_);
        for (DayCellLook& look : cells_)
            look.selected = day > 0 && look.caption == QString::number(day);
        emit focusRequested(Focus::Title);
    });
}

void DiarySession::showChosenMonth() {
    guarded([this] { monthCommand(MonthStep::Chosen); });
}

void DiarySession::showPreviousMonth() {
    guarded([this] { monthCommand(MonthStep::Previous); });
}

void DiarySession::showNextMonth() {
    guarded([this] { monthCommand(MonthStep::Next); });
}

void DiarySession::monthCommand(MonthStep step) {
    // The month being left is written first. When its entries could not be saved (a full table, a failed
    // write), the month stays on screen with them rather than being emptied.
    const auto stay = [this] { emit focusRequested(Focus::Title); };
    if (writeMonth(folderText_, WriteFor::MonthMove) == GenerateResult::Failed)
        return stay();
    const std::optional<int> year = wholeNumber(yearText_);
    if (!year || *year < 1900 || *year > 2999) {
        tell(codedMessageText(u"e5"_s));
        return stay();
    }
    const std::optional<int> month = wholeNumber(monthText_);
    if (!month || *month < 1 || *month > 12) {
        tell(codedMessageText(u"e4"_s));
        return stay();
    }
    clearMonthData();

    int y = *year;
    int m = *month;
    if (step == MonthStep::Previous) {
        y -= m == 1 ? 1 : 0;
        m = m == 1 ? 12 : m - 1;
    } else if (step == MonthStep::Next) {
        y += m == 12 ? 1 : 0;
        m = m == 12 ? 1 : m + 1;
    }
    yearText_ = shownYear_ = QString::asprintf("%02d", y);
    monthText_ = shownMonth_ = QString::asprintf("%02d", m);

    const DateTexts today = todayTexts();
    if (shownMonth_ == today.month)
        readMonthPage(today.month, today.day);
    else
        readMonthPage(shownMonth_, u"01"_s);
    drawCalendar(yearText_, monthText_);
    stay();
}

} // namespace tsuzuri
