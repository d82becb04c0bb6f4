#pragma once

#include "store/outcome.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFileDevice>
#include <QList>
#include <QString>
#include <QStringView>

#include <optional>

// The one byte boundary of the program: every page and settings file is code page 932 with CR LF.
namespace tsuzuri::textfile {

inline constexpr QStringView kCrLf = u"\r\n";

// Code page 932 bytes of text. A character that does not survive the round trip exactly (emoji,
// best-fit mappings such as U+301C) is written as the decimal reference "&#N;" instead, so nothing
// typed is ever turned into "?".
QByteArray encode(QStringView text);

// Code page 932 bytes of text, or nothing when some character has no exact round trip.
std::optional<QByteArray> encodeStrict(QStringView text);

// True when every character of text survives code page 932 exactly.
bool canEncode(QStringView text);

// Plain code page 932 decoding; references are left as they stand.
QString decode(QByteArrayView bytes);

// Decoding for pages: also turns back the references encode() wrote, and only those (a reference to a
// character code page 932 holds, such as a typed "&#65;", stays as typed).
QString decodeWithReferences(QByteArrayView bytes);
QString unescapeReferences(QString text);

// Lines of a text: a line ends at CR LF, a lone CR or a lone LF, the break not included. A final
// break does not start another line; an empty text has no lines.
QList<QStringView> splitLines(QStringView text);

// Any line break (CR LF, CR, LF) becomes CR LF, as the editor keeps them.
QString normalizeLineBreaks(QStringView text);

// The whole file, or nothing (error says why) when it cannot be read.
std::optional<QByteArray> readFile(const QString& path, QString* error = nullptr);

// Replaces path whole and atomically: written beside, then renamed. On failure the previous file is
// exactly as it was and the outcome names the path.
Outcome writeFileAtomically(const QString& path, QByteArrayView bytes,
                            std::optional<QFileDevice::Permissions> permissions = std::nullopt);

} // namespace tsuzuri::textfile
