#include "ui/qt_services.h"

#include <QClipboard>
#include <QGuiApplication>
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
    if (buttons == Buttons::YesNo) {
        QPushButton* yes = box->addButton(u"はい"_s, QMessageBox::YesRole);
        QPushButton* no = box->addButton(u"いいえ"_s, QMessageBox::NoRole);
        box->setDefaultButton(yes);
        box->setEscapeButton(no);
    } else {
        box->setDefaultButton(box->addButton(u"OK"_s, QMessageBox::AcceptRole));
    }
    return box;
}

Answer QtMessageBoxes::ask(const QString& text, Buttons buttons) {
    const std::unique_ptr<QMessageBox> box = makeBox(text, buttons, parent_);
    box->exec();
    if (buttons == Buttons::Ok)
        return Answer::Ok;
    return box->buttonRole(box->clickedButton()) == QMessageBox::YesRole ? Answer::Yes : Answer::No;
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
