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
    QByteArray bytes = rawEncode(text);
    if (text.contains(QChar::ReplacementCharacter) || rawDecode(bytes) != text)
        return std::nullopt;
    return bytes;
}

bool canEncode(QStringView text) {
    return encodeStrict(text).has_value();
}

QString decode(QByteArrayView bytes) {
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
    return unescapeReferences(rawDecode(bytes));
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

std::optional<QByteArray> readFile(const QString& path, QString* error) {
    // Binary on purpose: the calendar rows carry lone CRs that text mode would eat.
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return bytes;
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
    QByteArray bytes = file.readAll();
    if (file.error() != QFileDevice::NoError) {
        if (error)
            *error = file.errorString();
        return std::nullopt;
    }
    return bytes;
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
    for (const FileContent& file : files) {
        QByteArray temp;
        const int fd = createBeside(file.path, temp);
        if (fd < 0)
            return failed(file.path);
        temps.push_back(temp);
        bool ok = writeAll(fd, file.bytes);
#ifdef SYNC_FILE_RANGE_WRITE
        // Writing back starts now, while the next files are made: the flushes below then mostly find
        // the work done, and the file system commits the batch's new files together.
        if (ok)
            ::sync_file_range(fd, 0, 0, SYNC_FILE_RANGE_WRITE);
#endif
        ok = ::close(fd) == 0 && ok;
        if (!ok)
            return failed(file.path);
    }
    for (size_t i = 0; i < temps.size(); ++i) {
        if (!syncPath(temps[i], O_RDONLY))
            return failed(files[static_cast<qsizetype>(i)].path);
        if (staged)
            staged(static_cast<qsizetype>(i + 1));
    }
    std::set<QByteArray> folders;
    for (size_t i = 0; i < temps.size(); ++i) {
        const QString& path = files[static_cast<qsizetype>(i)].path;
        if (::rename(temps[i].constData(), QFile::encodeName(path).constData()) != 0)
            return failed(path, i);
        folders.insert(QFile::encodeName(QFileInfo(path).absolutePath()));
    }
    for (const QByteArray& folder : folders) {
        if (!syncPath(folder, O_RDONLY | O_DIRECTORY))
            return Outcome::failure(Msg::WriteFailed, {QDir::toNativeSeparators(QFile::decodeName(folder))});
    }
    return Outcome::success();
}

} // namespace tsuzuri::textfile
