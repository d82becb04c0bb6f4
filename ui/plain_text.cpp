#include "ui/plain_text.h"

#include <QLineEdit>
#include <QPlainTextEdit>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace tsuzuri {

QString boxText(const QPlainTextEdit* box) {
    // toPlainText() would turn no-break spaces into plain ones; the raw text keeps them and separates
    // paragraphs with U+2029.
    QString text = box->document()->toRawText();
    text.replace(QChar::ParagraphSeparator, u"\r\n"_s);
    return text;
}

void setTextIfOther(QLineEdit* box, const QString& text) {
    if (box->text() != text)
        box->setText(text);
}

void setBoxText(QPlainTextEdit* box, QStringView text) {
    QString shown = text.toString();
    shown.replace(u"\r\n"_s, u"\n"_s).replace(u'\r', u'\n');
    box->setPlainText(shown);
}

} // namespace tsuzuri
