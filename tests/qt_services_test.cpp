#include "qt_printers.h"

#include "ui/plain_text.h"
#include "ui/qt_services.h"

#include <QMessageBox>
#include <QPlainTextEdit>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

QStringList buttonTexts(const QMessageBox& box) {
    QStringList out;
    for (QAbstractButton* b : box.buttons())
        out << b->text();
    out.sort();
    return out;
}

} // namespace

TEST(QtMessageBoxes, QuestionHasTheTitleNoIconAndJapaneseYesNo) {
    const auto box =
        QtMessageBoxes::makeBox(u"指定されたフォルダは存在しません\r\nxフォルダを作成しますか？"_s, Buttons::YesNo);
    EXPECT_EQ(box->windowTitle(), u"Tsuzuri"_s);
    EXPECT_EQ(box->icon(), QMessageBox::NoIcon);
    EXPECT_EQ(box->text(), u"指定されたフォルダは存在しません\nxフォルダを作成しますか？"_s);
    EXPECT_EQ(buttonTexts(*box), (QStringList{u"いいえ"_s, u"はい"_s}));
    EXPECT_EQ(box->defaultButton()->text(), u"はい"_s);
    EXPECT_EQ(box->buttonRole(box->escapeButton()), QMessageBox::NoRole);
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
