#include "backup/zip_archive.h"

#include <QFile>

#include <archive.h>
#include <archive_entry.h>

#include <clocale>
#include <locale.h>

namespace tsuzuri::backup {

namespace {

// libarchive converts names between UTF-8 and the locale's character set; under the plain C locale
// (a service, a CI machine) every Japanese name would fail. This thread uses UTF-8 while it works on
// an archive, without touching the process's locale.
class Utf8Locale {
public:
    Utf8Locale() {
        if (utf8)
            previous = uselocale(utf8);
    }
    ~Utf8Locale() {
        if (previous)
            uselocale(previous);
    }
    Utf8Locale(const Utf8Locale&) = delete;
    Utf8Locale& operator=(const Utf8Locale&) = delete;

private:
    static inline const locale_t utf8 = newlocale(LC_CTYPE_MASK, "C.UTF-8", locale_t(nullptr));
    locale_t previous = nullptr;
};

QString archiveError(archive* a) {
    const char* text = a ? archive_error_string(a) : nullptr;
    return text ? QString::fromLocal8Bit(text) : QStringLiteral("unknown archive error");
}

} // namespace

struct ZipWriter::Private {
    QIODevice& out;
    archive* a = nullptr;
    archive_entry* entry = nullptr;
    bool open = false;
    bool finished = false;
    bool discard = false;
    QString error;
};

ZipWriter::ZipWriter(QIODevice& out) : d(new Private{out, nullptr, nullptr, false, false, false, {}}) {
    const Utf8Locale locale;
    d->a = archive_write_new();
    d->entry = archive_entry_new();
    archive_write_set_format_zip(d->a);
    archive_write_set_format_option(d->a, "zip", "hdrcharset", "UTF-8");
    archive_write_set_bytes_in_last_block(d->a, 1);
    const auto write = [](archive*, void* client, const void* buffer, size_t length) -> la_ssize_t {
        auto* p = static_cast<Private*>(client);
        if (p->discard)
            return la_ssize_t(length);
        const qint64 n = p->out.write(static_cast<const char*>(buffer), qint64(length));
        if (n != qint64(length)) {
            p->error = p->out.errorString();
            return -1;
        }
        return la_ssize_t(n);
    };
    d->open = archive_write_open2(d->a, d.get(), nullptr, write, nullptr, nullptr) == ARCHIVE_OK;
    if (!d->open)
        d->error = archiveError(d->a);
}

ZipWriter::~ZipWriter() {
    const Utf8Locale locale;
    // An unfinished archive is closed into nothing: closing is what frees the library's output buffer
    // (archive_write_fail would leak it), and its central directory must not reach the device.
    if (!d->finished) {
        d->discard = true;
        archive_write_close(d->a);
    }
    archive_write_free(d->a);
    archive_entry_free(d->entry);
}

bool ZipWriter::addDirectory(const QString& path, const QDateTime& modified) {
    if (!d->open)
        return false;
    const Utf8Locale locale;
    archive_entry_clear(d->entry);
    archive_entry_set_pathname_utf8(d->entry, path.toUtf8().constData());
    archive_entry_set_filetype(d->entry, AE_IFDIR);
    archive_entry_set_perm(d->entry, 0755);
    archive_entry_set_size(d->entry, 0);
    archive_entry_set_mtime(d->entry, modified.toSecsSinceEpoch(), 0);
    if (archive_write_header(d->a, d->entry) != ARCHIVE_OK) {
        d->error = archiveError(d->a);
        return false;
    }
    return true;
}

bool ZipWriter::beginFile(const QString& path, qint64 size, const QDateTime& modified, bool compress) {
    if (!d->open)
        return false;
    const Utf8Locale locale;
    if (compress)
        archive_write_zip_set_compression_deflate(d->a);
    else
        archive_write_zip_set_compression_store(d->a);
    archive_entry_clear(d->entry);
    archive_entry_set_pathname_utf8(d->entry, path.toUtf8().constData());
    archive_entry_set_filetype(d->entry, AE_IFREG);
    archive_entry_set_perm(d->entry, 0644);
    archive_entry_set_size(d->entry, size);
    archive_entry_set_mtime(d->entry, modified.toSecsSinceEpoch(), 0);
    if (archive_write_header(d->a, d->entry) != ARCHIVE_OK) {
        d->error = archiveError(d->a);
        return false;
    }
    return true;
}

bool ZipWriter::write(const char* data, qint64 size) {
    while (size > 0) {
        const la_ssize_t n = archive_write_data(d->a, data, size_t(size));
        if (n <= 0) {
            if (d->error.isEmpty())
                d->error = archiveError(d->a);
            return false;
        }
        data += n;
        size -= n;
    }
    return true;
}

bool ZipWriter::finish() {
    if (!d->open)
        return false;
    const Utf8Locale locale;
    if (archive_write_close(d->a) != ARCHIVE_OK) {
        if (d->error.isEmpty())
            d->error = archiveError(d->a);
        return false;
    }
    d->finished = true;
    return true;
}

QString ZipWriter::errorString() const {
    return d->error;
}

struct ZipReader::Private {
    archive* a = nullptr;
    QString error;
};

ZipReader::ZipReader() : d(new Private) {}

ZipReader::~ZipReader() {
    if (d->a)
        archive_read_free(d->a);
}

bool ZipReader::open(const QString& path) {
    const Utf8Locale locale;
    d->a = archive_read_new();
    archive_read_support_format_zip_seekable(d->a);
    if (archive_read_open_filename(d->a, QFile::encodeName(path).constData(), 64 * 1024) != ARCHIVE_OK) {
        d->error = archiveError(d->a);
        return false;
    }
    return true;
}

ZipReader::Next ZipReader::next(ZipEntry& entry) {
    const Utf8Locale locale;
    archive_entry* e = nullptr;
    const int r = archive_read_next_header(d->a, &e);
    if (r == ARCHIVE_EOF)
        return Next::End;
    if (r != ARCHIVE_OK) {
        d->error = archiveError(d->a);
        return Next::Error;
    }
    const char* name = archive_entry_pathname_utf8(e);
    entry.path = name ? QString::fromUtf8(name) : QString();
    if (name && entry.path.toUtf8() != QByteArrayView(name))
        entry.path.clear();
    const auto type = archive_entry_filetype(e);
    entry.kind = type == AE_IFREG   ? ZipEntry::Kind::File
                 : type == AE_IFDIR ? ZipEntry::Kind::Directory
                                    : ZipEntry::Kind::Other;
    entry.isLink = type == AE_IFLNK || archive_entry_hardlink(e) || archive_entry_symlink(e);
    entry.size = archive_entry_size_is_set(e) ? archive_entry_size(e) : -1;
    entry.modified =
        archive_entry_mtime_is_set(e) ? QDateTime::fromSecsSinceEpoch(archive_entry_mtime(e)) : QDateTime();
    return Next::Entry;
}

qint64 ZipReader::read(char* data, qint64 max) {
    const Utf8Locale locale;
    const la_ssize_t n = archive_read_data(d->a, data, size_t(max));
    if (n < 0) {
        d->error = archiveError(d->a);
        return -1;
    }
    return qint64(n);
}

QString ZipReader::errorString() const {
    return d->error;
}

} // namespace tsuzuri::backup
