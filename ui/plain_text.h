#pragma once

#include <QString>
#include <QStringView>

class QPlainTextEdit;

// Multi-line boxes show LF line breaks; the program keeps CR LF, as pages and the clipboard want it.
namespace tsuzuri {

// The box's text with CR LF line breaks, every other character exactly as typed (no-break spaces too).
QString boxText(const QPlainTextEdit* box);

// Shows a text whose lines end in CR LF (or a lone CR or LF).
void setBoxText(QPlainTextEdit* box, QStringView text);

} // namespace tsuzuri
