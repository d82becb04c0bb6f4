// The main window over a real session: what only widgets show — wiring, focus, drops, layout, names.
#include "session_fixture.h"

#include "ui/day_cell.h"
#include "ui/main_window.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDialog>
#include <QDropEvent>
#include <QInputMethodEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListView>
#include <QListWidget>
#include <QMimeData>
#include <QPlainTextEdit>
#include <QProcess>
#include <QPushButton>
#include <QStatusBar>
#include <QTabWidget>
#include <QTest>
#include <QUrl>

using namespace Qt::StringLiterals;
using namespace tsuzuri;
using namespace tsuzuri::test;
using upload::testing::FakeFtpSession;

namespace {

class NoDialogs final : public DialogRunner {
public:
    QStringList shown;
    void run(QDialog& dialog) override { shown << dialog.windowTitle(); }
};

class WindowTest : public SessionTest {
protected:
    void openWindow(bool start = true) {
        window = std::make_unique<MainWindow>(
            home(), WindowServices{{&messages, &clock, &clipboard, &launcher, &files, &copyProgress, &ftp, &folders},
                                   &dialogs});
        ASSERT_TRUE(!start || window->start());
        window->show();
        window->activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        messages.clear();
    }
    DiarySession& ws() { return window->session(); }

    // A control found as a screen reader finds it: by the name it reads out.
    template <class W = QWidget> W* named(const QString& accessibleName) const {
        for (W* w : window->findChildren<W*>())
            if (w->accessibleName() == accessibleName)
                return w;
        ADD_FAILURE() << "no control named " << accessibleName.toStdString();
        return nullptr;
    }
    // Typing as an input method commits Japanese text: the box takes it as the user's own edit.
    static void type(QWidget* box, const QString& text) {
        QInputMethodEvent commit;
        commit.setCommitString(text);
        QCoreApplication::sendEvent(box, &commit);
    }
    DayCell* cell(int k) const { return window->findChild<DayCell*>(u"dayCell"_s + QString::number(k)); }
    void showTab(const QString& title) {
        auto* tabs = window->findChild<QTabWidget*>();
        for (int i = 0; i < tabs->count(); ++i)
            if (tabs->tabText(i) == title)
                tabs->setCurrentIndex(i);
    }

    NoDialogs dialogs;
    std::unique_ptr<MainWindow> window;
};

TEST_F(WindowTest, EveryControlHasAnAccessibleName_AndNothingIsClippedAtTheMinimumSize) {
    openWindow();
    window->resize(window->minimumSizeHint());
    EXPECT_LE(window->minimumSizeHint().width(), 800);
    EXPECT_LE(window->minimumSizeHint().height(), 600);
    for (QLabel* heading : window->findChildren<QLabel*>())
        EXPECT_TRUE(heading->text() != u"土"_s || heading->geometry().bottom() < cell(7)->geometry().top());
    auto* tabs = window->findChild<QTabWidget*>();
    for (int i = 0; i < tabs->count(); ++i) {
        tabs->setCurrentIndex(i);
        QApplication::processEvents();
        for (QWidget* w : window->findChildren<QWidget*>()) {
            if (!w->isVisible())
                continue;
            const bool control = qobject_cast<QAbstractButton*>(w) || qobject_cast<QLineEdit*>(w) ||
                                 qobject_cast<QPlainTextEdit*>(w) || qobject_cast<QListWidget*>(w);
            if (control && !qobject_cast<DayCell*>(w)) {
                EXPECT_FALSE(w->accessibleName().isEmpty()) << w->objectName().toStdString();
            }
            // A label or button narrower or lower than its text needs is cut.
            if (qobject_cast<QLabel*>(w) || qobject_cast<QAbstractButton*>(w)) {
                const QSize need = w->minimumSizeHint();
                EXPECT_TRUE(w->width() >= need.width() || w->sizePolicy().horizontalPolicy() == QSizePolicy::Ignored)
                    << w->objectName().toStdString() << " on tab " << i;
                EXPECT_GE(w->height(), need.height()) << w->objectName().toStdString() << " on tab " << i;
            }
            if (qobject_cast<QLineEdit*>(w)) {
                EXPECT_GE(w->width(), 36) << w->objectName().toStdString() << " on tab " << i;
            }
        }
    }
}

TEST_F(WindowTest, ClicksAndTypingReachTheSession_AndTheBoxesShowWhatItHolds) {
    writeEntries({entry(u"2005年11月04日"_s, u"四日"_s, u"本文\r\n二行目"_s, u"x.jpg;"_s)});
    openWindow();
    auto* title = named<QLineEdit>(u"タイトル"_s);
    auto* body = named<QPlainTextEdit>(u"本文"_s);
    QTest::mouseClick(cell(6), Qt::LeftButton);
    EXPECT_EQ(named<QLabel>(u"日付"_s)->text(), u"2005年11月04日"_s);
    EXPECT_EQ(title->text(), u"四日"_s);
    EXPECT_EQ(body->toPlainText(), u"本文\n二行目"_s); // the box shows LF, the session keeps CR LF
    EXPECT_EQ(named<QLineEdit>(u"画像/動画"_s)->text(), u"x.jpg;"_s);
    EXPECT_EQ(QApplication::focusWidget(), title);
    EXPECT_EQ(cell(6)->palette().color(QPalette::Window), QColor(0xFF, 0xFF, 0xFF));

    title->selectAll();
    type(title, u"晴れ"_s);
    body->setPlainText(u"一\n二"_s);
    type(named<QLineEdit>(u"サイトのタイトル"_s), u"綴"_s);
    type(named<QLineEdit>(u"リンク1のファイル名"_s), u"200510"_s);
    type(named<QLineEdit>(u"リンク1の日本語名"_s), u"十月"_s);
    type(named<QLineEdit>(u"リンク12のファイル名"_s), u"200411"_s);
    type(named<QLineEdit>(u"リンク12の日本語名"_s), u"去年"_s);
    EXPECT_EQ(ws().editor(), entry(u"2005年11月04日"_s, u"晴れ"_s, u"一\r\n二"_s, u"x.jpg;"_s));
    named<QPushButton>(u"HTMLを作成"_s)->click();
    EXPECT_EQ(named<QLineEdit>(u"リンク1のファイル名"_s)->text(), u"200510.html"_s);
    EXPECT_EQ(named<QLineEdit>(u"リンク12のファイル名"_s)->text(), u"200411.html"_s);
    named<QPushButton>(u"日記本文をコピー"_s)->click();
    EXPECT_EQ(clipboard.texts, QStringList{ws().snippets().diary});
    EXPECT_EQ(named<QPlainTextEdit>(u"日記本文"_s)->toPlainText(),
              QString(ws().snippets().diary).replace(u"\r\n"_s, u"\n"_s));

    named<QLineEdit>(u"月"_s)->selectAll();
    type(named<QLineEdit>(u"月"_s), u"12"_s);
    named<QPushButton>(u"指定月"_s)->click();
    EXPECT_EQ(cell(5)->text(), u"1"_s); // 1 December 2005 is a Thursday
    EXPECT_TRUE(cell(5)->toolTip().isEmpty());
    named<QPushButton>(u"前月"_s)->click();
    EXPECT_EQ(cell(5)->toolTip(), u"文化の日"_s);
    EXPECT_EQ(cell(6)->accessibleName(), u"4日"_s);
    EXPECT_TRUE(cell(6)->font().bold());
}

TEST_F(WindowTest, DayFromAnotherTab_UndoableClear_TabLeavesTheBody_CalendarByKeyboard_StatusLine) {
    writeEntries({entry(u"2005年11月04日"_s, u"四日"_s, u"1\r\n2\r\n3\r\n4\r\n5"_s)});
    openWindow();
    auto* tabs = window->findChild<QTabWidget*>();
    auto* title = named<QLineEdit>(u"タイトル"_s);
    auto* body = named<QPlainTextEdit>(u"本文"_s);
    showTab(u"その他の設定"_s);
    QTest::mouseClick(cell(6), Qt::LeftButton); // the diary tab comes to the front before the title takes the typing
    EXPECT_EQ(tabs->currentIndex(), 0);
    EXPECT_EQ(QApplication::focusWidget(), title);

    messages.answers = {Answer::Yes}; // five lines: asked first, then cleared through the box's undo
    named<QPushButton>(u"本文削除"_s)->click();
    EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::ClearBodyConfirm, {u"5"_s})});
    EXPECT_TRUE(body->toPlainText().isEmpty() && ws().editor().body.isEmpty());
    body->setFocus();
    QTest::keyClick(body, Qt::Key_Z, Qt::ControlModifier);
    EXPECT_EQ(ws().editor().body, u"1\r\n2\r\n3\r\n4\r\n5"_s);
    QTest::keyClick(body, Qt::Key_Tab); // leaves the box, types nothing
    EXPECT_NE(QApplication::focusWidget(), body);
    EXPECT_EQ(ws().editor().body, u"1\r\n2\r\n3\r\n4\r\n5"_s);

    named<QPushButton>(u"HTMLを作成"_s)->click();
    EXPECT_EQ(window->statusBar()->currentMessage(), page(u"200511"_s) + u" を書き出しました。"_s);

    // The calendar by keyboard: it starts on the chosen day; arrows move, Enter opens, Page Down changes month.
    QWidget* calendar = named(u"カレンダー"_s);
    calendar->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(calendar->accessibleDescription(), u"4日"_s);
    QTest::keyClick(calendar, Qt::Key_Down);
    QTest::keyClick(calendar, Qt::Key_Left);
    EXPECT_EQ(calendar->accessibleDescription(), u"10日"_s);
    QTest::keyClick(calendar, Qt::Key_Return);
    EXPECT_EQ(ws().editor().date, u"2005年11月10日"_s);
    EXPECT_EQ(QApplication::focusWidget(), title);
    calendar->setFocus(Qt::TabFocusReason);
    QTest::keyClick(calendar, Qt::Key_PageDown);
    EXPECT_EQ(ws().shownMonth(), u"12"_s);
    EXPECT_EQ(QApplication::focusWidget(), calendar);
    QTest::keyClick(calendar, Qt::Key_Return); // still on the 10th, in another cell of the new month
    EXPECT_EQ(ws().editor().date, u"2005年12月10日"_s);

    // The folder line ends in "…" when the window is narrow, and shows itself whole as a tooltip.
    window->resize(window->minimumSizeHint());
    QApplication::processEvents();
    auto* caption = named<QLabel>(u"表示中の日記フォルダ"_s);
    EXPECT_TRUE(caption->text().endsWith(u'…')) << caption->text().toStdString();
    EXPECT_EQ(caption->toolTip(), ws().folderCaption());
}

TEST_F(WindowTest, AMonthNotReadCompletelyTakesNoTyping_AndTheLineAboveSaysWhyAndWhere) {
    ASSERT_TRUE(QDir().mkpath(page(u"200511"_s))); // a folder where the page should be: unreadable
    openWindow();
    auto* notice = named<QLabel>(u"この月は表示のみ"_s);
    EXPECT_TRUE(notice->isVisible());
    EXPECT_EQ(notice->text(), messageText(Msg::BlockedUnreadable, {page(u"200511"_s)}));
    for (const QString& box : {u"タイトル"_s, u"画像/動画"_s, u"サイトのタイトル"_s, u"リンク1の日本語名"_s})
        EXPECT_TRUE(named<QLineEdit>(box)->isReadOnly()) << box.toStdString();
    EXPECT_TRUE(named<QPlainTextEdit>(u"本文"_s)->isReadOnly());
    named<QPushButton>(u"次月"_s)->click(); // moves on; the next month takes typing again
    EXPECT_FALSE(notice->isVisible() || named<QLineEdit>(u"タイトル"_s)->isReadOnly());
}

TEST_F(WindowTest, FocusGuard_MediaBoxLeaveCheck_FolderNameLeaveQuestion_AndDrops) {
    openWindow(false); // never started: the date label is empty
    named<QPlainTextEdit>(u"本文"_s)->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(messages.texts(), QStringList{u"日にちが選択されていません。"_s});
    EXPECT_EQ(QApplication::focusWidget(), named(u"HTMLを作成"_s));

    ws().start();
    messages.clear();
    auto* mediaBox = named<QLineEdit>(u"画像/動画"_s);
    mediaBox->setFocus(Qt::TabFocusReason);
    type(mediaBox, u"a.jpg"_s);
    named(u"タイトル"_s)->setFocus(Qt::TabFocusReason);
    EXPECT_EQ(messages.texts().value(0), messageText(Msg::MediaNamesUnterminated));
    EXPECT_EQ(QApplication::focusWidget(), mediaBox) << "the box gets the focus back";
    mediaBox->clear();
    emit mediaBox->textEdited(QString());
    messages.clear();

    // A file manager's drop onto the media box: attached once the drop has returned.
    const QString photo = root.path() + u"/Pictures/p.jpg"_s;
    ASSERT_TRUE(writeBytes(photo, "P"));
    QMimeData mime;
    mime.setUrls({QUrl::fromLocalFile(photo)});
    const QPoint at = mediaBox->rect().center();
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(mediaBox, &enter);
    QDropEvent drop(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(mediaBox, &drop);
    EXPECT_TRUE(enter.isAccepted() && drop.isAccepted());
    QCoreApplication::processEvents();
    EXPECT_EQ(mediaBox->text(), u"p.jpg;"_s);
    EXPECT_EQ(QApplication::focusWidget(), mediaBox);

    // The folder name box: leaving it with another name asks; No puts the name back.
    makeDiary(u"other"_s);
    auto* folderBox = named<QLineEdit>(u"日記フォルダ"_s);
    folderBox->setFocus(Qt::MouseFocusReason);
    folderBox->selectAll();
    type(folderBox, u"other"_s);
    EXPECT_EQ(said([&] { named(u"サイトのタイトル"_s)->setFocus(Qt::TabFocusReason); }, {Answer::No}),
              told(Msg::FolderNameChanged));
    EXPECT_EQ(folderBox->text(), u"diary"_s);
}

TEST_F(WindowTest, UploadTabShowsTheRunAndClosingAsksAboutItAndAboutUnwrittenEdits) {
    ASSERT_TRUE(writeBytes(folder(u"diary/image/a.jpg"_s), "a"));
    openWindow();
    showTab(u"アップロード"_s);
    auto* list = named<QListWidget>(u"アップロードファイル（フォルダ）一覧"_s);
    ASSERT_EQ(list->count(), 1);
    type(named<QLineEdit>(u"接続先"_s), u"ftp.example.jp"_s);
    EXPECT_EQ(ws().connection().host, u"ftp.example.jp"_s);
    list->item(0)->setSelected(true);
    ftp.script = [](FakeFtpSession& f) { f.blockPuts = true; };
    messages.answers = {Answer::Yes};
    named<QPushButton>(u"アップロード"_s)->click();
    auto* current = named<QLabel>(u"送信中のファイル"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return current->text().startsWith(u"送信中"_s); }, 10000));
    EXPECT_FALSE(named(u"アップロード"_s)->isEnabled() || named(u"再読込み"_s)->isEnabled());
    EXPECT_TRUE(named(u"アップロードの進み具合"_s)->isVisible());
    ASSERT_TRUE(QApplication::overrideCursor() && QApplication::overrideCursor()->shape() == Qt::WaitCursor);

    named<QPushButton>(u"アップロードの中止"_s)->click();
    ASSERT_TRUE(QTest::qWaitFor([&] { return !ws().uploads().isRunning(); }, 10000));
    EXPECT_TRUE(named(u"アップロード"_s)->isEnabled() && named(u"アップロードの進み具合"_s)->isHidden());
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);
    EXPECT_TRUE(list->item(0)->isSelected());

    // Closing with an unwritten entry asks; the answer No closes without writing.
    type(named<QLineEdit>(u"サイトのタイトル"_s), u"新しい"_s);
    QSignalSpy ended(window.get(), &MainWindow::programEnded);
    EXPECT_EQ(said([&] { EXPECT_TRUE(window->close()); }, {Answer::No}), told(Msg::UnsavedEdits));
    EXPECT_EQ(ended.count(), 1);
    EXPECT_FALSE(QFile::exists(page(u"200511"_s)));
}

TEST_F(WindowTest, MenusOpenThePageElsewhereAndTheAboutBox_ASwitchShowsTheDiaryTab) {
    openWindow();
    ws().generate();
    showTab(u"その他の設定"_s);
    named<QPushButton>(u"読込"_s)->click();
    EXPECT_EQ(window->findChild<QTabWidget*>()->currentIndex(), 0);
    for (QAction* a : window->findChildren<QAction*>()) {
        if (a->text() == u"IEで確認(&O)"_s || a->text() == u"バージョン情報(&A)"_s)
            a->trigger();
    }
    ASSERT_EQ(launcher.started.size(), 1);
    EXPECT_EQ(launcher.started[0].arguments, QStringList{page(u"200511"_s)});
    EXPECT_EQ(dialogs.shown, QStringList{u"バージョン情報"_s});
}

TEST_F(WindowTest, CtrlFOpensTheSearch_HitsShowHighlighted_EnterShowsTheEntry) {
    writeEntries({entry(u"2005年10月20日"_s, u"紅葉の<京都>"_s, u"朝から京都の寺へ"_s)});
    openWindow();
    QTest::keyClick(window.get(), Qt::Key_F, Qt::ControlModifier);
    auto* query = named<QLineEdit>(u"検索語"_s);
    EXPECT_EQ(QApplication::focusWidget(), query);
    type(query, u"京都"_s);
    auto* list = named<QListView>(u"検索結果"_s);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->model()->rowCount() == 1; }, 10000));
    const QString shown = list->model()->index(0, 0).data().toString();
    EXPECT_TRUE(shown.contains(u"紅葉の&lt;<span style=\"background-color:#ffe58f\">京都</span>&gt;"_s))
        << shown.toStdString();
    EXPECT_EQ(named<QLabel>(u"検索結果の件数"_s)->text(), u"1件の日記が見つかりました。"_s);
    list->setCurrentIndex(list->model()->index(0, 0));
    list->setFocus();
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_EQ(ws().editor().date, u"2005年10月20日"_s);
    EXPECT_EQ(QApplication::focusWidget(), named(u"タイトル"_s)); // on the diary tab, brought forward
}

// The hard way: a process types into its window and is killed outright; the next start offers the text.
TEST_F(WindowTest, TextTypedIntoAWindowKilledWithSigkillIsOfferedAtTheNextStart) {
    QProcess child;
    child.start(QString::fromUtf8(TSUZURI_CRASH_CHILD), {home()});
    ASSERT_TRUE(child.waitForStarted(10000));
    ASSERT_TRUE(QTest::qWaitFor([&] { return child.readAllStandardOutput().contains("READY"); }, 20000));
    child.kill(); // SIGKILL: no shut-down of any kind
    child.waitForFinished(10000);
    messages.answers = {Answer::Yes};
    open();
    EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::RecoverJournal)});
    EXPECT_EQ(s().editor().title, u"消えない日記"_s);
    EXPECT_FALSE(QFile::exists(page(u"200511"_s))) << "nothing is written until the user generates";
}

} // namespace
