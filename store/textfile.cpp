#include "store/textfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QRandomGenerator>
#include <QSaveFile>
#include <QStringDecoder>
#include <QStringEncoder>

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <set>
#include <sys/stat.h>
#include <unistd.h>
#include <vector>

using namespace Qt::StringLiterals;

namespace tsuzuri::textfile {

namespace {

// The converters are stateless for our use (code page 932 has no shift states), so one pair serves.
QStringEncoder& encoder() {
    thread_local QStringEncoder enc("windows-31j", QStringConverter::Flag::Stateless);
    return enc;
}

QStringDecoder& decoder() {
    thread_local QStringDecoder dec("windows-31j", QStringConverter::Flag::Stateless);
    return dec;
}

QByteArray rawEncode(QStringView text) {
    QByteArray out = encoder().encode(text);
    encoder().resetState();
    return out;
}

QString rawDecode(QByteArrayView bytes) {
    QString out = decoder().decode(bytes);
    decoder().resetState();
    return out;
}

// Code page 932 by table, for speed: the converter (ICU) costs most of the time of reading and writing
// a page. The table is made once from the converter itself, one call each way, so it maps exactly as
// the converter does; text or bytes outside it (a character without an exact round trip, bytes that
// are no character) go through the converter as before.
class Cp932Table {
public:
    static const Cp932Table& get() {
        static const Cp932Table table;
        return table;
    }

    // Every character has an exact round trip: its bytes; else nothing.
    std::optional<QByteArray> encode(QStringView text) const {
        if (!m_ok)
            return std::nullopt;
        QByteArray out(text.size() * 2, Qt::Uninitialized);
        char* o = out.data();
        for (const QChar c : text) {
            const quint16 bytes = m_bytes[c.unicode()];
            if (bytes == kNone)
                return std::nullopt;
            if (bytes > 0xFF)
                *o++ = char(bytes >> 8);
            *o++ = char(bytes & 0xFF);
        }
        out.truncate(o - out.constData());
        return out;
    }

    // Every byte or byte pair is a character of the table: the text; else nothing.
    std::optional<QString> decode(QByteArrayView bytes) const {
        if (!m_ok)
            return std::nullopt;
        QString out(bytes.size(), Qt::Uninitialized);
        QChar* o = out.data();
        const auto* b = reinterpret_cast<const uchar*>(bytes.data());
        const qsizetype n = bytes.size();
        for (qsizetype i = 0; i < n; ++i) {
            char16_t c = m_single[b[i]];
            if (isLead(b[i])) {
                c = i + 1 < n ? m_pair[(b[i] << 8) | b[i + 1]] : kNone;
                ++i;
            }
            if (c == kNone)
                return std::nullopt;
            *o++ = QChar(c);
        }
        out.truncate(o - out.constData());
        return out;
    }

private:
    // Neither a character the table holds (U+FFFF is none) nor bytes of one (0xFF is no lead byte).
    static constexpr char16_t kNone = 0xFFFF;
    static bool isLead(uchar b) { return (b >= 0x81 && b <= 0x9F) || (b >= 0xE0 && b <= 0xFC); }

    Cp932Table() : m_single(256, kNone), m_pair(65536, kNone), m_bytes(65536, kNone) {
        // Every byte and byte pair, each ended by a line feed, so that one the converter takes for no
        // character cannot shift the others. Not even ASCII is taken for granted: the converter swaps
        // 0x1A, 0x1C and 0x7F.
        QByteArray all;
        QList<quint16> sequences;
        for (int b = 0; b <= 0xFF; ++b) {
            if (b == '\n')
                continue;
            if (isLead(uchar(b))) {
                for (int t = 0x40; t <= 0xFC; ++t) {
                    all += char(b);
                    all += char(t);
                    all += '\n';
                    sequences.append(quint16((b << 8) | t));
                }
            } else {
                all += char(b);
                all += '\n';
                sequences.append(quint16(b));
            }
        }
        const QString text = rawDecode(all);
        const QList<QStringView> chars = QStringView(text).split(u'\n');
        if (chars.size() != sequences.size() + 1 || rawDecode("\n") != u"\n"_s || rawEncode(u"\n") != "\n")
            return;
        m_single['\n'] = u'\n';
        m_bytes[u'\n'] = '\n';
        QString joined;
        QList<char16_t> decoded;
        for (qsizetype i = 0; i < sequences.size(); ++i) {
            const quint16 seq = sequences[i];
            const char16_t c = chars[i].size() == 1 ? chars[i][0].unicode() : kNone;
            if (c == u'\n' || c == kNone || QChar::isSurrogate(c) || c == QChar::ReplacementCharacter)
                continue;
            (seq > 0xFF ? m_pair[seq] : m_single[seq]) = c;
            joined += QChar(c);
            joined += u'\n';
            decoded.append(c);
        }
        // Of the byte sequences that give one character, the converter writes one; only a character
        // whose written bytes give it back has an exact round trip.
        const QList<QByteArray> written = rawEncode(joined).split('\n');
        if (written.size() != decoded.size() + 1)
            return;
        for (qsizetype i = 0; i < decoded.size(); ++i) {
            const QByteArray& w = written[i];
            if (w.size() < 1 || w.size() > 2)
                continue;
            const quint16 seq = w.size() == 1 ? uchar(w[0]) : quint16((uchar(w[0]) << 8) | uchar(w[1]));
            if ((seq > 0xFF ? m_pair[seq] : m_single[seq]) == decoded[i])
                m_bytes[decoded[i]] = seq;
        }
        m_ok = true;
    }

    bool m_ok = false;
    std::vector<char16_t> m_single; // byte → character (for a lead byte: none)
    std::vector<char16_t> m_pair;   // lead << 8 | trail → character
    std::vector<quint16> m_bytes;   // character → its bytes (one byte: below 0x100)
};

// Whether one code point (given as its UTF-16 text) survives code page 932 exactly. Remembered per
// code point: a page full of emoji asks about the same few characters again and again.
bool codePointEncodes(QStringView cp) {
    if (cp.size() == 1 && cp[0].unicode() < 0x80)
        return true;
    // The converter "round-trips" U+FFFD through its substitution bytes; no real code exists for it.
    if (cp.size() == 1 && (cp[0].isSurrogate() || cp[0] == QChar::ReplacementCharacter))
        return false;
    thread_local QHash<char32_t, bool> known;
    const char32_t key = cp.size() == 2 ? QChar::surrogateToUcs4(cp[0], cp[1]) : cp[0].unicode();
    const auto it = known.constFind(key);
    if (it != known.cend())
        return *it;
    const bool encodes = rawDecode(rawEncode(cp)) == cp;
    known.insert(key, encodes);
    return encodes;
}

template <typename OnCodePoint> void forEachCodePoint(QStringView text, OnCodePoint&& f) {
    qsizetype i = 0;
    while (i < text.size()) {
        qsizetype len = 1;
        if (text[i].isHighSurrogate() && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            len = 2;
        f(text.sliced(i, len));
        i += len;
    }
}

char32_t codePointOf(QStringView cp) {
    if (cp.size() == 2)
        return QChar::surrogateToUcs4(cp[0], cp[1]);
    return cp[0].unicode();
}

} // namespace

void appendCodePoint(QString& out, char32_t c) {
    if (QChar::requiresSurrogates(c)) {
        out += QChar(QChar::highSurrogate(c));
        out += QChar(QChar::lowSurrogate(c));
    } else {
        out += QChar(char16_t(c));
    }
}

QByteArray encode(QStringView text) {
    if (std::optional<QByteArray> fast = Cp932Table::get().encode(text))
        return *std::move(fast);
    QByteArray bytes = rawEncode(text);
    if (!text.contains(QChar::ReplacementCharacter) && rawDecode(bytes) == text)
        return bytes;
    // Slow path, only for texts holding something code page 932 lacks.
    QString escaped;
    escaped.reserve(text.size() + 16);
    forEachCodePoint(text, [&](QStringView cp) {
        if (codePointEncodes(cp)) {
            escaped += cp;
        } else {
            escaped += u"&#"_s + QString::number(codePointOf(cp)) + u';';
        }
    });
    return rawEncode(escaped);
}

std::optional<QByteArray> encodeStrict(QStringView text) {
    if (std::optional<QByteArray> fast = Cp932Table::get().encode(text))
        return fast;
    QByteArray bytes = rawEncode(text);
    if (text.contains(QChar::ReplacementCharacter) || rawDecode(bytes) != text)
        return std::nullopt;
    return bytes;
}

bool canEncode(QStringView text) {
    return encodeStrict(text).has_value();
}

QString decode(QByteArrayView bytes) {
    if (std::optional<QString> fast = Cp932Table::get().decode(bytes))
        return *std::move(fast);
    return rawDecode(bytes);
}

std::optional<Reference> referenceAt(QStringView text, qsizetype at) {
    const qsizetype n = text.size();
    if (at + 2 >= n || text[at] != u'&' || text[at + 1] != u'#' || text[at + 2] < u'1' || text[at + 2] > u'9')
        return std::nullopt;
    qsizetype j = at + 2;
    char32_t value = 0;
    while (j < n && j - (at + 2) < 8 && text[j] >= u'0' && text[j] <= u'9') {
        value = value * 10 + char32_t(text[j].unicode() - u'0');
        ++j;
    }
    // Only the canonical form the writer produces, for a real character code page 932 lacks.
    const bool scalar = value <= 0x10FFFF && !(value >= 0xD800 && value <= 0xDFFF);
    if (j >= n || text[j] != u';' || !scalar)
        return std::nullopt;
    // Built by hand: QString::fromUcs4 takes a leading U+FEFF for a byte order mark and drops it.
    char16_t units[2] = {char16_t(value), 0};
    qsizetype unitCount = 1;
    if (QChar::requiresSurrogates(value)) {
        units[0] = QChar::highSurrogate(value);
        units[1] = QChar::lowSurrogate(value);
        unitCount = 2;
    }
    if (codePointEncodes(QStringView(units, unitCount)))
        return std::nullopt;
    return Reference{value, j + 1 - at};
}

QString unescapeReferences(QString text) {
    // A quick look first: every page has "&" in its calendar, and a two-character search over a whole
    // page costs as much as reading it.
    bool mayHold = false;
    for (qsizetype i = text.indexOf(u'&'); i >= 0 && !mayHold; i = text.indexOf(u'&', i + 1))
        mayHold = i + 1 < text.size() && text[i + 1] == u'#';
    if (!mayHold)
        return text;
    QString out;
    out.reserve(text.size());
    qsizetype i = 0;
    qsizetype copied = 0; // text[copied, i) is still to be appended
    const qsizetype n = text.size();
    while (i < n) {
        if (text[i] == u'&') {
            if (const std::optional<Reference> ref = referenceAt(text, i)) {
                out.append(QStringView(text).sliced(copied, i - copied));
                appendCodePoint(out, ref->character);
                i += ref->length;
                copied = i;
                continue;
            }
        }
        ++i;
    }
    if (copied == 0)
        return text;
    out.append(QStringView(text).sliced(copied));
    return out;
}

QString decodeWithReferences(QByteArrayView bytes) {
    return unescapeReferences(decode(bytes));
}

bool LineReader::next(QStringView& line) {
    const qsizetype n = m_text.size();
    if (m_pos >= n)
        return false;
    qsizetype i = m_pos;
    while (i < n && m_text[i] != u'\r' && m_text[i] != u'\n')
        ++i;
    line = m_text.sliced(m_pos, i - m_pos);
    if (i < n && m_text[i] == u'\r' && i + 1 < n && m_text[i + 1] == u'\n')
        ++i;
    m_pos = i + 1;
    return true;
}

QList<QStringView> splitLines(QStringView text) {
    QList<QStringView> lines;
    LineReader reader(text);
    for (QStringView line; reader.next(line);)
        lines.append(line);
    return lines;
}

QString normalizeLineBreaks(QStringView text) {
    QString out;
    out.reserve(text.size() + 8);
    const qsizetype n = text.size();
    for (qsizetype i = 0; i < n; ++i) {
        const QChar c = text[i];
        if (c == u'\r' || c == u'\n') {
            out += kCrLf;
            if (c == u'\r' && i + 1 < n && text[i + 1] == u'\n')
                ++i;
        } else {
            out += c;
        }
    }
    return out;
}

namespace {

// The whole of an open file, or nothing (and why) when reading failed part way.
std::optional<QByteArray> readAllOf(QFile& file, QString* error) {
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return bytes;
}

} // namespace

std::optional<QByteArray> readFile(const QString& path, QString* error) {
    // Binary on purpose: the calendar rows carry lone CRs that text mode would eat.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return readAllOf(file, error);
}

std::optional<QByteArray> readRegularFile(const QString& path, QString* error) {
    // Opened without waiting, then asked what it is: a pipe with no writer would hold open() for ever,
    // and a device such as /dev/zero would never end.
    const int fd = ::open(QFile::encodeName(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    struct stat st {};
    if (fd < 0 || ::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        if (error)
            *error = fd < 0 ? QString::fromLocal8Bit(std::strerror(errno)) : u"not a regular file"_s;
        if (fd >= 0)
            ::close(fd);
        return std::nullopt;
    }
    QFile file;
    if (!file.open(fd, QIODevice::ReadOnly, QFileDevice::AutoCloseHandle)) {
        ::close(fd);
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return readAllOf(file, error);
}

PathKind pathKind(const QString& folder, const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() && !info.isSymLink())
        return PathKind::Missing;
    if (info.isSymLink()) {
        const QString inside = QFileInfo(folder).canonicalFilePath() + u'/';
        if (inside.size() == 1 || !info.canonicalFilePath().startsWith(inside))
            return PathKind::Refused;
    }
    if (info.isFile())
        return PathKind::File;
    return info.isDir() ? PathKind::Folder : PathKind::Refused;
}

std::optional<QString> keepBackup(const QString& path) {
    for (int n = 0; n < 1000; ++n) {
        const QString backup = path + u".bak"_s + (n == 0 ? QString() : u'.' + QString::number(n));
        const QFileInfo info(backup);
        if (info.exists() || info.isSymLink())
            continue;
        if (QFile::copy(path, backup))
            return backup;
        return std::nullopt;
    }
    return std::nullopt;
}

Outcome writeFileAtomically(const QString& path, QByteArrayView bytes,
                            std::optional<QFileDevice::Permissions> permissions) {
    QSaveFile file(path);
    // Unbuffered, so a short write (full disk, size limit) shows in write()'s count: a buffered flush
    // can lose it and let commit() rename a truncated file over the only copy of the diary.
    if (!file.open(QIODevice::WriteOnly | QIODevice::Unbuffered))
        return Outcome::failure(Msg::WriteFailed, {QDir::toNativeSeparators(path)});
    if (permissions && !file.setPermissions(*permissions)) {
        file.cancelWriting();
        return Outcome::failure(Msg::WriteFailed, {QDir::toNativeSeparators(path)});
    }
    if (file.write(bytes.data(), bytes.size()) != bytes.size()) {
        file.cancelWriting();
        return Outcome::failure(Msg::WriteFailed, {QDir::toNativeSeparators(path)});
    }
    if (!file.commit())
        return Outcome::failure(Msg::WriteFailed, {QDir::toNativeSeparators(path)});
    return Outcome::success();
}

} // namespace tsuzuri::textfile

namespace tsuzuri::textfile {

namespace {

bool writeAll(int fd, QByteArrayView bytes) {
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(fd, bytes.data() + done, static_cast<size_t>(bytes.size() - done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return false;
        done += n;
    }
    return true;
}

bool syncPath(const QByteArray& path, int flags) {
    const int fd = ::open(path.constData(), flags | O_CLOEXEC);
    if (fd < 0)
        return false;
    // A folder is synced whole (its entries); a file's data is all that matters here.
    const bool ok = (flags & O_DIRECTORY) ? ::fsync(fd) == 0 : ::fdatasync(fd) == 0;
    return ::close(fd) == 0 && ok;
}

// A new hidden file beside path, created with the permissions path has (or, new, those the umask
// leaves of 0666); its name goes to temp. -1 when it cannot be made.
int createBeside(const QString& path, QByteArray& temp) {
    const QFileInfo info(path);
    const QByteArray base = QFile::encodeName(info.absolutePath() + u"/."_s + info.fileName() + u'.');
    struct stat old {};
    const bool replaces = ::stat(QFile::encodeName(path).constData(), &old) == 0 && S_ISREG(old.st_mode);
    for (int attempt = 0; attempt < 100; ++attempt) {
        temp = base + QByteArray::number(QRandomGenerator::global()->bounded(0x1000000), 16).rightJustified(6, '0');
        const int fd = ::open(temp.constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, replaces ? 0600 : 0666);
        if (fd < 0 && errno == EEXIST)
            continue;
        if (fd >= 0 && replaces && ::fchmod(fd, old.st_mode & 07777) != 0) {
            ::close(fd);
            ::unlink(temp.constData());
            return -1;
        }
        return fd;
    }
    return -1;
}

} // namespace

Outcome writeFilesAtomically(const QList<FileContent>& files, const std::function<void(qsizetype)>& staged) {
    std::vector<QByteArray> temps;
    temps.reserve(static_cast<size_t>(files.size()));
    const auto failed = [&](const QString& path, size_t renamed = 0) {
        for (size_t i = renamed; i < temps.size(); ++i)
            ::unlink(temps[i].constData());
        return Outcome::failure(Msg::WriteFailed, {QDir::toNativeSeparators(path)});
    };
    std::set<QByteArray> folders;
    for (const FileContent& file : files) {
        QByteArray temp;
        const int fd = createBeside(file.path, temp);
        if (fd < 0)
            return failed(file.path);
        temps.push_back(temp);
        folders.insert(QFile::encodeName(QFileInfo(file.path).absolutePath()));
        bool ok = writeAll(fd, file.bytes);
#ifdef SYNC_FILE_RANGE_WRITE
        // Writing back starts now, while the next files are made.
        if (ok)
            ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
        ok = ::close(fd) == 0 && ok;
        if (!ok)
            return failed(file.path);
        if (staged)
            staged(static_cast<qsizetype>(temps.size()));
    }
#ifdef __linux__
    // One flush of each file system for the whole batch. A flush per file costs the disk a cache flush
    // each (a millisecond or more), which for a century of pages is most of the run.
    for (const QByteArray& folder : folders) {
        const int fd = ::open(folder.constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        const bool ok = fd >= 0 && ::syncfs(fd) == 0;
        if (fd >= 0)
            ::close(fd);
        if (!ok)
            return failed(QFile::decodeName(folder));
    }
#else
    for (size_t i = 0; i < temps.size(); ++i) {
        if (!syncPath(temps[i], O_RDONLY))
            return failed(files[static_cast<qsizetype>(i)].path);
    }
#endif
    for (size_t i = 0; i < temps.size(); ++i) {
        const QString& path = files[static_cast<qsizetype>(i)].path;
        if (::rename(temps[i].constData(), QFile::encodeName(path).constData()) != 0)
            return failed(path, i);
    }
    for (const QByteArray& folder : folders) {
        if (!syncPath(folder, O_RDONLY | O_DIRECTORY))
            return Outcome::failure(Msg::WriteFailed, {QDir::toNativeSeparators(QFile::decodeName(folder))});
    }
    return Outcome::success();
}

} // namespace tsuzuri::textfile
