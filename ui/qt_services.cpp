#include "ui/qt_services.h"

#include <QClipboard>
#include <QGuiApplication>
#include <QInputDialog>
#include <QMessageBox>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tsuzuri {

QString applicationTitle() {
    return u"Tsuzuri"_s;
}

std::unique_ptr<QMessageBox> QtMessageBoxes::makeBox(const QString& text, Buttons buttons, QWidget* parent) {
    // The message table joins lines with CR LF or a lone CR; a label breaks lines at LF only.
    QString shown = text;
    shown.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');

    auto box =
        std::make_unique<QMessageBox>(QMessageBox::NoIcon, applicationTitle(), shown, QMessageBox::NoButton, parent);
    box->setTextFormat(Qt::PlainText); // a folder name typed with "<b>" is shown as typed
    // The first button is the default; the last is what Escape and the close box answer.
    const std::vector<std::pair<QString, Answer>> choices = buttonChoices(buttons);
    for (const auto& [text, answer] : choices) {
        QPushButton* button = box->addButton(text, QMessageBox::ActionRole);
        button->setProperty("answer", int(answer));
        if (!box->defaultButton())
            box->setDefaultButton(button);
        box->setEscapeButton(button);
    }
    return box;
}

std::vector<std::pair<QString, Answer>> QtMessageBoxes::buttonChoices(Buttons buttons) {
    switch (buttons) {
    case Buttons::Ok:
        break;
    case Buttons::YesNo:
        return {{u"はい"_s, Answer::Yes}, {u"いいえ"_s, Answer::No}};
    case Buttons::YesNoCancel:
        return {{u"はい"_s, Answer::Yes}, {u"いいえ"_s, Answer::No}, {u"キャンセル"_s, Answer::Cancel}};
    case Buttons::ReplaceRenameCancel:
        return {
            {u"置き換える"_s, Answer::Replace}, {u"別名で追加"_s, Answer::Rename}, {u"キャンセル"_s, Answer::Cancel}};
    }
    return {{u"OK"_s, Answer::Ok}};
}

Answer QtMessageBoxes::ask(const QString& text, Buttons buttons) {
    const std::unique_ptr<QMessageBox> box = makeBox(text, buttons, parent_);
    box->exec();
    // A box closed without a button (the window system's close box) answers as its escape button.
    QAbstractButton* clicked = box->clickedButton() ? box->clickedButton() : box->escapeButton();
    return clicked ? Answer(clicked->property("answer").toInt()) : Answer::Cancel;
}

std::optional<QString> QtMessageBoxes::askText(const QString& text, const QString& initial) {
    QInputDialog dialog(parent_);
    dialog.setWindowTitle(applicationTitle());
    dialog.setLabelText(QString(text).replace(u"\r\n"_s, u"\n"_s));
    dialog.setTextValue(initial);
    dialog.setOkButtonText(u"OK"_s);
    dialog.setCancelButtonText(u"キャンセル"_s);
    if (dialog.exec() != QDialog::Accepted)
        return std::nullopt;
    return dialog.textValue();
}

QDate SystemClock::today() const {
    return QDate::currentDate();
}

void QtClipboard::setText(const QString& text) {
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->clear();
    clipboard->setText(text);
}

} // namespace tsuzuri
