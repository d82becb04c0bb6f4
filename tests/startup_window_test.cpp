// The window's start-up and shut-down, its settings commands and the diary folder commands, on a
// temporary program folder with scripted answers.
#include "fake_folder_chooser.h"
#include "fake_services.h"
#include "qt_printers.h"

#include "site/month_page_writer.h"
#include "store/paths.h"
#include "store/textfile.h"
#include "ui/day_cell.h"
#include "ui/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScreen>
#include <QSignalSpy>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

const QColor kRed(0xFF, 0x00, 0x00);

const QString kStartupFailed =
    u"【fdir.ini】ファイルが存在しないか、日記のHTMLファイルが壊れています。\r\n説明書を参照して下さい。"_s;
const QString kImageMissing =
    u"エラーが発生しました。\r対象の日記フォルダ内に[image]フォルダが存在するか確認して下さい。"_s;
const QString kLoadFailed = u"エラーが発生しました。\r[diary]フォルダが存在するか確認して下さい。"_s;
const QString kNameChanged = u"フォルダ名が変更されました。\r\n日記フォルダを新規作成、または切り替えますか？"_s;

QString createQuestion(const QString& name) {
    return u"指定されたフォルダは存在しません\r\n"_s + name + u"フォルダを作成しますか？"_s;
}
QString created(const QString& name) {
    return name + u"フォルダを作成しました。"_s;
}
QString caption(const QString& name) {
    return u"　ただいま【 "_s + name + u" 】フォルダ内の日記を表示中です　"_s;
}

bool writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

// The cell of a day: day 1 sits in its weekday's column of the first row.
int cellOf(int year, int month, int day) {
    return day + QDate(year, month, 1).dayOfWeek() % 7;
}

class StartupWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(writeBytes(home() + u"/calender.css"_s, "/* css */\r\n"));
        ASSERT_TRUE(writeBytes(home() + u"/calender.js"_s, "function datemark() {}\r\n"));
    }

    QString home() const { return root.path() + u"/Tsuzuri"_s; }
    QString fdir() const { return home() + u"/ini/fdir.ini"_s; }
    QString folder(const QString& name) const { return home() + u'/' + name; }
    void makeDiary(const QString& name) const { ASSERT_TRUE(QDir().mkpath(folder(name) + u"/image"_s)); }
    void installed() const {
        makeDiary(u"diary"_s);
        ASSERT_TRUE(writeBytes(fdir(), "diary\r\n"));
    }
    void writePage(const QString& name, const QString& title, const QString& siteTitle = {}) const {
        MonthPageInput in;
        in.year = u"2005"_s;
        in.month = u"11"_s;
        in.siteTitle = siteTitle;
        ASSERT_TRUE(in.entries.store({title, u"本文"_s, u"2005年11月05日"_s, QString()}).ok());
        ASSERT_TRUE(MakeMonthHtml(home(), name, in).ok());
    }

    frmMain& open() {
        window = std::make_unique<frmMain>(
            home(), Services{&messages, &clock, &clipboard, nullptr, nullptr, nullptr, nullptr, nullptr, &folders});
        ended = std::make_unique<QSignalSpy>(window.get(), &frmMain::programEnded);
        window->start();
        if (ended->isEmpty())
            window->show();
        return *window;
    }
    void focusNameBox() {
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        window->txtDiaryDir->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), window->txtDiaryDir);
    }
    void leaveNameBox() {
        window->Text10->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    QStringList listEntries() const {
        QStringList out;
        for (int i = 0; i < window->List1->count(); ++i)
            out << window->List1->item(i)->text();
        return out;
    }

    QTemporaryDir root;
    test::RecordingMessages messages;
    test::FixedClock clock;
    test::RecordingClipboard clipboard;
    test::ScriptedFolderChooser folders;
    std::unique_ptr<frmMain> window;
    std::unique_ptr<QSignalSpy> ended;
};

// --- start-up ---------------------------------------------------------------------------------------

TEST_F(StartupWindowTest, FirstStartWithoutFdirIniSaysSoAndEndsWithoutWritingAnything) {
    open();
    EXPECT_EQ(messages.texts(), QStringList{kStartupFailed});
    EXPECT_EQ(messages.shown.value(0).buttons, Buttons::Ok);
    EXPECT_EQ(ended->count(), 1);
    EXPECT_FALSE(window->isVisible());
    EXPECT_FALSE(QFileInfo::exists(home() + u"/ini"_s));
    EXPECT_FALSE(QFileInfo::exists(folder(u"diary"_s)));

    // Closing again (the close box of a window that somehow stayed) still writes nothing.
    window->close();
    EXPECT_FALSE(QFileInfo::exists(fdir()));
    EXPECT_EQ(ended->count(), 1);
}

TEST_F(StartupWindowTest, FdirIniLastLineWinsAndAnEmptyFileKeepsTheDesignTimeName) {
    makeDiary(u"a"_s);
    makeDiary(u"b"_s);
    writePage(u"b"_s, u"bの日記"_s);
    ASSERT_TRUE(writeBytes(fdir(), "a\r\nb\r\n"));
    open();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(window->txtDiaryDir->text(), u"b"_s);
    EXPECT_EQ(window->lblNowDiaryDir->text(), caption(u"b"_s));
    EXPECT_EQ(window->Text5->text(), u"bの日記"_s);
    EXPECT_EQ(window->lbldiarydate->text(), u"2005年11月05日"_s);
    EXPECT_EQ(window->txtCalYYYY->text() + window->txtCalMM->text(), u"200511"_s);

    makeDiary(u"diary"_s);
    ASSERT_TRUE(writeBytes(fdir(), ""));
    open();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(window->txtDiaryDir->text(), u"diary"_s);
    EXPECT_EQ(window->lblNowDiaryDir->text(), u"　ただいま【 diary 】フォルダ内の日記を表示中です　"_s);
}

TEST_F(StartupWindowTest, MissingDiaryFolderIsMadeSilentlyWithItsImageFolderAndTemplates) {
    ASSERT_TRUE(writeBytes(fdir(), "diary\r\n"));
    open();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(QFileInfo(folder(u"diary/image"_s)).isDir());
    EXPECT_EQ(readBytes(folder(u"diary/calender.css"_s)), readBytes(home() + u"/calender.css"_s));
    EXPECT_EQ(readBytes(folder(u"diary/calender.js"_s)), readBytes(home() + u"/calender.js"_s));
    EXPECT_EQ(listEntries().value(0), u"[フォルダ]image"_s);
}

TEST_F(StartupWindowTest, DiaryFolderWithoutImageRunsButShutDownTouchesNothing) {
    ASSERT_TRUE(QDir().mkpath(folder(u"diary"_s)));
    ASSERT_TRUE(writeBytes(folder(u"diary/notes.txt"_s), "x"));
    ASSERT_TRUE(writeBytes(home() + u"/ini/app_diary.ini"_s, "[FTP]never.read\r\n"));
    ASSERT_TRUE(writeBytes(fdir(), "diary\r\n"));
    open();
    EXPECT_EQ(messages.texts(), QStringList{kImageMissing});
    EXPECT_EQ(ended->count(), 0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(listEntries(), QStringList()); // nothing further was loaded
    EXPECT_TRUE(window->txtFTP->text().isEmpty());

    // Even a name of a missing folder in the box is neither asked about nor made.
    messages.clear();
    window->txtDiaryDir->setText(u"elsewhere"_s);
    window->close();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(ended->count(), 1);
    EXPECT_EQ(readBytes(fdir()), QByteArray("diary\r\n"));
    EXPECT_FALSE(QFileInfo::exists(folder(u"elsewhere"_s)));
    EXPECT_FALSE(QFileInfo::exists(folder(u"diary/image"_s)));
}

TEST_F(StartupWindowTest, WindowIsCentredInTheScreensWorkArea) {
    installed();
    open();
    const QRect area = window->screen()->availableGeometry();
    window->resize(300, 200); // as small as its controls let it be
    window->move(area.left() + 37, area.top() + 23);
    window->cmdDiaryDir->click(); // a switch re-runs the start-up, which centres again
    const QRect frame = window->frameGeometry();
    // Where the window is larger than the area (the offscreen screen is small), its top left corner
    // stays on screen.
    EXPECT_EQ(frame.left(), std::max(area.left(), area.left() + (area.width() - frame.width()) / 2));
    EXPECT_EQ(frame.top(), std::max(area.top(), area.top() + (area.height() - frame.height()) / 2));

    window->resize(area.width() + 200, area.height() + 200);
    window->cmdDiaryDir->click();
    EXPECT_EQ(window->frameGeometry().topLeft(), area.topLeft());
}

// --- shut-down --------------------------------------------------------------------------------------

TEST_F(StartupWindowTest, ShutDownRecordsTheFolderInFdirIni) {
    installed();
    ASSERT_TRUE(writeBytes(fdir(), "a\r\ndiary\r\n"));
    open();
    window->menuEnd->trigger();
    EXPECT_FALSE(window->isVisible());
    EXPECT_EQ(ended->count(), 1);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(readBytes(fdir()), QByteArray("diary\r\n"));
}

TEST_F(StartupWindowTest, ShutDownWithAnExistingFolderOtherThanTheLoadedOneRecordsIt) {
    installed();
    makeDiary(u"other"_s);
    open();
    window->txtDiaryDir->setText(u"other"_s); // typed, never switched to
    window->close();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(readBytes(fdir()), QByteArray("other\r\n"));
    open();
    EXPECT_EQ(window->txtDiaryDir->text(), u"other"_s);
}

TEST_F(StartupWindowTest, ShutDownWithAMissingFolderAnsweredNoKeepsFdirIni) {
    installed();
    open();
    window->txtDiaryDir->setText(u"新しい日記"_s);
    messages.answers = {Answer::No};
    EXPECT_TRUE(window->close());
    EXPECT_EQ(messages.texts(), QStringList{createQuestion(u"新しい日記"_s)});
    EXPECT_EQ(messages.shown.value(0).buttons, Buttons::YesNo);
    EXPECT_EQ(window->txtDiaryDir->text(), u"diary"_s);
    EXPECT_EQ(readBytes(fdir()), QByteArray("diary\r\n"));
    EXPECT_FALSE(QFileInfo::exists(folder(u"新しい日記"_s)));
    EXPECT_EQ(ended->count(), 1);
}

TEST_F(StartupWindowTest, ShutDownWithAMissingFolderAnsweredYesMakesItAndRecordsIt) {
    installed();
    open();
    window->txtDiaryDir->setText(u"新しい日記"_s);
    messages.answers = {Answer::Yes};
    window->close();
    EXPECT_EQ(messages.texts(), (QStringList{createQuestion(u"新しい日記"_s), created(u"新しい日記"_s)}));
    EXPECT_EQ(messages.shown.value(1).buttons, Buttons::Ok);
    EXPECT_TRUE(QFileInfo(folder(u"新しい日記/image"_s)).isDir());
    EXPECT_EQ(readBytes(folder(u"新しい日記/calender.css"_s)), QByteArray("/* css */\r\n"));
    EXPECT_EQ(readBytes(folder(u"新しい日記/calender.js"_s)), QByteArray("function datemark() {}\r\n"));
    EXPECT_EQ(window->lblNowDiaryDir->text(), caption(u"新しい日記"_s));
    EXPECT_EQ(readBytes(fdir()), textfile::encode(u"新しい日記\r\n"));
    EXPECT_EQ(ended->count(), 1);
}

TEST_F(StartupWindowTest, ShutDownFailuresAreToldAndLeaveNoHalfWrittenFdirIni) {
    installed();
    open();
    // A folder that cannot be made (its parent is missing): told, and fdir.ini keeps its folder.
    window->txtDiaryDir->setText(u"no/such"_s);
    messages.answers = {Answer::Yes};
    window->close();
    EXPECT_EQ(messages.texts(),
              (QStringList{createQuestion(u"no/such"_s),
                           messageText(Msg::FolderCreateFailed, {QDir::toNativeSeparators(folder(u"no/such"_s))})}));
    EXPECT_EQ(readBytes(fdir()), QByteArray("diary\r\n"));
    EXPECT_EQ(window->txtDiaryDir->text(), u"diary"_s);

    // fdir.ini that cannot be replaced (a folder stands in its place): the failure is told.
    open();
    messages.clear();
    ASSERT_TRUE(QFile::remove(fdir()));
    ASSERT_TRUE(QDir().mkpath(fdir() + u"/kept"_s));
    window->close();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].text.startsWith(u"エラーが発生しました。\r\n"_s));
    EXPECT_TRUE(QFileInfo(fdir() + u"/kept"_s).isDir());
    EXPECT_EQ(ended->count(), 1);
}

// --- edits not yet written ----------------------------------------------------------------------------

TEST_F(StartupWindowTest, ClosingWithUnwrittenEditsAsksAndYesWritesThePage) {
    installed();
    open();
    window->close(); // nothing typed: nothing asked
    EXPECT_TRUE(messages.shown.isEmpty());

    open();
    window->Text5->setText(u"閉じる前に"_s);
    messages.answers = {Answer::Yes};
    window->close();
    EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::UnsavedEdits)});
    EXPECT_EQ(messages.shown.value(0).buttons, Buttons::YesNo);
    EXPECT_TRUE(readBytes(folder(u"diary/200511.html"_s)).contains(textfile::encode(u"閉じる前に")));
    EXPECT_EQ(ended->count(), 1);
    EXPECT_EQ(readBytes(fdir()), QByteArray("diary\r\n"));
}

TEST_F(StartupWindowTest, ClosingWithUnwrittenEditsAnsweredNoDiscardsThem) {
    installed();
    writePage(u"diary"_s, u"元の日記"_s);
    const QByteArray before = readBytes(folder(u"diary/200511.html"_s));
    open();
    window->Text10->setText(u"新しいサイト名"_s); // the site title is written text too
    messages.answers = {Answer::No};
    window->close();
    EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::UnsavedEdits)});
    EXPECT_EQ(readBytes(folder(u"diary/200511.html"_s)), before);
    EXPECT_EQ(ended->count(), 1);
}

TEST_F(StartupWindowTest, WrittenOrUntouchedMonthsAskNothing) {
    installed();
    open();
    // A click on another day stores a blank entry for today's date, which the page never shows.
    QTest::mouseClick(window->lblCalDt[cellOf(2005, 11, 9)], Qt::LeftButton);
    window->close();
    EXPECT_TRUE(messages.shown.isEmpty());

    open();
    QTest::mouseClick(window->lblCalDt[cellOf(2005, 11, 9)], Qt::LeftButton);
    window->Text5->setText(u"九日"_s);
    window->aaa->click(); // written
    window->txtLinkTitle[0]->setText(u"十月"_s);
    window->txtLinkPath[0]->setText(u"200510"_s);
    window->btnJigetu->click(); // the month command writes the month it leaves
    EXPECT_TRUE(messages.shown.isEmpty());
    window->close();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(readBytes(folder(u"diary/200511.html"_s)).contains("200510.html"));
}

TEST_F(StartupWindowTest, ClosingWhenTheWantedPageCannotBeWrittenKeepsTheWindowOpen) {
    installed();
    open();
    window->Text5->setText(u"写真"_s);
    window->Text8->setText(u"a.jpg"_s); // no ";": the page is refused
    messages.answers = {Answer::Yes};
    EXPECT_FALSE(window->close());
    EXPECT_EQ(messages.texts(),
              (QStringList{messageText(Msg::UnsavedEdits), messageText(Msg::MediaNamesUnterminated)}));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(ended->count(), 0);
    EXPECT_EQ(window->Text5->text(), u"写真"_s);

    // The menu's end is held off the same way.
    messages.clear();
    messages.answers = {Answer::Yes};
    window->menuEnd->trigger();
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(ended->count(), 0);
}

TEST_F(StartupWindowTest, SwitchingWithUnwrittenEditsWritesThemIntoTheFolderTheyCameFrom) {
    installed();
    makeDiary(u"other"_s);
    open();
    window->Text5->setText(u"diaryの日記"_s);
    window->txtDiaryDir->setText(u"other"_s);
    messages.answers = {Answer::Yes};
    window->cmdDiaryDir->click();
    EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::UnsavedEdits)});
    EXPECT_TRUE(readBytes(folder(u"diary/200511.html"_s)).contains(textfile::encode(u"diaryの日記")));
    EXPECT_FALSE(QFileInfo::exists(folder(u"other/200511.html"_s)));
    EXPECT_EQ(window->lblNowDiaryDir->text(), caption(u"other"_s));
    EXPECT_TRUE(window->Text5->text().isEmpty());

    // No: the edits are dropped and the switch goes on.
    window->Text5->setText(u"捨てる"_s);
    window->txtDiaryDir->setText(u"diary"_s);
    messages.clear();
    messages.answers = {Answer::No};
    window->cmdDiaryDir->click();
    EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::UnsavedEdits)});
    EXPECT_FALSE(QFileInfo::exists(folder(u"other/200511.html"_s)));
    EXPECT_EQ(window->Text5->text(), u"diaryの日記"_s);
}

// --- diary folders ----------------------------------------------------------------------------------

TEST_F(StartupWindowTest, SwitchToAnExistingFolderClearsTheFieldsAndReloadsTodaysMonth) {
    installed();
    makeDiary(u"other"_s);
    writePage(u"other"_s, u"otherの日記"_s, u"otherのサイト"_s);
    ASSERT_TRUE(writeBytes(home() + u"/ini/etc_other.ini"_s, "[imw]640\r\n"));
    open();
    window->txtFTP->setText(u"ftp.example.jp"_s);
    window->txtID->setText(u"me"_s);
    window->txtPass->setText(u"secret"_s);
    window->txtRoot->setText(u"www"_s);
    window->txtImg[1]->setText(u"240"_s);
    window->txtImg2[0]->setText(u"320"_s);
    window->txtImg2[1]->setText(u"256"_s);
    window->chkimg->setChecked(true);
    window->chksaku->setChecked(true);
    window->SSTab1->setCurrentIndex(4);
    window->txtCalMM->setText(u"3"_s);
    window->btnShiteigetu->click();
    ASSERT_TRUE(writeBytes(fdir(), "diary\r\n")); // not read again by a switch

    window->txtDiaryDir->setText(u"other"_s);
    window->cmdDiaryDir->click();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(window->lblNowDiaryDir->text(), caption(u"other"_s));
    EXPECT_EQ(window->txtDiaryDir->text(), u"other"_s);
    EXPECT_EQ(window->txtCalYYYY->text() + window->txtCalMM->text(), u"200511"_s);
    EXPECT_EQ(window->lblHDCalYYYY->text() + window->lblHDCalMM->text(), u"200511"_s);
    EXPECT_EQ(window->Text5->text(), u"otherの日記"_s);
    EXPECT_EQ(window->Text10->text(), u"otherのサイト"_s);
    for (QLineEdit* cleared : {window->txtFTP, window->txtID, window->txtPass, window->txtRoot, window->txtImg[1]})
        EXPECT_TRUE(cleared->text().isEmpty()) << cleared->objectName().toStdString();
    EXPECT_EQ(window->txtImg[0]->text(), u"640"_s);                                  // from other's size file
    EXPECT_EQ(window->txtImg2[0]->text() + window->txtImg2[1]->text(), u"320256"_s); // kept
    EXPECT_FALSE(window->chkimg->isChecked());
    EXPECT_FALSE(window->chksaku->isChecked());
    EXPECT_EQ(window->SSTab1->currentIndex(), 0);

    // The loaded folder is the new one: the shut-down records it.
    window->close();
    EXPECT_EQ(readBytes(fdir()), QByteArray("other\r\n"));
}

TEST_F(StartupWindowTest, SwitchToAMissingFolderAsksMakesItAndStartsItEmpty) {
    installed();
    writePage(u"diary"_s, u"diaryの日記"_s);
    open();
    window->txtDiaryDir->setText(u"fresh"_s);
    messages.answers = {Answer::Yes};
    window->cmdDiaryDir->click();
    EXPECT_EQ(messages.texts(), (QStringList{createQuestion(u"fresh"_s), created(u"fresh"_s)}));
    EXPECT_TRUE(QFileInfo(folder(u"fresh/image"_s)).isDir());
    EXPECT_EQ(readBytes(folder(u"fresh/calender.css"_s)), QByteArray("/* css */\r\n"));
    EXPECT_EQ(window->entryTable().count, 0);
    EXPECT_TRUE(window->Text5->text().isEmpty());
    EXPECT_EQ(window->lblNowDiaryDir->text(), caption(u"fresh"_s));
    QStringList list = listEntries();
    list.sort();
    EXPECT_EQ(list, (QStringList{u"[ファイル]calender.css"_s, u"[ファイル]calender.js"_s, u"[フォルダ]image"_s}));
}

TEST_F(StartupWindowTest, SwitchAnsweredNoPutsTheLoadedNameBackAndReloadsNothing) {
    installed();
    open();
    window->txtFTP->setText(u"typed"_s);
    window->txtDiaryDir->setText(u"fresh"_s);
    messages.answers = {Answer::No};
    window->cmdDiaryDir->click();
    EXPECT_EQ(messages.texts(), QStringList{createQuestion(u"fresh"_s)});
    EXPECT_EQ(window->txtDiaryDir->text(), u"diary"_s);
    EXPECT_EQ(window->txtFTP->text(), u"typed"_s);
    EXPECT_FALSE(QFileInfo::exists(folder(u"fresh"_s)));
}

TEST_F(StartupWindowTest, SwitchWithoutTemplatesSaysSoOnceAndAFolderThatCannotBeMadeKeepsTheOldOne) {
    installed();
    ASSERT_TRUE(QFile::remove(home() + u"/calender.css"_s));
    ASSERT_TRUE(QFile::remove(home() + u"/calender.js"_s));
    open();
    window->txtDiaryDir->setText(u"fresh"_s);
    messages.answers = {Answer::Yes};
    window->cmdDiaryDir->click();
    EXPECT_EQ(messages.texts(),
              (QStringList{createQuestion(u"fresh"_s), messageText(Msg::TemplatesNotCopied), created(u"fresh"_s)}));
    EXPECT_TRUE(QFileInfo(folder(u"fresh/image"_s)).isDir());

    messages.clear();
    window->txtDiaryDir->setText(u"no/such"_s);
    messages.answers = {Answer::Yes};
    window->cmdDiaryDir->click();
    EXPECT_EQ(messages.texts(),
              (QStringList{createQuestion(u"no/such"_s),
                           messageText(Msg::FolderCreateFailed, {QDir::toNativeSeparators(folder(u"no/such"_s))})}));
    EXPECT_EQ(ended->count(), 0);
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->txtDiaryDir->text(), u"fresh"_s);
    EXPECT_EQ(window->lblNowDiaryDir->text(), caption(u"fresh"_s));
}

TEST_F(StartupWindowTest, BrowseUsesOnlyTheChosenFoldersNameInsideTheProgramFolder) {
    installed();
    const QString elsewhere = root.path() + u"/Documents/mydiary"_s;
    ASSERT_TRUE(writeBytes(elsewhere + u"/200511.html"_s, "not mine"));
    open();

    folders.answers = {std::nullopt}; // cancelled: nothing happens
    window->cmdFol->click();
    EXPECT_EQ(folders.titles, QStringList{u"日記フォルダを選択して下さい"_s});
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(window->txtDiaryDir->text(), u"diary"_s);

    folders.answers = {elsewhere};
    messages.answers = {Answer::Yes};
    window->cmdFol->click();
    EXPECT_EQ(messages.texts(), (QStringList{createQuestion(u"mydiary"_s), created(u"mydiary"_s)}));
    EXPECT_EQ(window->txtDiaryDir->text(), u"mydiary"_s);
    EXPECT_TRUE(QFileInfo(folder(u"mydiary/image"_s)).isDir());
    EXPECT_FALSE(QFileInfo::exists(elsewhere + u"/image"_s));
    EXPECT_EQ(readBytes(elsewhere + u"/200511.html"_s), QByteArray("not mine"));

    // A path in the other separator style gives its last name the same way.
    messages.clear();
    folders.answers = {u"C:\\Users\\me\\diary"_s};
    window->cmdFol->click();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(window->lblNowDiaryDir->text(), caption(u"diary"_s));
}

TEST_F(StartupWindowTest, EditedFolderNameOffersASwitchWhenTheBoxIsLeft) {
    installed();
    makeDiary(u"other"_s);
    open();
    focusNameBox();
    leaveNameBox(); // unchanged: nothing asked
    EXPECT_TRUE(messages.shown.isEmpty());

    window->txtFTP->setText(u"typed"_s);
    focusNameBox();
    window->txtDiaryDir->setText(u"other"_s);
    messages.answers = {Answer::No};
    leaveNameBox();
    EXPECT_EQ(messages.texts(), QStringList{kNameChanged});
    EXPECT_EQ(window->txtDiaryDir->text(), u"diary"_s);
    EXPECT_EQ(window->txtFTP->text(), u"typed"_s); // no reload

    messages.clear();
    focusNameBox();
    window->txtDiaryDir->setText(u"other"_s);
    messages.answers = {Answer::Yes};
    leaveNameBox();
    EXPECT_EQ(messages.texts(), QStringList{kNameChanged});
    EXPECT_EQ(window->lblNowDiaryDir->text(), caption(u"other"_s));
    EXPECT_TRUE(window->txtFTP->text().isEmpty());
}

// --- settings -------------------------------------------------------------------------------------------

TEST_F(StartupWindowTest, ConnectionSettingsAreSavedSilentlyAndReadBackWithTheirQuirks) {
    installed();
    open();
    window->txtFTP->setText(u"ftp.example.jp"_s);
    window->txtPass->setText(u"pa;ss[word"_s);
    window->txtRoot->setText(u"www/diary"_s);
    window->chksaku->setChecked(true);
    window->cmdSAVE->click();
    EXPECT_TRUE(messages.shown.isEmpty());
    const QString app = home() + u"/ini/app_diary.ini"_s;
    EXPECT_EQ(readBytes(app),
              QByteArray("[FTP]ftp.example.jp\r\n[UID]\r\n[PSW]pa;ss[word\r\n[DIR]www/diary\r\n[CHK]1\r\n"));

    for (QLineEdit* box : {window->txtFTP, window->txtID, window->txtPass, window->txtRoot})
        box->setText(u"edited"_s);
    window->chksaku->setChecked(false);
    window->cmdLoad->click();
    EXPECT_EQ(window->txtFTP->text(), u"ftp.example.jp"_s);
    EXPECT_EQ(window->txtID->text(), QString());
    EXPECT_EQ(window->txtPass->text(), u"pa;ss[word"_s);
    EXPECT_EQ(window->txtRoot->text(), u"www/diary"_s);
    EXPECT_TRUE(window->chksaku->isChecked());

    // Hand-edited: a space before the tag, "[PSW]" inside a user id.
    ASSERT_TRUE(writeBytes(app, " [FTP]host\r\n[UID]me[PSW]x\r\n"));
    window->txtPass->setText(u"kept"_s);
    window->cmdLoad->click();
    EXPECT_EQ(window->txtFTP->text(), u"]host"_s);
    EXPECT_EQ(window->txtID->text(), u"me[PSW]x"_s);
    EXPECT_EQ(window->txtPass->text(), u"kept"_s);

    // A greyed check box (2) is read and written back as such.
    ASSERT_TRUE(writeBytes(app, "[CHK]2\r\n"));
    window->cmdLoad->click();
    EXPECT_EQ(window->chksaku->checkState(), Qt::PartiallyChecked);
    window->cmdSAVE->click();
    EXPECT_TRUE(readBytes(app).endsWith("[CHK]2\r\n"));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(StartupWindowTest, SizeSettingsAreSavedAndAnUpperCaseCheckTagLeavesTheBox) {
    installed();
    open();
    window->txtImg[0]->setText(u"320"_s);
    window->txtImg[1]->setText(u"240"_s);
    window->txtImg2[0]->setText(u"320"_s);
    window->txtImg2[1]->setText(u"256"_s);
    window->cmdEtcIniSave->click();
    EXPECT_TRUE(messages.shown.isEmpty());
    const QString etc = home() + u"/ini/etc_diary.ini"_s;
    EXPECT_EQ(readBytes(etc), QByteArray("[imw]320\r\n[imh]240\r\n[mow]320\r\n[moh]256\r\n[chk]0\r\n"));

    ASSERT_TRUE(writeBytes(etc, "[imw]640\r\n[CHK]1\r\n"));
    window->chkimg->setChecked(false);
    window->txtImg[1]->setText(u"kept"_s);
    window->cmdLoad->click();
    EXPECT_EQ(window->txtImg[0]->text(), u"640"_s);
    EXPECT_EQ(window->txtImg[1]->text(), u"kept"_s);
    EXPECT_FALSE(window->chkimg->isChecked());
}

TEST_F(StartupWindowTest, ValuesThatCannotBeStoredAreRefusedAndTheOldFileStays) {
    installed();
    open();
    window->txtFTP->setText(u"ftp.example.jp"_s);
    window->cmdSAVE->click();
    const QString app = home() + u"/ini/app_diary.ini"_s;
    const QByteArray before = readBytes(app);
    window->txtPass->setText(u"鍵🔑"_s);
    window->cmdSAVE->click();
    EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::CannotEncode, {u"パスワード"_s})});
    EXPECT_EQ(readBytes(app), before);
}

TEST_F(StartupWindowTest, UnreadableSettingsSayWhichAndKeepWhatWasReadBefore) {
    installed();
    ASSERT_TRUE(writeBytes(home() + u"/ini/app_diary.ini"_s, "[FTP]first\r\n[CHK]x\r\n[DIR]after\r\n"));
    ASSERT_TRUE(writeBytes(home() + u"/ini/etc_diary.ini"_s, "[imw]640\r\n"));
    open();
    EXPECT_EQ(messages.texts(), QStringList{kLoadFailed});
    EXPECT_EQ(window->txtFTP->text(), u"first"_s);
    EXPECT_TRUE(window->txtRoot->text().isEmpty());
    EXPECT_TRUE(window->txtImg[0]->text().isEmpty()); // the size file is not reached
    EXPECT_EQ(ended->count(), 0);
}

TEST_F(StartupWindowTest, ReloadRefillsTheUploadListFoldersFirst) {
    installed();
    writePage(u"diary"_s, u"日記"_s);
    open();
    QStringList first = listEntries();
    EXPECT_EQ(first.value(0), u"[フォルダ]image"_s);
    ASSERT_TRUE(QDir().mkpath(folder(u"diary/movies"_s)));
    ASSERT_TRUE(writeBytes(folder(u"diary/notes.txt"_s), "x"));
    window->cmdLoad->click();
    const QStringList list = listEntries();
    ASSERT_EQ(list.size(), 4);
    EXPECT_EQ(QStringList(list.mid(0, 2)).filter(u"[フォルダ]"_s).size(), 2);
    QStringList sorted = list;
    sorted.sort();
    EXPECT_EQ(sorted, (QStringList{u"[ファイル]200511.html"_s, u"[ファイル]notes.txt"_s, u"[フォルダ]image"_s,
                                   u"[フォルダ]movies"_s}));
    EXPECT_TRUE(messages.shown.isEmpty());
}

// --- the holiday rules ------------------------------------------------------------------------------------

TEST_F(StartupWindowTest, HolidayRulesChoiceRedrawsAtOnceAndIsSavedWithTheSizes) {
    installed();
    clock.date = QDate(2026, 5, 6);
    open();
    EXPECT_TRUE(window->optHolClassic->isChecked());
    DayCell* may6 = window->lblCalDt[cellOf(2026, 5, 6)];
    EXPECT_TRUE(may6->toolTip().isEmpty());
    EXPECT_NE(may6->palette().color(QPalette::WindowText), kRed);
    window->Text5->setText(u"typed"_s);
    QTest::mouseClick(window->lblCalDt[cellOf(2026, 5, 12)], Qt::LeftButton);
    window->txtCalMM->setText(u"9"_s); // typed without a month command: the shown month is redrawn all the same

    window->optHolLaw->click();
    EXPECT_EQ(window->holidayRules(), HolidayRules::Law);
    EXPECT_EQ(may6->toolTip(), u"振替休日"_s);
    EXPECT_EQ(may6->palette().color(QPalette::WindowText), kRed);
    EXPECT_TRUE(window->lblCalDt[cellOf(2026, 5, 12)]->look().selected);
    EXPECT_EQ(window->txtCalMM->text(), u"9"_s);

    window->cmdEtcIniSave->click();
    const QString etc = home() + u"/ini/etc_diary.ini"_s;
    EXPECT_EQ(readBytes(etc), QByteArray("[imw]\r\n[imh]\r\n[mow]\r\n[moh]\r\n[chk]0\r\n[hol]1\r\n"));

    // The writer follows the choice too.
    window->txtCalMM->setText(u"05"_s);
    window->aaa->click();
    const QByteArray lawPage = readBytes(folder(u"diary/202605.html"_s));
    window->optHolClassic->click();
    EXPECT_TRUE(may6->toolTip().isEmpty());
    window->aaa->click();
    EXPECT_NE(readBytes(folder(u"diary/202605.html"_s)), lawPage);

    window->cmdEtcIniSave->click();
    EXPECT_EQ(readBytes(etc), QByteArray("[imw]\r\n[imh]\r\n[mow]\r\n[moh]\r\n[chk]0\r\n"));
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(StartupWindowTest, EachFolderOpensOnItsOwnHolidayRules) {
    installed();
    makeDiary(u"law"_s);
    makeDiary(u"classic"_s);
    ASSERT_TRUE(writeBytes(home() + u"/ini/etc_diary.ini"_s, "[imw]320\r\n[hol]1\r\n"));
    ASSERT_TRUE(writeBytes(home() + u"/ini/etc_classic.ini"_s, "[imw]320\r\n[chk]0\r\n"));
    clock.date = QDate(2026, 12, 1);
    open();
    const int dec23 = cellOf(2026, 12, 23);
    EXPECT_TRUE(window->optHolLaw->isChecked());
    EXPECT_TRUE(window->lblCalDt[dec23]->toolTip().isEmpty());

    window->txtDiaryDir->setText(u"classic"_s);
    window->cmdDiaryDir->click();
    EXPECT_TRUE(window->optHolClassic->isChecked());
    EXPECT_EQ(window->lblCalDt[dec23]->toolTip(), u"天皇誕生日"_s);
    EXPECT_EQ(window->lblCalDt[dec23]->palette().color(QPalette::WindowText), kRed);

    window->txtDiaryDir->setText(u"law"_s); // no size file at all: the classic rules
    window->cmdDiaryDir->click();
    EXPECT_TRUE(window->optHolClassic->isChecked());
    EXPECT_EQ(window->lblCalDt[dec23]->toolTip(), u"天皇誕生日"_s);
    EXPECT_TRUE(messages.shown.isEmpty());
}

} // namespace
