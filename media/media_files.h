#pragma once

#include "store/outcome.h"

#include <QString>
#include <QStringList>

#include <atomic>
#include <functional>

// Attaching a file to an entry means: its bare name goes into the media names, and the file itself
// lies in the diary folder's image folder under that name.
namespace tsuzuri::media {

// The name a file is attached under: the text after the last separator of its path.
QString mediaName(const QString& path);

// A name the media names can hold: not empty, no ";" (it ends a name) and no control characters (a
// line break would split the page line that lists the file).
bool isAttachableName(QStringView name);

// Where an attached file lies: <home>/<folder>/image/<name>.
QString copyDestination(const QString& home, const QString& folder, const QString& name);

// True when path already is destination (same file after resolving links and "..").
bool isOwnDestination(const QString& path, const QString& destination);

// What already lies at a copy destination, compared with the file about to be copied there.
enum class Existing {
    None,      // nothing (or something that is not a file: the copy reports that)
    Identical, // a file with the same bytes
    Different, // a file with other bytes: replacing it loses a picture the user may still need
};
Existing compareWithExisting(const QString& source, const QString& destination);

// Copies of this size and more show their progress.
inline constexpr qint64 kProgressThreshold = 4 * 1024 * 1024;

struct CopyOptions {
    qint64 chunkSize = 1024 * 1024;
    // Called after every chunk with the bytes written so far and the source's size.
    std::function<void(qint64 done, qint64 total)> progress;
    // Checked before every chunk; may be set from another thread or from progress.
    const std::atomic<bool>* cancel = nullptr;
};

enum class CopyStatus { Copied, Cancelled, Failed };

struct CopyResult {
    CopyStatus status = CopyStatus::Failed;
    Outcome outcome; // CopyFailed naming the destination's file name when status is Failed
    QString reason;  // the system's words, for a closer look
};

// Copies source over destination. The bytes go to a temporary file beside the destination that is
// renamed over it only once complete, so a cancelled or failed copy leaves the previous file (or
// nothing) and never a partial one.
CopyResult copyReplacing(const QString& source, const QString& destination, const CopyOptions& options = {});

// Shows a long copy; the window's progress dialog or a test's script.
class CopyObserver {
public:
    virtual ~CopyObserver() = default;
    virtual void begin(const QString& name, qint64 total) = 0;
    // False asks the copy to stop.
    virtual bool progressed(qint64 done, qint64 total) = 0;
    virtual void end() = 0;
};

// What to do with a file whose name a different file in image already has.
enum class SameName {
    Keep,    // leave the file in image and the new one out
    Replace, // copy the new one over it
    Rename,  // add the new one under the next free name ("a_2.jpg")
};

// The next name image does not hold yet for name: "a.jpg" → "a_2.jpg", "a_3.jpg", …
QString freeName(const QString& imageFolder, const QString& name);

// A batch of chosen or dropped files, in the order given.
struct AttachRequest {
    QString home;
    QString folder;
    QStringList paths;
    // Asked when a different file of the same name already lies in image, with the free name a rename
    // would give; nothing asked means Keep.
    std::function<SameName(const QString& name, const QString& freeName)> sameName;
    CopyObserver* observer = nullptr; // for copies of kProgressThreshold bytes and more
};

struct AttachResult {
    QStringList appended;   // names to append to the media names, in order
    QStringList copied;     // names copied into image
    QStringList rejected;   // paths that are not readable files (folders, missing, unreadable)
    QStringList unusable;   // paths whose name the media names cannot hold
    QStringList failed;     // names whose copy failed
    QStringList declined;   // names the user chose to keep as they were in image
    bool cancelled = false; // a copy was cancelled: it and the files after it were left out
};

// Copies each file into image unless it already lies there, and says which names to append.
// A name is appended only when its file is in image afterwards.
AttachResult attachFiles(const AttachRequest& request);

// The media names with names appended, each followed by ";".
QString appendNames(QString mediaNames, const QStringList& names);

} // namespace tsuzuri::media
