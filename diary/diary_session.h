#pragma once

#include "calendar/calendar_grid.h"
#include "calendar/holidays.h"
#include "diary/session_services.h"
#include "settings/settings_files.h"
#include "site/snippets.h"
#include "store/entry_table.h"
#include "store/outcome.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <array>
#include <functional>
#include <memory>
#include <optional>

namespace tsuzuri {

class FolderCommands;
class MediaCommands;
class BackupController;
class SearchController;
class UnwrittenEdits;
class UploadController;

// What the generate command achieved, for the commands that run it first.
enum class GenerateResult {
    Written,    // the page is on disk
    NotWritten, // nothing written, and nothing lost by moving on (year box, a month not read completely)
    Failed,     // the editor's entry or the page could not be saved: moving on would lose edits
};

// The five texts of the snippets tab, for the copy command.
enum class Snippet { Calendar, Stylesheet, BodyAttribute, Script, Diary };

// The diary on screen and every command on it, without a widget. The window's panels show what the
// session holds, hand it what the user types (the set… functions) and run its commands; the session
// talks to the user only through the message seam and says what changed through its signals, which are
// emitted once a command is done (never in its middle).
//
// Every command is its own guarded boundary: anything unexpected is told as "エラーが発生しました。" and
// never leaves the session; what was already written stays.
class DiarySession final : public QObject {
    Q_OBJECT
public:
    // programFolder holds the templates, ini/ and the diary folders.
    DiarySession(QString programFolder, SessionServices services, QObject* parent = nullptr);
    ~DiarySession() override;

    // --- What is on screen ----------------------------------------------------------------------------
    const QString& programFolder() const { return home_; }
    const SessionServices& services() const { return services_; }
    const QString& folderText() const { return folderText_; }     // the folder name box as typed
    const QString& loadedFolder() const { return loadedFolder_; } // the folder whose pages are shown
    const QString& folderCaption() const { return folderCaption_; }
    const QString& yearText() const { return yearText_; } // the month boxes as typed
    const QString& monthText() const { return monthText_; }
    const QString& shownYear() const { return shownYear_; } // the month whose page is shown and written
    const QString& shownMonth() const { return shownMonth_; }
    // The editor: title, body (CR LF), media names, and its date label as the entry's date.
    const DiaryEntry& editor() const { return editor_; }
    const QString& siteTitle() const { return siteTitle_; }
    const LinkPairs& links() const { return links_; }
    const ConnectionSettings& connection() const { return connection_; }
    const SizeSettings& sizes() const { return sizes_; }
    HolidayRules holidayRules() const { return sizes_.holidays; }
    const QStringList& uploadList() const { return uploadList_; }
    const CodeSnippets& snippets() const { return snippets_; }
    // The 42 day cells (1..42) as the calendar draws them, and their tooltips.
    const std::array<DayCellLook, 43>& dayCells() const { return cells_; }
    const HolidayNameTable& holidayNames() const { return holidayNames_; }
    const EntryTable& entries() const { return entries_; }
    // The page of the shown month when it could not be read completely: such a month is shown but never
    // written, and its editor, site title and links take no typing.
    struct BlockedPage {
        QString name;   // "200511.html"
        QString notice; // the line above the editor: why, and where the page is
    };
    const std::optional<BlockedPage>& blockedPage() const { return blockedPage_; }
    bool isReadOnly() const { return blockedPage_.has_value(); }
    // Whether the editor, the entries, the links or the site title differ from the page on disk.
    bool hasUnwrittenEdits() const;

    // --- What the user types -------------------------------------------------------------------------
    void setFolderText(const QString& text) { folderText_ = text; }
    void setYearText(const QString& text) { yearText_ = text; }
    void setMonthText(const QString& text) { monthText_ = text; }
    // A month shown read-only takes none of these.
    void setTitle(const QString& text) { setEditable(editor_.title, text); }
    void setBody(const QString& text) { setEditable(editor_.body, text); }
    void setMedia(const QString& text) { setEditable(editor_.media, text); }
    void setSiteTitle(const QString& text) { setEditable(siteTitle_, text); }
    void setLink(int row, const LinkPair& link);
    void setConnection(const ConnectionSettings& c) { connection_ = c; }
    // 変更したファイルのみ: the upload sends only files that differ from what last arrived there.
    bool onlyChanged() const { return onlyChanged_; }
    void setOnlyChanged(bool only) { onlyChanged_ = only; }
    // The sizes and the original-size value; the holiday rules have their own command.
    void setSizes(const SizeSettings& s);

    // --- Commands --------------------------------------------------------------------------------------
    // The start state: today's month and entry, the folder's settings. False when it could not be
    // reached (said why); the program is then to end.
    bool start();
    // Closing: asks about edits not yet written, then records the folder in use. False: stay open.
    bool close();

    GenerateResult generate();
    void showChosenMonth();
    void showPreviousMonth();
    void showNextMonth();
    void chooseDay(int cell);
    // Whether the body may be cleared: a body of more than three lines is asked about first.
    bool confirmClearBody();
    // The guard of the editor's boxes: false (after saying so) while no day is chosen.
    bool editorMayTakeFocus();
    void copySnippet(Snippet which);

    // The session's other commands, by subject.
    FolderCommands& folders() { return *folders_; }
    MediaCommands& media() { return *media_; }
    UploadController& uploads() { return *uploads_; }
    SearchController& search() { return *search_; }
    BackupController& backups() { return *backups_; }

    // Shows the day of date (a date line) in the month year/month of folder, switching folder first when
    // it is another: what a search hit leads to. Edits not yet written are asked about first.
    void showEntry(const QString& folder, const QString& year, const QString& month, const QString& date);

    enum class Focus { Title, Media, Generate };

signals:
    void editorChanged();   // the editor's boxes or its date label
    void calendarChanged(); // the month boxes, the day cells, their tooltips
    void pageChanged();     // the site title and the links
    void folderChanged();   // the folder name box, its caption, the upload list
    void settingsChanged(); // connection, sizes, holiday rules
    void snippetsChanged();
    void focusRequested(tsuzuri::DiarySession::Focus focus);
    void diaryTabRequested();
    // The start-up ran (at the start and at every folder switch): the window centres itself.
    void startedUp();
    // A short line on what was just done (written where), for the status bar.
    void statusMessage(const QString& text);
    // The start-up failed: the program is to end without asking anything.
    void endRequested();

private:
    friend class FolderCommands;
    friend class MediaCommands;
    friend class UploadController;
    friend class UnwrittenEdits;
    friend class BackupController;

    enum Change : unsigned {
        EditorPart = 1,
        CalendarPart = 2,
        PagePart = 4,
        FolderPart = 8,
        SettingsPart = 16,
        SnippetsPart = 32,
        All = 63,
    };
    enum class MonthStep { Chosen, Previous, Next };
    enum class WriteFor { Generate, MonthMove, Close };
    struct DateTexts {
        QString year, month, day;
    };

    bool guarded(const std::function<void()>& command);
    void flush();
    void tell(const QString& text);
    void tell(const Outcome& outcome);
    Answer ask(const Outcome& question);
    DateTexts todayTexts() const;

    bool runStartup();
    void startupSteps();
    void shutDown();

    GenerateResult writeMonth(const QString& folder, WriteFor why);
    void refreshEntryMarks();
    QString newestSiteTitle() const;
    void setEditable(QString& field, const QString& text);
    void fillSnippets(const QString& folder);
    bool storeEditor();
    void loadDay(const QString& year, const QString& month, const QString& day);
    void readMonthPage(const QString& month, const QString& day);
    void clearMonthData();
    void drawCalendar(const QString& year, const QString& month);
    void monthCommand(MonthStep step);

    const QString home_;
    const SessionServices services_;
    unsigned changed_ = 0;
    int depth_ = 0; // nested commands emit once, at the end of the outermost

    QString folderText_ = QStringLiteral("diary");
    QString loadedFolder_;
    QString folderCaption_;
    QString yearText_, monthText_, shownYear_, shownMonth_;
    DiaryEntry editor_;
    QString siteTitle_;
    LinkPairs links_{};
    ConnectionSettings connection_;
    bool onlyChanged_ = false;
    SizeSettings sizes_;
    QStringList uploadList_;
    CodeSnippets snippets_;
    std::array<DayCellLook, 43> cells_{};
    HolidayNameTable holidayNames_{};
    EntryTable entries_;
    std::optional<BlockedPage> blockedPage_;

    // The flags of the start-up and shut-down; once set, none is cleared.
    bool reloadFlag_ = false;         // start-up does not read fdir.ini (a folder switch runs it)
    bool imageFolderMissing_ = false; // the folder settings met a diary folder without image
    bool skipShutdown_ = false;       // shut-down neither looks for the folder nor writes fdir.ini

    std::unique_ptr<FolderCommands> folders_;
    std::unique_ptr<MediaCommands> media_;
    std::unique_ptr<UploadController> uploads_;
    std::unique_ptr<UnwrittenEdits> edits_;
    std::unique_ptr<SearchController> search_;
    std::unique_ptr<BackupController> backups_;
};

} // namespace tsuzuri
