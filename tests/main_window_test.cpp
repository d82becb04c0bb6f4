#include "fake_services.h"
#include "qt_printers.h"

#include "diary/messages.h"
#include "site/month_page_writer.h"
#include "site/snippets.h"
#include "store/textfile.h"
#include "ui/day_cell.h"
#include "ui/frm_main.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

const QColor kRed(0xFF, 0x00, 0x00);
const QColor kBlue(0x00, 0x00, 0xFF);
const QColor kWhite(0xFF, 0xFF, 0xFF);

DiaryEntry entry(const QString& date, const QString& title, const QString& body = {}, const QString& media = {}) {
    return DiaryEntry{title, body, date, media};
}

MonthPageInput monthInput(const QString& year, const QString& month, const QList<DiaryEntry>& entries = {}) {
    MonthPageInput in;
    in.year = year;
    in.month = month;
    for (const DiaryEntry& e : entries)
        EXPECT_TRUE(in.entries.store(e).ok());
    return in;
}

// Thirty days of a 2005 month and a second entry on the 1st: a full entry table of 31 rows.
MonthPageInput fullMonth(const QString& month) {
    MonthPageInput in = monthInput(u"2005"_s, month);
    for (int d = 1; d <= 30; ++d)
        in.entries.rows[d] = entry(dateLine(u"2005", month, QString::asprintf("%02d", d)), u"日記"_s);
    in.entries.rows[31] = entry(dateLine(u"2005", month, u"01"), u"同じ日にもう一つ"_s);
    in.entries.count = 31;
    return in;
}

QColor textColour(const QWidget* w) {
    return w->palette().color(QPalette::WindowText);
}

class MainWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(home.isValid());
        ASSERT_TRUE(QDir(home.path()).mkpath(u"diary/image"_s));
        ASSERT_TRUE(QDir(home.path()).mkpath(u"ini"_s)); // without fdir.ini the window does not start
        ASSERT_TRUE(textfile::writeFileAtomically(home.path() + u"/ini/fdir.ini"_s, "diary\r\n").ok());
    }

    void open(bool start = true) {
        window = std::make_unique<frmMain>(home.path(), Services{&messages, &clock, &clipboard});
        if (start)
            window->start();
        window->show();
    }

    QString page(const QString& ym) const { return home.path() + u"/diary/"_s + ym + u".html"_s; }
    QByteArray pageBytes(const QString& ym) const {
        QFile f(page(ym));
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
    }
    void writePage(const MonthPageInput& in) { ASSERT_TRUE(MakeMonthHtml(home.path(), u"diary"_s, in).ok()); }

    void clickDay(int cell) { QTest::mouseClick(window->lblCalDt[cell], Qt::LeftButton); }
    void chooseMonth(const QString& year, const QString& month, QPushButton* command) {
        window->txtCalYYYY->setText(year);
        window->txtCalMM->setText(month);
        command->click();
    }
    // The boxes and the hidden mirror, as one text: "2005/11 2005/11".
    QString shownMonth() const {
        return window->txtCalYYYY->text() + u'/' + window->txtCalMM->text() + u' ' + window->lblHDCalYYYY->text() +
               u'/' + window->lblHDCalMM->text();
    }
    QList<int> selectedCells() const {
        QList<int> out;
        for (int k = 1; k <= 42; ++k)
            if (window->lblCalDt[k]->look().selected)
                out << k;
        return out;
    }

    QTemporaryDir home;
    test::RecordingMessages messages;
    test::FixedClock clock;
    test::RecordingClipboard clipboard;
    std::unique_ptr<frmMain> window;
};

TEST_F(MainWindowTest, StartShowsTodaysMonthAndTodaysEntryFromThePage) {
    MonthPageInput in = monthInput(u"2005"_s, u"11"_s,
                                   {entry(u"2005年11月04日"_s, u"四日"_s),
                                    entry(u"2005年11月05日"_s, u"五日"_s, u"一行目\r\n二行目"_s, u"a.jpg;"_s)});
    in.siteTitle = u"綴の日記"_s;
    in.links[0] = {u"十月"_s, u"200510.html"_s};
    writePage(in);
    open();
    EXPECT_EQ(shownMonth(), u"2005/11 2005/11"_s);
    EXPECT_EQ(window->lbldiarydate->text(), u"2005年11月05日"_s);
    EXPECT_EQ(window->Text5->text(), u"五日"_s);
    EXPECT_EQ(window->Text6->toPlainText(), u"一行目\n二行目"_s); // the box shows LF, the table keeps CR LF
    EXPECT_EQ(window->Text8->text(), u"a.jpg;"_s);
    EXPECT_EQ(window->Text10->text(), u"綴の日記"_s);
    EXPECT_EQ(window->txtLinkTitle[0]->text() + window->txtLinkPath[0]->text(), u"十月200510.html"_s);
    EXPECT_TRUE(messages.shown.isEmpty());

    // 1 November 2005 is a Tuesday: day d in cell d + 2. Today (Saturday 5th, with an entry) is flat,
    // bold, underlined and blue; the 4th has an entry and keeps its frame.
    DayCell* today = window->lblCalDt[7];
    EXPECT_EQ(today->text(), u"5"_s);
    EXPECT_EQ(today->frameStyle(), int(QFrame::NoFrame));
    EXPECT_TRUE(today->font().bold() && today->font().underline());
    EXPECT_EQ(textColour(today), kBlue);
    DayCell* fourth = window->lblCalDt[6];
    EXPECT_TRUE(fourth->font().bold() && fourth->font().underline());
    EXPECT_NE(fourth->frameStyle(), int(QFrame::NoFrame));
    EXPECT_FALSE(window->lblCalDt[8]->font().bold());
    EXPECT_EQ(window->lblCalDt[5]->toolTip(), u"文化の日"_s);
    EXPECT_EQ(textColour(window->lblCalDt[5]), kRed);
    EXPECT_EQ(textColour(window->lblCalDt[4]), window->palette().color(QPalette::ButtonText));
    EXPECT_TRUE(selectedCells().isEmpty());
    EXPECT_NE(window->lblCalDt[4]->palette().color(QPalette::Window), kWhite);
}

TEST_F(MainWindowTest, ControlsCarryTheirNamesAsObjectNames) {
    open();
    // The control arrays are named name_index; the weekday headings lblCalWk1..7.
    for (const char16_t* name : {u"lblCalWk1", u"lblCalWk7", u"lblCalDt_1", u"lblCalDt_42", u"txtLinkTitle_0",
                                 u"txtLinkPath_11", u"txtImg_1", u"txtImg2_0", u"SSTab1", u"FraCal", u"Label5"}) {
        EXPECT_NE(window->findChild<QWidget*>(QString::fromUtf16(name)), nullptr)
            << QString::fromUtf16(name).toStdString();
    }
    EXPECT_EQ(textColour(window->lblCalWk[0]), kRed);
    EXPECT_EQ(textColour(window->lblCalWk[6]), kBlue);
    EXPECT_FALSE(window->lblHDCalYYYY->isVisible());
}

TEST_F(MainWindowTest, ClickingADayStoresTheEditorAndLoadsTheClickedDay) {
    writePage(monthInput(u"2005"_s, u"11"_s, {entry(u"2005年11月04日"_s, u"四日"_s, u"本文"_s, u"x.jpg;"_s)}));
    open();
    window->Text5->setText(u"今日のタイトル"_s);
    clickDay(6);
    EXPECT_EQ(window->lbldiarydate->text(), u"2005年11月04日"_s);
    EXPECT_EQ(window->Text5->text(), u"四日"_s);
    EXPECT_EQ(window->Text8->text(), u"x.jpg;"_s);
    EXPECT_EQ(selectedCells(), QList<int>{6});
    EXPECT_EQ(window->lblCalDt[6]->palette().color(QPalette::Window), kWhite);
    clickDay(7);
    EXPECT_EQ(window->Text5->text(), u"今日のタイトル"_s); // stored under the first date

    // An empty cell only moves the highlight; the editor keeps its entry and date.
    window->Text6->setPlainText(u"書きかけ"_s);
    clickDay(1);
    EXPECT_EQ(selectedCells(), QList<int>{1});
    EXPECT_EQ(window->lbldiarydate->text(), u"2005年11月05日"_s);
    EXPECT_EQ(window->Text6->toPlainText(), u"書きかけ"_s);

    window->Command1->click(); // the body delete button empties the body only
    EXPECT_TRUE(window->Text6->toPlainText().isEmpty());
    EXPECT_EQ(window->Text5->text(), u"今日のタイトル"_s);
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(MainWindowTest, FocusGuardSendsTheFocusToTheGenerateButtonWhileNoDayIsSet) {
    open(false); // never started: the date label is empty
    window->activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
    window->Text6->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(messages.texts(), QStringList{u"日にちが選択されていません。"_s});
    EXPECT_EQ(messages.shown.value(0).buttons, Buttons::Ok);
    EXPECT_EQ(QApplication::focusWidget(), window->aaa);
}

TEST_F(MainWindowTest, ClickTypeGenerate_WritesTheWritersPageAndTheCopyButtonsCopyTheSnippets) {
    open();
    clickDay(6);
    window->Text5->setText(u"晴れ"_s);
    window->Text6->setPlainText(u"一行目\n二行目\n"_s);
    window->Text10->setText(u"綴の日記"_s);
    window->txtLinkTitle[0]->setText(u"十月"_s);
    window->txtLinkPath[0]->setText(u"200510"_s);
    window->aaa->click();
    EXPECT_TRUE(messages.shown.isEmpty());

    // The blank row left by today's default date is stored too, but never reaches the page.
    MonthPageInput expected =
        monthInput(u"2005"_s, u"11"_s, {entry(u"2005年11月04日"_s, u"晴れ"_s, u"一行目\r\n二行目\r\n"_s)});
    expected.siteTitle = u"綴の日記"_s;
    expected.links[0] = {u"十月"_s, u"200510"_s};
    const QByteArray bytes = pageBytes(u"200511"_s);
    EXPECT_EQ(bytes, renderMonthPage(expected).page.bytes);
    EXPECT_EQ(window->txtLinkPath[0]->text(), u"200510.html"_s); // completed by the writer

    // Each copy button puts exactly its box's text, CR LF and all, on the clipboard.
    const CodeSnippets snippets = codeSnippets(textfile::decodeWithReferences(bytes));
    ASSERT_TRUE(snippets.calendar.startsWith(u"\r\n<!--ここからカレンダー-->"_s));
    for (QPushButton* copy :
         {window->Command9, window->Command8, window->Command7, window->Command5, window->Command10})
        copy->click();
    EXPECT_EQ(clipboard.texts,
              (QStringList{snippets.calendar, stylesheetSnippet(), bodySnippet(), scriptSnippet(), snippets.diary}));
}

TEST_F(MainWindowTest, GenerateWritesTheHiddenMonthAndRefusesANonNumericYearBox) {
    open();
    window->txtCalYYYY->setText(u"2010"_s); // typed, no month command: the page is still November 2005's
    window->aaa->click();
    EXPECT_TRUE(QFile::exists(page(u"200511"_s)));
    EXPECT_FALSE(QFile::exists(page(u"201011"_s)));

    QFile::remove(page(u"200511"_s));
    window->txtCalYYYY->setText(u"abc"_s);
    window->Text5->setText(u"残る"_s);
    window->aaa->click();
    EXPECT_EQ(messages.texts(), QStringList{u"半角数値で入力して下さい"_s});
    EXPECT_FALSE(QFile::exists(page(u"200511"_s)));
    EXPECT_EQ(window->entryTable().lastMatch(u"2005年11月05日")->title, u"残る"_s); // stored all the same
}

TEST_F(MainWindowTest, WriteFailuresAreShownAndTheMonthIsNotLeftWithItsEdits) {
    open();
    window->Text5->setText(u"写真"_s);
    window->Text8->setText(u"a.jpg"_s);
    for (QPushButton* command : {window->aaa, window->btnJigetu}) {
        messages.clear();
        command->click();
        EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::MediaNamesUnterminated)});
    }
    EXPECT_FALSE(QFile::exists(page(u"200511"_s)));
    EXPECT_EQ(shownMonth(), u"2005/11 2005/11"_s);
    EXPECT_EQ(window->Text5->text(), u"写真"_s);

    window->Text8->setText(u"a.jpg;"_s);
    ASSERT_TRUE(QDir(home.path() + u"/diary"_s).removeRecursively()); // a diary folder that has gone
    messages.clear();
    window->aaa->click();
    ASSERT_EQ(messages.shown.size(), 1);
    EXPECT_TRUE(messages.shown[0].text.startsWith(u"エラーが発生しました。"_s));

    clipboard.fail = true; // anything unexpected inside a command gives the general error
    messages.clear();
    window->Command5->click();
    EXPECT_EQ(messages.texts(), QStringList{u"エラーが発生しました。"_s});
}

TEST_F(MainWindowTest, MonthCommandsWriteTheMonthBeingLeft_WrapAroundTheYear_AndReadTheChosenMonth) {
    writePage(monthInput(u"2005"_s, u"03"_s,
                         {entry(u"2005年03月01日"_s, u"三月一日"_s), entry(u"2005年03月20日"_s, u"春"_s)}));
    open();
    window->Text5->setText(u"前月の前に"_s);
    chooseMonth(u"2005"_s, u"1"_s, window->btnZengetu);
    EXPECT_EQ(shownMonth(), u"2004/12 2004/12"_s);
    EXPECT_TRUE(pageBytes(u"200511"_s).contains(textfile::encode(u"前月の前に")));
    EXPECT_EQ(window->lbldiarydate->text(), u"2004年12月01日"_s);
    EXPECT_EQ(selectedCells(), QList<int>{4}); // 1 December 2004 is a Wednesday

    chooseMonth(u"2005"_s, u"12"_s, window->btnJigetu); // 1 January 2006 is a Sunday holiday (the law names it 元日)
    EXPECT_EQ(shownMonth(), u"2006/01 2006/01"_s);
    EXPECT_TRUE(QFile::exists(page(u"200412"_s)));
    EXPECT_EQ(window->lblCalDt[1]->toolTip(), u"元日"_s);
    EXPECT_EQ(window->lblCalDt[2]->toolTip(), u"振替休日"_s);
    EXPECT_EQ(textColour(window->lblCalDt[2]), kRed);
    window->btnJigetu->click(); // the names of the month before do not linger
    EXPECT_TRUE(window->lblCalDt[1]->toolTip().isEmpty() && window->lblCalDt[2]->toolTip().isEmpty());
    EXPECT_EQ(window->lblCalDt[14]->toolTip(), u"建国記念の日"_s);

    chooseMonth(u"2005"_s, u"3"_s, window->btnShiteigetu);
    EXPECT_EQ(shownMonth(), u"2005/03 2005/03"_s);
    EXPECT_EQ(window->lbldiarydate->text(), u"2005年03月01日"_s);
    EXPECT_EQ(window->Text5->text(), u"三月一日"_s);
    EXPECT_EQ(window->entryTable().count, 2);
    EXPECT_TRUE(window->lblCalDt[22]->font().bold()); // 20 March

    // Today's month and day in another year: that year's entry of the day is shown, and so survives.
    writePage(monthInput(u"2006"_s, u"11"_s, {entry(u"2006年11月05日"_s, u"一年後"_s)}));
    chooseMonth(u"2006"_s, u"11"_s, window->btnShiteigetu);
    EXPECT_EQ(window->lbldiarydate->text(), u"2006年11月05日"_s);
    EXPECT_EQ(window->Text5->text(), u"一年後"_s);
    EXPECT_TRUE(selectedCells().isEmpty());
    for (int k = 1; k <= 42; ++k)
        EXPECT_FALSE(window->lblCalDt[k]->look().flat) << k;
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(MainWindowTest, RefusedYearOrMonthChangesNothingWhicheverMonthCommandIsUsed) {
    writePage(monthInput(u"2005"_s, u"11"_s,
                         {entry(u"2005年11月04日"_s, u"四日"_s), entry(u"2005年11月05日"_s, u"五日"_s, u"a\r\nb"_s)}));
    open();
    window->txtLinkTitle[0]->setText(u"リンク"_s);
    const EntryTable table = window->entryTable();
    std::array<DayCellLook, 43> looks;
    for (int k = 1; k <= 42; ++k)
        looks[k] = window->lblCalDt[k]->look();

    const QString e4 = u"1～12(半角)の間で入力して下さい"_s, e5 = u"1900～2999(半角)の間で入力して下さい"_s;
    // Year, month, what is said: the year is checked first, and a year that is no number is refused by
    // the writing of the month being left too.
    const QStringList cases[] = {
        {u"1899"_s, u"11"_s, e5},  {u"3000"_s, u"11"_s, e5}, {u"2005.5"_s, u"11"_s, e5},
        {u"2005"_s, u"13"_s, e4},  {u"2005"_s, u"0"_s, e4},  {u"2005"_s, u"abc"_s, e4},
        {u"2005"_s, u"3.0"_s, e4}, {u"1899"_s, u"13"_s, e5}, {u"abc"_s, u"11"_s, u"半角数値で入力して下さい"_s, e5}};
    for (const QStringList& c : cases) {
        for (QPushButton* command : {window->btnShiteigetu, window->btnZengetu, window->btnJigetu}) {
            SCOPED_TRACE((c[0] + u' ' + c[1] + u' ' + command->objectName()).toStdString());
            messages.clear();
            chooseMonth(c[0], c[1], command);
            EXPECT_EQ(messages.texts(), c.mid(2));
            EXPECT_EQ(shownMonth(), c[0] + u'/' + c[1] + u" 2005/11"_s); // the typed text stays
            EXPECT_TRUE(window->entryTable() == table);
            EXPECT_EQ(window->txtLinkTitle[0]->text(), u"リンク"_s);
            for (int k = 1; k <= 42; ++k)
                EXPECT_EQ(window->lblCalDt[k]->look(), looks[k]) << k;
        }
    }
}

TEST_F(MainWindowTest, PageWithTooManyEntriesIsShownButNeverWrittenOver) {
    // A full month with one entry block copied in: 32 blocks.
    QString text = textfile::decodeWithReferences(renderMonthPage(fullMonth(u"11"_s)).page.bytes);
    const qsizetype start = text.indexOf(u"<a name=name1>"_s);
    text.insert(start, text.mid(start, text.indexOf(u"<hr>\r\n"_s, start) + 6 - start));
    const QByteArray broken = textfile::encode(text);
    ASSERT_TRUE(textfile::writeFileAtomically(page(u"200511"_s), broken).ok());
    open();
    const QString notWritable = messageText(Msg::MonthNotWritable, {u"200511.html"_s});
    EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::PageTooManyEntries, {u"200511.html"_s})});
    EXPECT_EQ(window->entryTable().count, 31);
    EXPECT_EQ(window->Text5->text(), u"日記"_s); // what was read is on screen

    window->Text5->setText(u"上書きしない"_s);
    for (QPushButton* command : {window->aaa, window->btnJigetu}) { // the month command still moves on
        messages.clear();
        command->click();
        EXPECT_EQ(messages.texts(), QStringList{notWritable});
        EXPECT_EQ(pageBytes(u"200511"_s), broken);
    }
    EXPECT_EQ(shownMonth(), u"2005/12 2005/12"_s);
    EXPECT_FALSE(window->unreadPage().has_value());
    window->aaa->click();
    EXPECT_TRUE(QFile::exists(page(u"200512"_s)));
}

TEST_F(MainWindowTest, UnreadablePageIsNamedAndNotWritten) {
    ASSERT_TRUE(QDir().mkpath(page(u"200511"_s))); // a folder where the page should be
    open();
    window->aaa->click();
    EXPECT_EQ(messages.texts(), (QStringList{messageText(Msg::PageUnreadable, {u"200511.html"_s}),
                                             messageText(Msg::MonthNotWritable, {u"200511.html"_s})}));
}

TEST_F(MainWindowTest, FullEntryTableRefusesANewDateAndKeepsTheEditor) {
    clock.date = QDate(2005, 10, 5);
    writePage(fullMonth(u"10"_s));
    const QByteArray before = pageBytes(u"200510"_s);
    open();
    ASSERT_EQ(window->entryTable().count, 31);
    clickDay(37); // 31 October: no row
    const EntryTable table = window->entryTable();
    window->Text5->setText(u"新しい日記"_s);

    clickDay(8);
    const QString full = messageText(Msg::EntryTableFull, {u"2005年10月31日"_s});
    EXPECT_EQ(messages.texts(), QStringList{full});
    EXPECT_EQ(window->lbldiarydate->text(), u"2005年10月31日"_s);
    EXPECT_EQ(window->Text5->text(), u"新しい日記"_s);
    EXPECT_EQ(selectedCells(), QList<int>{37});
    EXPECT_TRUE(window->entryTable() == table);

    messages.clear();
    window->aaa->click();
    window->btnJigetu->click();
    EXPECT_EQ(messages.texts(), (QStringList{full, full}));
    EXPECT_EQ(pageBytes(u"200510"_s), before);
    EXPECT_EQ(shownMonth(), u"2005/10 2005/10"_s);

    messages.clear(); // a blank editor has nothing to keep: the click goes through without a word
    window->Text5->clear();
    clickDay(8);
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(window->lbldiarydate->text(), u"2005年10月02日"_s);
}

} // namespace
