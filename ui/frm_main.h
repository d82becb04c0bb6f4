#pragma once

#include "calendar/calendar_grid.h"
#include "calendar/holidays.h"
#include "settings/settings_files.h"
#include "store/entry_table.h"
#include "store/outcome.h"
#include "ui/services.h"

#include <QMainWindow>

#include <array>
#include <functional>
#include <optional>

class QAbstractButton;
class QAction;
class QCheckBox;
class QCloseEvent;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPlainTextEdit;
class QProgressBar;
class QPushButton;
class QRadioButton;
class QTabWidget;

namespace tsuzuri {

class DayCell;
namespace upload {
struct UploadProgress;
struct UploadResult;
} // namespace upload

// The main window. Every control carries its name as member and objectName, so tests find it by name.
// Control arrays are members of type std::array indexed as the names are, with objectName
// name + "_" + index: lblCalDt_1 .. lblCalDt_42 (element 0 unused), txtLinkTitle_0 .. txtLinkTitle_11,
// txtLinkPath_0 .. _11, txtImg_0, txtImg_1, txtImg2_0, txtImg2_1. The weekday headings are single
// controls lblCalWk1 .. lblCalWk7 (held in an array 0..6).
//
// The class is implemented by subsystem, one file each, so later work adds a file instead of editing
// someone else's:
//   app/frm_main.cpp           construction, layout, menus, the guarded boundary, event dispatch
//   app/frm_main_startup.cpp   Form_Load (start-up)
//   app/frm_main_generate.cpp  CreateHtml, FillCodeSnippets and the copy buttons
//   ui/frm_main_editor.cpp     ReadMonthPage, ClearMonthData, the day click, store/load, focus guards
//   ui/frm_main_calendar.cpp   DrawCalendar and the month commands
//   ui/frm_main_media.cpp      attaching images and videos to the entry (browse, drop, leaving Text8)
//   ui/frm_main_view.cpp       the page in the browser or the text editor, the about box
//   app/frm_main_shutdown.cpp  Form_Unload, menuEnd_Click, the question about edits not yet written
//   ui/frm_main_settings.cpp   the settings save commands, LoadFolderSettings, the holiday rules choice
//   ui/frm_main_folders.cpp    diary folders: create, switch, browse, the name box
//   ui/frm_main_upload.cpp     the upload of the selected list entries, its progress, cancel and close
// Each file has its connectXxx() that wires its own controls; the constructor calls them in turn.
class frmMain final : public QMainWindow {
    Q_OBJECT
public:
    // programFolder holds the templates, ini/ and the diary folders. The services must outlive the window.
    frmMain(QString programFolder, Services services, QWidget* parent = nullptr);
    ~frmMain() override;

    // Brings the window into its start state (Form_Load) behind the guarded boundary.
    void start();

    const QString& programFolder() const { return programFolder_; }
    const EntryTable& entryTable() const { return entries_; }
    const HolidayNameTable& holidayNameTable() const { return holidayNames_; }
    HolidayRules holidayRules() const { return holidayRules_; }
    // Also sets the choice on the settings tab and redraws the calendar with its marks and names.
    void setHolidayRules(HolidayRules rules);
    // The page of the displayed month when it could not be read completely (nothing otherwise): such a
    // month is never written over.
    const std::optional<QString>& unreadPage() const { return unreadPage_; }

    // Commands, callable directly by benchmarks; the buttons run them behind the guarded boundary.
    void aaa_Click();
    void btnShiteigetu_Click();
    void btnZengetu_Click();
    void btnJigetu_Click();
    void lblCalDt_Click(int index);
    void cmdUP_Click();

    // An upload is on its way (between the confirmed question and its outcome).
    bool isUploading() const;

signals:
    // The program is to end: after the shut-down sequence, and when the start-up sequence failed.
    void programEnded();

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;
    void closeEvent(QCloseEvent* event) override;

private:
    // What the generate command achieved, for the month commands that run it first.
    enum class GenerateResult {
        Written,    // the page is on disk
        NotWritten, // nothing written, and nothing lost by moving on (year box, unread month)
        Failed,     // the editor's entry or the page could not be saved: moving on would lose edits
    };
    enum class MonthStep { Chosen, Previous, Next };

    // Construction (app/frm_main.cpp).
    void buildMenus();
    QWidget* buildTopBar();
    QWidget* buildCalendarColumn();
    QWidget* buildDiaryTab();
    QWidget* buildSnippetsTab();
    QWidget* buildLinksTab();
    QWidget* buildUploadTab();
    QWidget* buildSettingsTab();
    // Runs one command; anything unexpected shows "エラーが発生しました。" and never reaches the event loop.
    void guarded(const std::function<void()>& command);
    void onClick(QAbstractButton* button, void (frmMain::*handler)());
    void tell(const QString& text);
    void tell(const Outcome& outcome);
    // Today as the window writes dates: "2005", "11", "05".
    struct DateTexts {
        QString year, month, day;
    };
    DateTexts todayTexts() const;

    // Start-up (app/frm_main_startup.cpp).
    void Form_Load();
    void runStartupSteps();
    void centreWindow();

    // Shut-down and edits not yet written (app/frm_main_shutdown.cpp).
    void connectShutdown();
    void Form_Unload();
    void menuEnd_Click();
    void endProgram();
    // What the month page on disk holds as far as the editor can change it: the entries with content,
    // the links and the site title. Taken whenever a page is read or written.
    struct WrittenState {
        QList<DiaryEntry> entries;
        LinkPairs links{};
        QString siteTitle;
        bool operator==(const WrittenState&) const = default;
    };
    WrittenState currentState(bool* complete) const;
    void rememberWritten();
    bool hasUnwrittenEdits() const;
    // Asks whether to write the edits first; false when the user said yes and they could not be written.
    bool offerToWriteEdits();

    // Settings (ui/frm_main_settings.cpp).
    void connectSettings();
    void cmdSAVE_Click();
    // The connection boxes as the settings file and the upload take them.
    ConnectionSettings connectionOnScreen() const;
    void cmdEtcIniSave_Click();
    void cmdLoad_Click();
    void LoadFolderSettings();
    void holidayChoice_Toggled();

    // Diary folders (ui/frm_main_folders.cpp).
    void connectFolders();
    void cmdDiaryDir_Click();
    // Asks to create the missing diary folder name; true once it exists. On No or a failure the loaded
    // folder's name goes back into the box.
    bool offerToCreateDiaryFolder(const QString& name);
    void cmdFol_Click();
    void txtDiaryDir_LostFocus();

    // Generate command and snippets (app/frm_main_generate.cpp).
    void connectGenerate();
    GenerateResult CreateHtml();
    void FillCodeSnippets();
    void copySnippet(const QString& text);

    // Editor and month data (ui/frm_main_editor.cpp).
    void connectEditor();
    void ReadMonthPage(const QString& year, const QString& month, const QString& day);
    void ClearMonthData();
    bool StoreDayEntry(); // false: refused (message shown), the editor was kept
    void LoadDayEntry(const QString& year, const QString& month, const QString& day);
    void Command1_Click();
    void Text_GotFocus();
    void ShowMessage(const QString& code);
    QString editorBody() const;
    void setEditorBody(const QString& body);

    // Calendar (ui/frm_main_calendar.cpp).
    void connectCalendar();
    void DrawCalendar();
    void monthCommand(MonthStep step);
    void showHolidayNames();

    // Media attachment (ui/frm_main_media.cpp).
    void connectMedia();
    void cmdDia_Click();
    void Text8_OLEDragDrop(const QStringList& paths);
    void Text8_LostFocus();
    void attachMedia(const QStringList& paths);

    // Preview and about (ui/frm_main_view.cpp).
    void connectView();
    void menuIe_Click();
    void menuSc_Click();
    void menuVer_Click();

    // Upload (ui/frm_main_upload.cpp).
    class UploadRun; // the run on its way: its job and the busy cursor; asks before the window closes
    void connectUpload();
    void cmdUPCancel_Click();
    void showUploadProgress(const upload::UploadProgress& progress);
    void uploadFinished(const upload::UploadResult& result);
    bool closeDuringUpload(); // true: the upload has stopped and the window may close
    void setUploadIdle();

    const QString programFolder_;
    const Services services_;

    // Plain state beside the controls.
    EntryTable entries_;
    HolidayNameTable holidayNames_{};
    HolidayRules holidayRules_ = HolidayRules::Classic;
    std::optional<QString> unreadPage_;
    QString loadedFolderName_;
    // The flags of the start-up and shut-down sequences; once set, none of them is cleared.
    bool reloadFlag_ = false;         // start-up does not read fdir.ini (a folder switch runs it)
    bool imageFolderMissing_ = false; // LoadFolderSettings met a diary folder without image
    bool skipShutdown_ = false;       // shut-down neither looks for the folder nor writes fdir.ini
    bool programEnded_ = false;
    // What the month page on screen held when last read or written; nothing until a page was read.
    std::optional<WrittenState> written_;
    QString mediaFolder_; // where the open-file dialog opens: the folder of the last choice
    UploadRun* uploadRun_ = nullptr;

public:
    // Controls, named as the system names them.
    QAction* menuEnd = nullptr;
    QAction* menuIe = nullptr;
    QAction* menuSc = nullptr;
    QAction* menuVer = nullptr;

    QLineEdit* txtDiaryDir = nullptr;
    QPushButton* cmdDiaryDir = nullptr;
    QPushButton* cmdFol = nullptr;
    QLabel* lblNowDiaryDir = nullptr;
    QPushButton* aaa = nullptr;

    QGroupBox* FraCal = nullptr;
    std::array<QLabel*, 7> lblCalWk{};
    std::array<DayCell*, 43> lblCalDt{};
    QLineEdit* txtCalYYYY = nullptr;
    QLineEdit* txtCalMM = nullptr;
    QLabel* lblHDCalYYYY = nullptr;
    QLabel* lblHDCalMM = nullptr;
    QPushButton* btnShiteigetu = nullptr;
    QPushButton* btnZengetu = nullptr;
    QPushButton* btnJigetu = nullptr;
    QLabel* Label5 = nullptr;
    QLineEdit* Text10 = nullptr;

    QTabWidget* SSTab1 = nullptr;
    QLabel* lbldiarydate = nullptr;
    QLineEdit* Text5 = nullptr;
    QPlainTextEdit* Text6 = nullptr;
    QLineEdit* Text8 = nullptr;
    QPushButton* cmdDia = nullptr;
    QPushButton* Command1 = nullptr;

    QPlainTextEdit* Text1 = nullptr; // calendar block
    QPlainTextEdit* Text2 = nullptr; // stylesheet
    QLineEdit* Text4 = nullptr;      // body attribute
    QLineEdit* Text3 = nullptr;      // script tag
    QPlainTextEdit* Text7 = nullptr; // diary block
    QPushButton* Command9 = nullptr;
    QPushButton* Command8 = nullptr;
    QPushButton* Command7 = nullptr;
    QPushButton* Command5 = nullptr;
    QPushButton* Command10 = nullptr;

    std::array<QLineEdit*, 12> txtLinkPath{};
    std::array<QLineEdit*, 12> txtLinkTitle{};

    QLineEdit* txtFTP = nullptr;
    QLineEdit* txtID = nullptr;
    QLineEdit* txtPass = nullptr;
    QLineEdit* txtRoot = nullptr;
    QPushButton* cmdSAVE = nullptr;
    QListWidget* List1 = nullptr;
    QCheckBox* chksaku = nullptr;
    QPushButton* cmdUP = nullptr;
    QPushButton* cmdLoad = nullptr;
    QPushButton* cmdUPCancel = nullptr; // shown while an upload runs
    QProgressBar* prgUpload = nullptr;  // files and bytes sent, shown while an upload runs
    QLabel* lblUploadFile = nullptr;    // the file going out

    std::array<QLineEdit*, 2> txtImg{};
    std::array<QLineEdit*, 2> txtImg2{};
    QCheckBox* chkimg = nullptr;
    QGroupBox* FraHol = nullptr;
    QRadioButton* optHolClassic = nullptr; // 従来の規則
    QRadioButton* optHolLaw = nullptr;     // 現行の祝日法
    QPushButton* cmdEtcIniSave = nullptr;
};

} // namespace tsuzuri
