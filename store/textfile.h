#pragma once

#include "store/outcome.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QFileDevice>
#include <QList>
#include <QString>
#include <QStringView>

#include <functional>
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

// The reference at text[at] that unescapeReferences() turns back: the writer's form "&#N;" (decimal, no
// leading zero) of a character code page 932 lacks. length counts its characters.
struct Reference {
    char32_t character = 0;
    qsizetype length = 0;
};
std::optional<Reference> referenceAt(QStringView text, qsizetype at);
void appendCodePoint(QString& out, char32_t c);

// Lines of a text: a line ends at CR LF, a lone CR or a lone LF, the break not included. A final
// break does not start another line; an empty text has no lines.
QList<QStringView> splitLines(QStringView text);

// The same lines one at a time, for texts too large for a list of them all.
class LineReader {
public:
    explicit LineReader(QStringView text) : m_text(text) {}
    bool next(QStringView& line);

private:
    QStringView m_text;
    qsizetype m_pos = 0;
};

// Any line break (CR LF, CR, LF) becomes CR LF, as the editor keeps them.
QString normalizeLineBreaks(QStringView text);

// The whole file, or nothing (error says why) when it cannot be read.
std::optional<QByteArray> readFile(const QString& path, QString* error = nullptr);

// Like readFile, but only a regular file: a pipe, socket or device is refused at once instead of
// blocking the reader or feeding it for ever.
std::optional<QByteArray> readRegularFile(const QString& path, QString* error = nullptr);

// What lies at path, which must not lead out of folder: nothing at all; a regular file or a folder
// (itself, or by a link that stays inside folder); or something to refuse (a pipe, socket or device, a
// link out of folder or to nothing).
enum class PathKind { Missing, File, Folder, Refused };
PathKind pathKind(const QString& folder, const QString& path);

// Copies the file at path to path + ".bak", or the first free ".bak.1", ".bak.2", …; never replaces a
// file. The copy's path, or nothing when it could not be made.
std::optional<QString> keepBackup(const QString& path);

// Replaces path whole and atomically: written beside, then renamed. On failure the previous file is
// exactly as it was and the outcome names the path.
Outcome writeFileAtomically(const QString& path, QByteArrayView bytes,
                            std::optional<QFileDevice::Permissions> permissions = std::nullopt);

// One file of a batch: where it goes and its whole new content.
struct FileContent {
    QString path;
    QByteArray bytes;
};

// Replaces several files, each whole and atomically, waiting for the disk once for the batch instead of
// once a file: every file is written beside its name (a hidden ".NAME.XXXXXX"), then all are flushed to
// the disk together (on Linux one syncfs() of their file system), renamed into place, and their folders
// flushed. A failure before the renames removes what was written beside and leaves every file as it was;
// a crash or a kill at any moment leaves each file either old or new, never partial (a kill can leave a
// hidden temporary file behind). Once it returns success every file is on the disk. staged (may be
// empty) hears how many files are written beside so far.
Outcome writeFilesAtomically(const QList<FileContent>& files,
                             const std::function<void(qsizetype written)>& staged = {});

} // namespace tsuzuri::textfile
