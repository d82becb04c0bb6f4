#include "fakes.h"
#include "qt_printers.h"

#include "ui/plain_text.h"
#include "ui/qt_media_services.h"
#include "ui/qt_services.h"

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressDialog>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTest>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

using test::readBytes;

namespace {

const QString kNotStarted = u"を起動できませんでした。\r\nプログラムが見つからないか、実行できませんでした。"_s;

} // namespace

// Buttons in order (the first is the default), what Escape and the close box answer; CR LF and a lone CR
// both break lines, and the text is never read as markup.
TEST(QtMessageBoxes, JapaneseButtonsFirstIsDefaultLastAnswersEscape_TextShownPlainWithLineBreaks) {
    const struct {
        Buttons buttons;
        QStringList texts;
        Answer escape;
    } cases[] = {{Buttons::Ok, {u"OK"_s}, Answer::Ok},
                 {Buttons::YesNo, {u"はい"_s, u"いいえ"_s}, Answer::No},
                 {Buttons::YesNoCancel, {u"はい"_s, u"いいえ"_s, u"キャンセル"_s}, Answer::Cancel},
                 {Buttons::ReplaceRenameCancel, {u"置き換える"_s, u"別名で追加"_s, u"キャンセル"_s}, Answer::Cancel}};
    for (const auto& c : cases) {
        const auto box = QtMessageBoxes::makeBox(u"エラー\r\n<b>[x]</b>\r!"_s, c.buttons);
        QStringList texts;
        for (QAbstractButton* b : box->buttons())
            texts << b->text();
        EXPECT_EQ(QSet(texts.begin(), texts.end()), QSet(c.texts.begin(), c.texts.end()));
        EXPECT_EQ(texts.size(), c.texts.size());
        EXPECT_EQ(box->defaultButton()->text(), c.texts[0]);
        EXPECT_EQ(box->escapeButton()->text(), c.texts.last());
        EXPECT_EQ(Answer(box->escapeButton()->property("answer").toInt()), c.escape);
        EXPECT_EQ(box->windowTitle() + box->text(), u"Tsuzuriエラー\n<b>[x]</b>\n!"_s);
        EXPECT_TRUE(box->icon() == QMessageBox::NoIcon && box->textFormat() == Qt::PlainText);
    }
}

TEST(PlainTextBox, KeepsCrLfLineBreaksAndEveryOtherCharacter) {
    QPlainTextEdit box;
    const QString text = u"\r\n一行目\u00A0a\r\n\r\n<p>末尾\r\n"_s;
    setBoxText(&box, text);
    EXPECT_EQ(boxText(&box), text);
    setBoxText(&box, u"a\rb\nc"_s); // lone breaks come back as CR LF
    EXPECT_EQ(boxText(&box), u"a\r\nb\r\nc"_s);
    setBoxText(&box, {});
    EXPECT_EQ(boxText(&box), QString());
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
#ifdef Q_OS_UNIX
    // A program that gives up at once is told with what it said.
    test::RecordingMessages messages;
    launcher.setMessages(&messages);
    const launch::Command failing{launch::Command::Kind::Program,
                                  u"/bin/sh"_s,
                                  {u"-c"_s, u"echo 'no display' >&2; exit 3"_s},
                                  QString(),
                                  u"xdg-open"_s};
    ASSERT_TRUE(launcher.start(failing).ok());
    QTRY_VERIFY_WITH_TIMEOUT(!messages.shown.isEmpty(), 5000);
    EXPECT_EQ(messages.texts(), QStringList{u"xdg-openがエラーで終了しました（終了コード 3）。\r\nno display"_s});
#endif
}

TEST(QtFileChooserTest, FiltersAlsoMatchUpperCaseNames) {
    EXPECT_EQ(withUpperCasePatterns(u"画像/動画 ファイル (*.jpg *.jpeg *.mp4)"_s),
              u"画像/動画 ファイル (*.jpg *.jpeg *.mp4 *.JPG *.JPEG *.MP4)"_s);
    EXPECT_EQ(withUpperCasePatterns(u"すべてのファイル (*.*)"_s), u"すべてのファイル (*.*)"_s);
}
