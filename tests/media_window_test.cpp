#include "fake_media_services.h"
#include "fake_services.h"
#include "qt_printers.h"

#include "diary/messages.h"
#include "media/media_files.h"
#include "ui/frm_main.h"
#include "ui/frm_ver.h"
#include "ui/qt_media_services.h"

#include <QAction>
#include <QApplication>
#include <QDropEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMimeData>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>
#include <QUrl>

#include <gtest/gtest.h>

#include <memory>

using namespace Qt::StringLiterals;
using namespace tsuzuri;
using test::readBytes;
using test::writeBytes;

namespace {

const QString kNotStarted = u"を起動できませんでした。\r\nプログラムが見つからないか、実行できませんでした。"_s;

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Name);
}

// The window on a program folder whose path holds spaces, as it often does on a desktop.
class MediaWindowTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(root.isValid());
        ASSERT_TRUE(QDir().mkpath(image()));
        ASSERT_TRUE(writeBytes(home() + u"/ini/fdir.ini"_s, "diary\r\n")); // without it the window does not start
        window = std::make_unique<frmMain>(
            home(), Services{&messages, &clock, &clipboard, &launcher, &files, &copyProgress, &dialogs});
        window->start();
        window->show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(window.get()));
        messages.clear();
    }

    QString home() const { return root.path() + u"/My Programs/Tsuzuri"_s; }
    QString image() const { return home() + u"/diary/image"_s; }
    QString pictures() const { return root.path() + u"/Pictures"_s; }
    QString picture(const QString& name, const QByteArray& bytes) const {
        EXPECT_TRUE(writeBytes(pictures() + u'/' + name, bytes));
        return pictures() + u'/' + name;
    }
    QString page() const { return home() + u"/diary/200511.html"_s; }

    void browse(const std::optional<QStringList>& answer) {
        files.answers.push_back(answer);
        window->cmdDia->click();
    }
    // A file manager's drop of these paths onto the media box (text only without paths); true when the
    // box took the drop.
    bool drop(const QStringList& paths) {
        QList<QUrl> urls;
        for (const QString& p : paths)
            urls << QUrl::fromLocalFile(p);
        QMimeData mime;
        if (!urls.isEmpty())
            mime.setUrls(urls);
        mime.setText(u"must not be typed into the box"_s);
        const QPoint at = window->Text8->rect().center();
        QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window->Text8, &enter);
        QDropEvent dropped(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
        QCoreApplication::sendEvent(window->Text8, &dropped);
        QCoreApplication::processEvents();
        return enter.isAccepted() && dropped.isAccepted();
    }
    // Leaves the media box for the title box as a Tab press would.
    void leaveMediaBox() {
        window->Text8->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), window->Text8);
        messages.clear();
        window->Text5->setFocus(Qt::TabFocusReason);
    }

    QTemporaryDir root;
    test::RecordingMessages messages;
    test::FixedClock clock;
    test::RecordingClipboard clipboard;
    test::RecordingLauncher launcher;
    test::ScriptedFileChooser files;
    test::ScriptedCopyProgress copyProgress;
    test::RecordingDialogs dialogs;
    std::unique_ptr<frmMain> window;
};

TEST_F(MediaWindowTest, BrowseAppendsTwoChosenFilesCopiesThemAndRemembersTheirFolder) {
    browse(QStringList{picture(u"a.jpg"_s, "A"), picture(u"b.jpg"_s, "B")});
    ASSERT_EQ(files.requests.size(), 1);
    const OpenFilesRequest& r = files.requests[0];
    EXPECT_EQ(r.title, u"画像/動画ファイルの選択"_s);
    EXPECT_EQ(r.filters, (QStringList{u"すべてのファイル (*.*)"_s,
                                      u"画像/動画 ファイル (*.jpg *.jpeg *.gif *.png *.bmp *.mp4)"_s}));
    EXPECT_EQ(r.selectedFilter, 1);
    EXPECT_EQ(r.folder, QDir::homePath()) << "the user's home until the first choice";
    EXPECT_EQ(window->Text8->text(), u"a.jpg;b.jpg;"_s);
    EXPECT_EQ(readBytes(image() + u"/a.jpg"_s) + readBytes(image() + u"/b.jpg"_s), QByteArray("AB"));
    EXPECT_TRUE(messages.shown.isEmpty());

    browse(std::nullopt); // cancelled: nothing changes, not even the remembered folder
    browse(std::nullopt);
    EXPECT_EQ(files.requests[2].folder, pictures());
    EXPECT_EQ(window->Text8->text(), u"a.jpg;b.jpg;"_s);
}

TEST_F(MediaWindowTest, BrowseOfAFileInImageItselfAppendsItsNameAndCopiesNothing) {
    ASSERT_TRUE(writeBytes(image() + u"/c.png"_s, "C"));
    const QDateTime before = QFileInfo(image() + u"/c.png"_s).lastModified();
    window->Text8->setText(u"x.jpg;"_s);
    browse(QStringList{image() + u"/c.png"_s});
    EXPECT_EQ(window->Text8->text(), u"x.jpg;c.png;"_s);
    EXPECT_EQ(entries(image()), QStringList{u"c.png"_s});
    EXPECT_EQ(QFileInfo(image() + u"/c.png"_s).lastModified(), before);
}

TEST_F(MediaWindowTest, FailedCopyIsReportedAndItsNameKeptOut) {
    const QString a = picture(u"a.jpg"_s, "A");
    ASSERT_TRUE(QDir(image()).removeRecursively());
    browse(QStringList{a});
    EXPECT_EQ(window->Text8->text(), QString());
    EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::CopyFailed, {u"a.jpg"_s})});
}

TEST_F(MediaWindowTest, DifferentFileOfTheSameNameInImageIsReplacedOnlyAfterYes) {
    const QString a = picture(u"a.jpg"_s, "new");
    ASSERT_TRUE(writeBytes(image() + u"/a.jpg"_s, "old"));
    for (const bool yes : {false, true}) {
        SCOPED_TRACE(yes ? "Yes" : "No");
        messages.clear();
        messages.answers = {yes ? Answer::Yes : Answer::No};
        browse(QStringList{a});
        EXPECT_EQ(messages.texts(),
                  QStringList{u"[image]フォルダには別の「a.jpg」がすでにあります。\r\n置き換えますか？"_s});
        EXPECT_EQ(readBytes(image() + u"/a.jpg"_s), QByteArray(yes ? "new" : "old"));
        EXPECT_EQ(window->Text8->text(), yes ? u"a.jpg;"_s : QString());
    }
}

TEST_F(MediaWindowTest, ThreeDroppedFilesAreAppendedInDropOrderCopiedAndTheBoxTakesTheFocus) {
    window->Text5->setFocus();
    ASSERT_TRUE(drop({picture(u"3/three.bmp"_s, "3"), picture(u"2/one.gif"_s, "1"), picture(u"two.mp4"_s, "2")}));
    EXPECT_EQ(window->Text8->text(), u"three.bmp;one.gif;two.mp4;"_s);
    EXPECT_EQ(readBytes(image() + u"/three.bmp"_s) + readBytes(image() + u"/one.gif"_s) +
                  readBytes(image() + u"/two.mp4"_s),
              QByteArray("312"));
    EXPECT_EQ(QApplication::focusWidget(), window->Text8);
}

TEST_F(MediaWindowTest, DroppedFolderAndMissingFileAreLeftOutAndReportedOnceAfterTheDrop) {
    const QString album = pictures() + u"/album"_s;
    ASSERT_TRUE(QDir().mkpath(album));
    const QString gone = pictures() + u"/gone.jpg"_s;
    ASSERT_TRUE(drop({album, picture(u"a.jpg"_s, "A"), gone}));
    EXPECT_EQ(window->Text8->text(), u"a.jpg;"_s);
    EXPECT_EQ(entries(image()), QStringList{u"a.jpg"_s});
    EXPECT_EQ(messages.texts(),
              QStringList{u"次のものはファイルではないか読み込めないため、追加しませんでした。\r\n"_s + album +
                          u"\r\n"_s + gone});

    messages.clear();
    drop({}); // text dragged from another box is not taken for files
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(entries(image()), QStringList{u"a.jpg"_s});
}

TEST_F(MediaWindowTest, LeavingTheMediaBoxChecksTheFinalSemicolonThenTheImageSize) {
    window->txtImg[0]->setText(u"320"_s);
    window->txtImg[1]->setText(u"240"_s);
    window->Text8->setText(u"a.jpg;b.jpg"_s);
    leaveMediaBox();
    EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::MediaNamesUnterminated)});
    EXPECT_EQ(QApplication::focusWidget(), window->Text8) << "the box gets the focus back";

    window->Text8->setText(u"a.jpg;b.jpg;"_s); // one final ";" after several names is enough
    leaveMediaBox();
    EXPECT_TRUE(messages.shown.isEmpty());
    EXPECT_EQ(QApplication::focusWidget(), window->Text5);

    window->txtImg[1]->clear();
    window->Text8->clear(); // an empty box still checks the sizes, and the focus moves on
    leaveMediaBox();
    EXPECT_EQ(messages.texts(), QStringList{u"画像サイズが設定されていません。\r\n"
                                            u"「その他の設定」タブから画像サイズを設定して下さい。"_s});
    EXPECT_EQ(QApplication::focusWidget(), window->Text5);
}

TEST_F(MediaWindowTest, LargeCopyShowsProgressAndCancellingLeavesNoPartialFile) {
    const QString big = picture(u"holiday.mp4"_s, QByteArray(media::kProgressThreshold + 4096, 'v'));
    copyProgress.cancelAt = 1024 * 1024;
    browse(QStringList{big});
    EXPECT_EQ(copyProgress.begun, QStringList{u"holiday.mp4"_s});
    EXPECT_EQ(copyProgress.ended, 1);
    EXPECT_EQ(entries(image()), QStringList());
    EXPECT_EQ(window->Text8->text(), QString());

    copyProgress.cancelAt = -1;
    browse(QStringList{big});
    EXPECT_EQ(QFileInfo(image() + u"/holiday.mp4"_s).size(), media::kProgressThreshold + 4096);
    EXPECT_EQ(window->Text8->text(), u"holiday.mp4;"_s);
}

TEST_F(MediaWindowTest, PreviewAndSourceStartTheirProgramWithThePagePathAsOneArgument) {
    window->menuIe->trigger(); // no page has been written for this month yet
    launcher.env.variables.insert(u"EDITOR"_s, u"mousepad"_s);
    window->menuSc->trigger();
    window->txtCalYYYY->setText(u"2004"_s); // the boxes name the month, as typed
    window->txtCalMM->setText(u"02"_s);
    window->menuIe->trigger();
    ASSERT_EQ(launcher.started.size(), 3);
    EXPECT_EQ(launcher.started[0].program, u"xdg-open"_s);
    EXPECT_EQ(launcher.started[0].arguments, QStringList{page()});
    EXPECT_EQ(launcher.started[1].program, u"mousepad"_s);
    EXPECT_EQ(launcher.started[1].arguments, QStringList{page()});
    EXPECT_EQ(launcher.started[2].arguments, QStringList{home() + u"/diary/200402.html"_s});
    EXPECT_TRUE(messages.shown.isEmpty());
}

TEST_F(MediaWindowTest, ProgramsThatCannotStartAreReported) {
    window->menuSc->trigger(); // no editor known at all
    EXPECT_EQ(messages.texts(), QStringList{messageText(Msg::NoTextEditor)});
    EXPECT_TRUE(launcher.started.isEmpty());

    messages.clear();
    launcher.fail = true;
    window->menuIe->trigger();
    EXPECT_EQ(messages.texts(), QStringList{u"xdg-open"_s + kNotStarted});
}

TEST_F(MediaWindowTest, AboutBoxIsShownModallyOverTheWindowWithTheHomePageLink) {
    QString link;
    dialogs.whileShown = [&](QDialog& d) {
        link = static_cast<frmVer&>(d).lblLink1->text();
        EXPECT_EQ(d.parentWidget(), window.get());
    };
    window->menuVer->trigger();
    EXPECT_EQ(dialogs.shown, QStringList{u"frmVer"_s});
    if (frmVer::homePage(home()) != frmVer::homePage(u"/elsewhere"_s)) { // the build names no address of its own
        EXPECT_EQ(link, u"file://"_s + home() + u"/README.md"_s);
    }
}

TEST(QtCopyProgressTest, CountsBeyondIntRangeAndItsCancelButtonStopsTheCopy) {
    QWidget window;
    window.show();
    QtCopyProgress progress;
    progress.setParent(&window);
    const qint64 tenGigabytes = qint64(10) * 1024 * 1024 * 1024;
    progress.begin(u"movie.mp4"_s, tenGigabytes);
    auto* dialog = window.findChild<QProgressDialog*>();
    ASSERT_NE(dialog, nullptr);
    EXPECT_TRUE(dialog->labelText().contains(u"movie.mp4"_s));
    EXPECT_EQ(dialog->windowModality(), Qt::WindowModal) << "the window cannot be used while it copies";
    EXPECT_TRUE(progress.progressed(tenGigabytes / 2, tenGigabytes));
    EXPECT_EQ(dialog->value() * 2, dialog->maximum());
    dialog->cancel();
    EXPECT_FALSE(progress.progressed(tenGigabytes / 2 + 1, tenGigabytes));
    progress.end();
    EXPECT_EQ(window.findChild<QProgressDialog*>(), nullptr);
}

TEST(QtLauncherTest, PathWithSpacesReachesTheProgramAsOneArgumentAndAMissingProgramIsReported) {
    QTemporaryDir dir;
    const QString page = dir.path() + u"/My Programs/diary/200511.html"_s;
    const QString out = dir.path() + u"/argv.txt"_s;
    QtLauncher launcher;
#ifdef Q_OS_UNIX
    // The started program is the shell itself; it writes each argument it was given on a line.
    const launch::Command show{launch::Command::Kind::Program,
                               u"/bin/sh"_s,
                               {u"-c"_s, u"printf '%s\\n' \"$@\" > \"$0\""_s, out, page},
                               QString(),
                               u"sh"_s};
    ASSERT_TRUE(launcher.start(show).ok());
    QTRY_VERIFY_WITH_TIMEOUT(QFileInfo(out).size() > 0, 5000);
    QTest::qWait(50);
    EXPECT_EQ(readBytes(out), page.toUtf8() + "\n");
#endif
    const launch::Command missing{
        launch::Command::Kind::Program, dir.path() + u"/no-such-browser"_s, {page}, QString(), u"no-such-browser"_s};
    EXPECT_EQ(messageText(launcher.start(missing)), u"no-such-browser"_s + kNotStarted);
}

TEST(QtFileChooserTest, FiltersAlsoMatchUpperCaseNames) {
    EXPECT_EQ(withUpperCasePatterns(u"画像/動画 ファイル (*.jpg *.jpeg *.mp4)"_s),
              u"画像/動画 ファイル (*.jpg *.jpeg *.mp4 *.JPG *.JPEG *.MP4)"_s);
    EXPECT_EQ(withUpperCasePatterns(u"すべてのファイル (*.*)"_s), u"すべてのファイル (*.*)"_s);
}

} // namespace
