#pragma once

#include <QString>
#include <QStringView>

class QLineEdit;
class QPlainTextEdit;

// Multi-line boxes show LF line breaks; the program keeps CR LF, as pages and the clipboard want it.
namespace tsuzuri {

// The box's text with CR LF line breaks, every other character exactly as typed (no-break spaces too).
QString boxText(const QPlainTextEdit* box);

// Shows a text whose lines end in CR LF (or a lone CR or LF).
void setBoxText(QPlainTextEdit* box, QStringView text);

// Sets a line box's text only when it differs: setting it again would move the cursor of someone typing.
void setTextIfOther(QLineEdit* box, const QString& text);

} // namespace tsuzuri
