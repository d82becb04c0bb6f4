// Start-up, shut-down, settings and diary folder commands on a temporary program folder.
#include "diary/messages.h"
#include "fake_folder_chooser.h"
#include "fake_services.h"
#include "qt_printers.h"

#include "settings/diary_folder.h"
#include "site/month_page_writer.h"
#include "store/textfile.h"
#include "ui/day_cell.h"
#include "ui/frm_main.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
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
using test::readBytes;
using test::writeBytes;

namespace {

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
        makeDiary(u"diary"_s); // the program folder as installed
        ASSERT_TRUE(writeBytes(fdir(), "diary\r\n"));
    }

    QString home() const { return root.path() + u"/Tsuzuri"_s; }
    QString fdir() const { return home() + u"/ini/fdir.ini"_s; }
    QString folder(const QString& name) const { return home() + u'/' + name; }
    QString cannotMake(const QString& name) const {
        return messageText(Msg::FolderCreateFailed, {QDir::toNativeSeparators(folder(name))});
    }
    void makeDiary(const QString& name) const { ASSERT_TRUE(QDir().mkpath(folder(name) + u"/image"_s)); }
    void writePage(const QString& name, const QString& title, const QString& siteTitle = {}) const {
        MonthPageInput in;
        in.year = u"2005"_s;
        in.month = u"11"_s;
        in.siteTitle = siteTitle;
        ASSERT_TRUE(in.entries.store({title, u"本文"_s, u"2005年11月05日"_s, QString()}).ok());
        ASSERT_TRUE(MakeMonthHtml(home(), name, in).ok());
    }

    frmMain& open() {
        messages.clear();
        window = std::make_unique<frmMain>(
            home(), Services{&messages, &clock, &clipboard, nullptr, nullptr, nullptr, nullptr, nullptr, &folders});
        ended = std::make_unique<QSignalSpy>(window.get(), &frmMain::programEnded);
        window->start();
        if (ended->isEmpty())
            window->show();
        return *window;
    }
    void switchTo(const QString& name, std::deque<Answer> answers = {}) {
        messages.clear();
        window->txtDiaryDir->setText(name);
        messages.answers = std::move(answers);
        window->cmdDiaryDir->click();
    }
    void closeWith(const QString& name, std::deque<Answer> answers) {
        messages.clear();
        window->txtDiaryDir->setText(name);
        messages.answers = std::move(answers);
        window->close();
    }
    // Types into the name box between getting and losing the focus as a user would.
    void leaveNameBoxWith(const QString& name) {
        messages.clear();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        window->txtDiaryDir->setFocus(Qt::MouseFocusReason);
        QApplication::processEvents();
        ASSERT_EQ(QApplication::focusWidget(), window->txtDiaryDir);
        window->txtDiaryDir->setText(name);
        window->Text10->setFocus(Qt::TabFocusReason);
        QApplication::processEvents();
    }
    QStringList sortedList() const {
        QStringList out;
        for (int i = 0; i < window->List1->count(); ++i)
            out << window->List1->item(i)->text();
        out.sort();
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

TEST_F(StartupWindowTest, FirstStartWithoutFdirIniSaysSoAndEndsWithoutWritingAnything) {
    ASSERT_TRUE(QDir(home() + u"/ini"_s).removeRecursively() && QDir(folder(u"diary"_s)).removeRecursively());
    open();
    EXPECT_EQ(messages.texts(), QStringList{kStartupFailed});
    EXPECT_EQ(messages.shown.value(0).buttons, Buttons::Ok);
    EXPECT_EQ(ended->count(), 1);
    EXPECT_FALSE(window->isVisible());
    window->close(); // the close box of a window that somehow stayed writes nothing either
    EXPECT_EQ(ended->count(), 1);
    EXPECT_FALSE(QFileInfo::exists(home() + u"/ini"_s));
    EXPECT_FALSE(QFileInfo::exists(folder(u"diary"_s)));
}

TEST_F(StartupWindowTest, FdirIniLastLineNamesTheFolder_AnEmptyFileTheDesignTimeOneWhichIsMadeSilently) {
    makeDiary(u"b"_s);
    writePage(u"b"_s, u"bの日記"_s);
    ASSERT_TRUE(writeBytes(fdir(), "a\r\nb\r\n"));
    open();
    EXPECT_EQ(window->lblNowDiaryDir->text(), folderCaption(u"b"_s));
    EXPECT_EQ(window->Text5->text(), u"bの日記"_s); // the month page is that folder's

    ASSERT_TRUE(writeBytes(fdir(), ""));
    ASSERT_TRUE(QDir(folder(u"diary"_s)).removeRecursively());
    open();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(window->lblNowDiaryDir->text(), u"　ただいま【 diary 】フォルダ内の日記を表示中です　"_s);
    EXPECT_TRUE(QFileInfo(folder(u"diary/image"_s)).isDir());
    EXPECT_EQ(readBytes(folder(u"diary/calender.js"_s)), readBytes(home() + u"/calender.js"_s));
    EXPECT_TRUE(sortedList().contains(u"[フォルダ]image"_s)); // listed after it was made
}

TEST_F(StartupWindowTest, DiaryFolderWithoutImageRunsButShutDownTouchesNothing) {
    ASSERT_TRUE(QDir(folder(u"diary/image"_s)).removeRecursively());
    ASSERT_TRUE(writeBytes(home() + u"/ini/app_diary.ini"_s, "[FTP]never.read\r\n"));
    open();
    EXPECT_EQ(messages.texts(), QStringList{kImageMissing});
    EXPECT_TRUE(window->isVisible());
    EXPECT_TRUE(window->txtFTP->text().isEmpty()); // nothing further was loaded

    // Not even the name of a missing folder in the box is asked about or made.
    messages.clear();
    window->txtDiaryDir->setText(u"elsewhere"_s);
    window->close();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(ended->count(), 1);
    EXPECT_EQ(readBytes(fdir()), QByteArray("diary\r\n"));
    EXPECT_FALSE(QFileInfo::exists(folder(u"diary/image"_s)));
}

TEST_F(StartupWindowTest, WindowIsCentredInTheScreensWorkArea) {
    open();
    const QRect area = window->screen()->availableGeometry();
    window->resize(300, 200); // as small as its controls let it be
    window->move(area.left() + 37, area.top() + 23);
    window->cmdDiaryDir->click(); // a switch re-runs the start-up, which centres again
    const QRect frame = window->frameGeometry();
    // A window larger than the area (the offscreen screen is small) keeps its top left corner on screen.
    EXPECT_EQ(frame.left(), std::max(area.left(), area.left() + (area.width() - frame.width()) / 2));
    EXPECT_EQ(frame.top(), std::max(area.top(), area.top() + (area.height() - frame.height()) / 2));

    window->resize(area.width() + 200, area.height() + 200);
    window->cmdDiaryDir->click();
    EXPECT_EQ(window->frameGeometry().topLeft(), area.topLeft());
}

TEST_F(StartupWindowTest, ShutDownRecordsTheFolderInTheBoxAndAsksBeforeMakingAMissingOne) {
    makeDiary(u"other"_s);
    const QString q = createQuestion(u"新しい日記"_s);
    const struct {
        QString name;
        std::deque<Answer> answers;
        QStringList told;
        bool recorded;
    } cases[] = {
        {u"other"_s, {}, {}, true}, // typed, never switched to
        {u"新しい日記"_s, {Answer::No}, {q}, false},
        {u"新しい日記"_s, {Answer::Yes}, {q, created(u"新しい日記"_s)}, true},
        {u"no/such"_s, {Answer::Yes}, {createQuestion(u"no/such"_s), cannotMake(u"no/such"_s)}, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.told.join(u'|').toStdString());
        ASSERT_TRUE(writeBytes(fdir(), "a\r\ndiary\r\n"));
        open();
        closeWith(c.name, c.answers);
        EXPECT_EQ(messages.texts(), c.told);
        EXPECT_EQ(ended->count(), 1);
        EXPECT_EQ(readBytes(fdir()), c.recorded ? textfile::encode(c.name + u"\r\n"_s) : QByteArray("a\r\ndiary\r\n"));
        EXPECT_EQ(QFileInfo(folder(c.name) + u"/image"_s).isDir(), c.recorded);
    }

    open();
    ASSERT_TRUE(QFile::remove(fdir()));
    ASSERT_TRUE(QDir().mkpath(fdir() + u"/kept"_s)); // fdir.ini cannot replace a folder
    window->close();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].text.startsWith(u"エラーが発生しました。\r\n"_s));
    EXPECT_TRUE(QFileInfo(fdir() + u"/kept"_s).isDir());
}

TEST_F(StartupWindowTest, ClosingWithUnwrittenEditsAsks_NoDiscards_YesWritesOrStaysOpenWhenThePageIsRefused) {
    writePage(u"diary"_s, u"元の日記"_s);
    const QByteArray before = readBytes(folder(u"diary/200511.html"_s));
    open();
    window->Text10->setText(u"新しいサイト名"_s); // the site title is written text too
    closeWith(u"diary"_s, {Answer::No});
    EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::UnsavedEdits)});
    EXPECT_EQ(readBytes(folder(u"diary/200511.html"_s)), before);
    EXPECT_EQ(ended->count(), 1);

    open();
    window->Text5->setText(u"写真"_s);
    window->Text8->setText(u"a.jpg"_s); // no ";": the page is refused
    messages.answers = {Answer::Yes};
    window->menuEnd->trigger();
    EXPECT_EQ(messages.texts(),
              (QStringList{messageText(Msg::UnsavedEdits), messageText(Msg::MediaNamesUnterminated)}));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(ended->count(), 0);

    window->Text8->setText(u"a.jpg;"_s);
    messages.answers = {Answer::Yes};
    window->menuEnd->trigger();
    EXPECT_TRUE(readBytes(folder(u"diary/200511.html"_s)).contains(textfile::encode(u"写真")));
    EXPECT_EQ(ended->count(), 1);
    EXPECT_FALSE(window->isVisible());
}

TEST_F(StartupWindowTest, WrittenOrUntouchedMonthsAskNothing) {
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
    window->close();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_TRUE(readBytes(folder(u"diary/200511.html"_s)).contains("200510.html"));
}

TEST_F(StartupWindowTest, SwitchToAnExistingFolderWritesPendingEditsWhereTheyCameFromThenReloadsTodayFromIt) {
    makeDiary(u"other"_s);
    writePage(u"other"_s, u"otherの日記"_s, u"otherのサイト"_s);
    const QByteArray otherPage = readBytes(folder(u"other/200511.html"_s));
    ASSERT_TRUE(writeBytes(home() + u"/ini/etc_other.ini"_s, "[imw]640\r\n"));
    open();
    const QList<QLineEdit*> cleared{window->txtFTP, window->txtID, window->txtPass, window->txtRoot, window->txtImg[1]};
    for (QLineEdit* box : cleared)
        box->setText(u"typed"_s);
    window->txtImg2[0]->setText(u"320"_s);
    window->chkimg->setChecked(true);
    window->chksaku->setChecked(true);
    window->SSTab1->setCurrentIndex(4);
    window->txtCalMM->setText(u"3"_s);
    window->btnShiteigetu->click();
    window->Text5->setText(u"三月の日記"_s);

    switchTo(u"other"_s, {Answer::Yes});
    EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::UnsavedEdits)});
    EXPECT_TRUE(readBytes(folder(u"diary/200503.html"_s)).contains(textfile::encode(u"三月の日記")));
    EXPECT_FALSE(QFileInfo::exists(folder(u"other/200503.html"_s)));
    EXPECT_EQ(window->txtDiaryDir->text(), u"other"_s); // fdir.ini is not read again
    EXPECT_EQ(window->lblNowDiaryDir->text(), folderCaption(u"other"_s));
    EXPECT_EQ(window->lblHDCalYYYY->text() + window->lblHDCalMM->text(), u"200511"_s);
    EXPECT_EQ(window->Text5->text(), u"otherの日記"_s);
    EXPECT_EQ(window->Text10->text(), u"otherのサイト"_s);
    for (QLineEdit* box : cleared)
        EXPECT_TRUE(box->text().isEmpty()) << box->objectName().toStdString();
    EXPECT_EQ(window->txtImg[0]->text(), u"640"_s);  // from other's size file
    EXPECT_EQ(window->txtImg2[0]->text(), u"320"_s); // kept
    EXPECT_FALSE(window->chkimg->isChecked() || window->chksaku->isChecked());
    EXPECT_EQ(window->SSTab1->currentIndex(), 0);

    window->Text5->setText(u"捨てる"_s); // No: dropped, and the switch goes on
    switchTo(u"diary"_s, {Answer::No});
    EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::UnsavedEdits)});
    EXPECT_EQ(readBytes(folder(u"other/200511.html"_s)), otherPage);
    EXPECT_EQ(window->lblNowDiaryDir->text(), folderCaption(u"diary"_s));
}

TEST_F(StartupWindowTest, SwitchToAMissingFolderAsks_YesMakesItEmpty_NoOrAFailureKeepsTheOneInUse) {
    writePage(u"diary"_s, u"diaryの日記"_s);
    ASSERT_TRUE(QFile::remove(home() + u"/calender.css"_s)); // without templates: said once, made all the same
    ASSERT_TRUE(QFile::remove(home() + u"/calender.js"_s));
    open();
    switchTo(u"fresh"_s, {Answer::Yes});
    EXPECT_EQ(messages.texts(),
              (QStringList{createQuestion(u"fresh"_s), messageText(Msg::TemplatesNotCopied), created(u"fresh"_s)}));
    EXPECT_EQ(sortedList(), QStringList{u"[フォルダ]image"_s});
    EXPECT_TRUE(window->Text5->text().isEmpty());
    EXPECT_EQ(window->lblNowDiaryDir->text(), folderCaption(u"fresh"_s));

    window->txtFTP->setText(u"typed"_s);
    switchTo(u"later"_s, {Answer::No});
    EXPECT_EQ(messages.texts(), QStringList{createQuestion(u"later"_s)});
    EXPECT_EQ(window->txtDiaryDir->text(), u"fresh"_s);
    EXPECT_FALSE(QFileInfo::exists(folder(u"later"_s)));
    switchTo(u"no/such"_s, {Answer::Yes});
    EXPECT_EQ(messages.texts(), (QStringList{createQuestion(u"no/such"_s), cannotMake(u"no/such"_s)}));
    EXPECT_TRUE(window->isVisible());
    EXPECT_EQ(window->txtDiaryDir->text(), u"fresh"_s);
    EXPECT_EQ(window->lblNowDiaryDir->text(), folderCaption(u"fresh"_s));
    EXPECT_EQ(window->txtFTP->text(), u"typed"_s); // nothing reloaded
}

TEST_F(StartupWindowTest, BrowseUsesOnlyTheChosenFoldersNameInsideTheProgramFolder) {
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
    EXPECT_TRUE(QFileInfo(folder(u"mydiary/image"_s)).isDir());
    EXPECT_FALSE(QFileInfo::exists(elsewhere + u"/image"_s));
    EXPECT_EQ(readBytes(elsewhere + u"/200511.html"_s), QByteArray("not mine"));

    // A path in the other separator style gives its last name the same way.
    messages.clear();
    folders.answers = {u"C:\\Users\\me\\diary"_s};
    window->cmdFol->click();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(window->lblNowDiaryDir->text(), folderCaption(u"diary"_s));
}

TEST_F(StartupWindowTest, EditedFolderNameOffersASwitchWhenTheBoxIsLeft) {
    makeDiary(u"other"_s);
    open();
    leaveNameBoxWith(u"diary"_s); // unchanged: nothing asked
    EXPECT_TRUE(messages.shown.isEmpty());
    window->txtFTP->setText(u"typed"_s);
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        messages.answers = {yes ? Answer::Yes : Answer::No};
        leaveNameBoxWith(u"other"_s);
        EXPECT_EQ(messages.texts(), QStringList{kNameChanged});
        EXPECT_EQ(window->txtDiaryDir->text(), yes ? u"other"_s : u"diary"_s);
        EXPECT_EQ(window->lblNowDiaryDir->text(), folderCaption(yes ? u"other"_s : u"diary"_s));
        EXPECT_EQ(window->txtFTP->text(), yes ? QString() : u"typed"_s); // reloaded only on Yes
    }
}

TEST_F(StartupWindowTest, SettingsAreSavedSilentlyAndReadBackWithTheirQuirks) {
    open();
    const QList<QLineEdit*> boxes{window->txtFTP,    window->txtID,     window->txtPass,    window->txtRoot,
                                  window->txtImg[0], window->txtImg[1], window->txtImg2[0], window->txtImg2[1]};
    const QStringList values{
        u"ftp.example.jp"_s, QString(), u"pa;ss[word"_s, u"www/diary"_s, u"320"_s, u"240"_s, u"640"_s, u"480"_s};
    for (int i = 0; i < boxes.size(); ++i)
        boxes[i]->setText(values[i]);
    window->chksaku->setChecked(true);
    window->chkimg->setChecked(true);
    window->cmdSAVE->click();
    window->cmdEtcIniSave->click();
    EXPECT_TRUE(messages.shown.isEmpty());
    const QString app = home() + u"/ini/app_diary.ini"_s;
    EXPECT_EQ(readBytes(app),
              QByteArray("[FTP]ftp.example.jp\r\n[UID]\r\n[PSW]pa;ss[word\r\n[DIR]www/diary\r\n[CHK]1\r\n"));
    EXPECT_EQ(readBytes(home() + u"/ini/etc_diary.ini"_s),
              QByteArray("[imw]320\r\n[imh]240\r\n[mow]640\r\n[moh]480\r\n[chk]1\r\n"));

    // 再読込み puts the files' values back over edits and lists the folder afresh.
    for (QLineEdit* box : boxes)
        box->setText(u"edited"_s);
    window->chksaku->setChecked(false);
    window->chkimg->setChecked(false);
    ASSERT_TRUE(QDir().mkpath(folder(u"diary/movies"_s)));
    window->cmdLoad->click();
    for (int i = 0; i < boxes.size(); ++i)
        EXPECT_EQ(boxes[i]->text(), values[i]) << boxes[i]->objectName().toStdString();
    EXPECT_TRUE(window->chksaku->isChecked() && window->chkimg->isChecked());
    EXPECT_EQ(sortedList(), (QStringList{u"[フォルダ]image"_s, u"[フォルダ]movies"_s}));

    // Hand-edited: a space before the tag, "[PSW]" inside a user id, a greyed check box; a missing key
    // leaves its box as it is.
    ASSERT_TRUE(writeBytes(app, " [FTP]host\r\n[UID]me[PSW]x\r\n[CHK]2\r\n"));
    window->cmdLoad->click();
    EXPECT_EQ(window->txtFTP->text(), u"]host"_s);
    EXPECT_EQ(window->txtID->text(), u"me[PSW]x"_s);
    EXPECT_EQ(window->txtPass->text(), u"pa;ss[word"_s);
    EXPECT_EQ(window->chksaku->checkState(), Qt::PartiallyChecked);
    window->cmdSAVE->click();
    const QByteArray greyed = readBytes(app);
    EXPECT_TRUE(greyed.endsWith("[CHK]2\r\n"));

    window->txtPass->setText(u"鍵🔑"_s); // refused: the file stays
    window->cmdSAVE->click();
    EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::CannotEncode, {u"パスワード"_s})});
    EXPECT_EQ(readBytes(app), greyed);

    // An unreadable line stops the reading there, and the size file is not reached.
    ASSERT_TRUE(writeBytes(app, "[FTP]first\r\n[CHK]x\r\n[DIR]after\r\n"));
    ASSERT_TRUE(writeBytes(home() + u"/ini/etc_diary.ini"_s, "[imw]999\r\n"));
    messages.clear();
    window->cmdLoad->click();
    EXPECT_EQ(messages.texts(), QStringList{kLoadFailed});
    EXPECT_EQ(window->txtFTP->text(), u"first"_s);
    EXPECT_EQ(window->txtRoot->text(), u"www/diary"_s);
    EXPECT_EQ(window->txtImg[0]->text(), u"320"_s);
}

TEST_F(StartupWindowTest, HolidayRulesChoiceRedrawsAtOnceReachesTheWriterAndIsKeptPerFolder) {
    makeDiary(u"other"_s); // no size file: the law
    clock.date = QDate(2026, 5, 6);
    open();
    EXPECT_TRUE(window->optHolLaw->isChecked());
    DayCell* may6 = window->lblCalDt[cellOf(2026, 5, 6)];
    EXPECT_EQ(may6->toolTip(), u"振替休日"_s);
    window->aaa->click();
    const QByteArray lawPage = readBytes(folder(u"diary/202605.html"_s));
    QTest::mouseClick(window->lblCalDt[cellOf(2026, 5, 12)], Qt::LeftButton);
    window->txtCalMM->setText(u"9"_s); // typed without a month command: the shown month is redrawn all the same

    window->optHolClassic->click();
    EXPECT_TRUE(may6->toolTip().isEmpty());
    EXPECT_TRUE(window->lblCalDt[cellOf(2026, 5, 12)]->look().selected);
    EXPECT_EQ(window->txtCalMM->text(), u"9"_s);
    window->aaa->click();
    EXPECT_NE(readBytes(folder(u"diary/202605.html"_s)), lawPage);
    window->cmdEtcIniSave->click();
    EXPECT_EQ(readBytes(home() + u"/ini/etc_diary.ini"_s),
              QByteArray("[imw]\r\n[imh]\r\n[mow]\r\n[moh]\r\n[chk]0\r\n[hol]0\r\n"));

    switchTo(u"other"_s);
    EXPECT_TRUE(window->optHolLaw->isChecked());
    EXPECT_EQ(may6->toolTip(), u"振替休日"_s);
    switchTo(u"diary"_s);
    EXPECT_TRUE(window->optHolClassic->isChecked());
    EXPECT_TRUE(may6->toolTip().isEmpty());
    EXPECT_TRUE(messages.shown.isEmpty());
}

} // namespace
