#pragma once

#include <QDateTime>
#include <QIODevice>
#include <QString>

#include <memory>

// The one place that speaks to libarchive: writing a zip to a device, reading one from a file. Names
// are UTF-8 in the archive (the zip's language-encoding flag), whatever the locale.
namespace tsuzuri::backup {

class ZipWriter {
public:
    explicit ZipWriter(QIODevice& out);
    ~ZipWriter();
    ZipWriter(const ZipWriter&) = delete;
    ZipWriter& operator=(const ZipWriter&) = delete;

    bool addDirectory(const QString& path, const QDateTime& modified); // path ends with "/"
    // A file entry of exactly size bytes, which the caller then writes; compress=false stores it as is
    // (pictures and videos are compressed already).
    bool beginFile(const QString& path, qint64 size, const QDateTime& modified, bool compress);
    bool write(const char* data, qint64 size);
    bool finish(); // writes the central directory
    QString errorString() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

struct ZipEntry {
    enum class Kind { File, Directory, Other };
    QString path; // empty when the name is not valid UTF-8
    Kind kind = Kind::Other;
    bool isLink = false;
    qint64 size = 0;
    QDateTime modified;
};

// Reads the entries by the zip's central directory, as every zip reader that lists the archive does.
class ZipReader {
public:
    ZipReader();
    ~ZipReader();
    ZipReader(const ZipReader&) = delete;
    ZipReader& operator=(const ZipReader&) = delete;

    bool open(const QString& path);
    enum class Next { Entry, End, Error };
    Next next(ZipEntry& entry);
    // Data of the current entry: bytes read, 0 at its end, -1 on damage (a bad checksum, broken
    // compressed data).
    qint64 read(char* data, qint64 max);
    QString errorString() const;

private:
    struct Private;
    std::unique_ptr<Private> d;
};

} // namespace tsuzuri::backup
