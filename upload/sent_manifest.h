#pragma once

#include "settings/settings_files.h"
#include "store/outcome.h"

#include <QByteArray>
#include <QHash>
#include <QString>

namespace tsuzuri::upload {

// What one file was when it last arrived on the server.
struct SentFile {
    qint64 size = 0;
    qint64 modified = 0; // the local file's change time then (ms since the epoch), to skip hashing it again
    QByteArray sha256;   // of the bytes sent, 32 bytes

    friend bool operator==(const SentFile&, const SentFile&) = default;
};

// The record of what arrived, for one diary folder, server account and remote directory, in
// ini/sent_<folder>_<12 hex digits>.txt. Each arrival is appended at once, so a run that is cut off
// resumes where it stopped; the whole file is written anew at the start and the end of a run.
//
// The file is UTF-8 with LF (names may hold what code page 932 cannot): a first line naming the target,
// then one line per file, "<sha256 hex> <size> <modified> <path inside the diary folder>", the last line
// of a path winning; "- <path>" forgets it. A line cut short by a crash is ignored.
class SentManifest {
public:
    SentManifest() = default;
    // The record of this target; empty when none was written yet or it cannot be read.
    static SentManifest load(const QString& home, const QString& folder, const ConnectionSettings& c);
    // Its file (whether it exists or not).
    static QString fileFor(const QString& home, const QString& folder, const ConnectionSettings& c);

    bool isEmpty() const { return files_.isEmpty(); }
    qsizetype size() const { return files_.size(); }
    const SentFile* find(const QString& path) const;

    // Whether the file at localPath (now of size and modified) is what arrived last time: same size, and
    // the same SHA-256 (hashed again only when the change time moved).
    bool unchanged(const QString& path, const QString& localPath, qint64 size, qint64 modified) const;

    // Before files are sent again: their records go, so that a file cut off on the server is never taken
    // for one that arrived. The file is written whole at once; a failure means nothing may be sent.
    Outcome forget(const QStringList& paths);
    // One file arrived: appended at once. A failure loses nothing but this shortcut.
    void arrived(const QString& path, const SentFile& file);
    // The file written whole again, one line per file.
    Outcome save() const;

private:
    QByteArray render() const;

    QString path_;
    QString target_;
    QHash<QString, SentFile> files_;
};

// The SHA-256 of a file's bytes; nothing when it cannot be read.
std::optional<QByteArray> fileSha256(const QString& path);

} // namespace tsuzuri::upload
