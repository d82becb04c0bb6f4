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

QStringList buttonTexts(const QMessageBox& box) {
    QStringList out;
    for (QAbstractButton* b : box.buttons())
        out << b->text();
    out.sort();
    return out;
}

} // namespace

TEST(QtMessageBoxes, ThreeWayQuestionsAnswerCancelToEscapeAndTheCloseBox) {
    for (const auto& [buttons, texts] :
         {std::pair{Buttons::YesNoCancel, QStringList{u"はい"_s, u"いいえ"_s, u"キャンセル"_s}},
          {Buttons::ReplaceRenameCancel, QStringList{u"置き換える"_s, u"別名で追加"_s, u"キャンセル"_s}}}) {
        const auto box = QtMessageBoxes::makeBox(u"?"_s, buttons);
        QStringList sorted = texts;
        sorted.sort();
        EXPECT_EQ(buttonTexts(*box), sorted);
        EXPECT_EQ(box->defaultButton()->text(), texts[0]);
        EXPECT_EQ(box->escapeButton()->text(), u"キャンセル"_s);
        EXPECT_EQ(Answer(box->escapeButton()->property("answer").toInt()), Answer::Cancel);
    }
}

TEST(QtMessageBoxes, QuestionHasTheTitleNoIconAndJapaneseYesNo) {
    const auto box =
        QtMessageBoxes::makeBox(u"指定されたフォルダは存在しません\r\nxフォルダを作成しますか？"_s, Buttons::YesNo);
    EXPECT_EQ(box->windowTitle(), u"Tsuzuri"_s);
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(box->text(), u"指定されたフォルダは存在しません\nxフォルダを作成しますか？"_s);
    EXPECT_EQ(buttonTexts(*box), (QStringList{u"いいえ"_s, u"はい"_s}));
    EXPECT_EQ(box->defaultButton()->text(), u"はい"_s);
    EXPECT_EQ(Answer(box->escapeButton()->property("answer").toInt()), Answer::No);
}

TEST(QtMessageBoxes, MessageHasOneOkButtonAndShowsLoneCrAsALineBreak) {
    const auto box = QtMessageBoxes::makeBox(u"エラーが発生しました。\r<b>[image]</b>"_s, Buttons::Ok);
    EXPECT_EQ(buttonTexts(*box), QStringList{u"OK"_s});
    EXPECT_EQ(box->text(), u"エラーが発生しました。\n<b>[image]</b>"_s);
    EXPECT_EQ(box->textFormat(), Qt::PlainText);
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
