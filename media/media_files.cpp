#include "media/media_files.h"

#include "store/paths.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

using namespace Qt::StringLiterals;

namespace tsuzuri::media {

QString mediaName(const QString& path) {
    // Native separators too: on Windows a dropped path may still spell them.
    const QString p = QDir::fromNativeSeparators(path);
    return p.mid(p.lastIndexOf(u'/') + 1);
}

bool isAttachableName(QStringView name) {
    if (name.isEmpty())
        return false;
    for (const QChar c : name) {
        if (c == u';' || c.category() == QChar::Other_Control)
            return false;
    }
    return true;
}

QString copyDestination(const QString& home, const QString& folder, const QString& name) {
    return paths::imageFolder(home, folder) + u'/' + name;
}

bool isOwnDestination(const QString& path, const QString& destination) {
    const QFileInfo a(path);
    const QFileInfo b(destination);
    if (!a.exists() || !b.exists())
        return false;
    // Canonical paths: a link into image, "..", or a differently spelled home all name one file.
    const QString ca = a.canonicalFilePath();
    const QString cb = b.canonicalFilePath();
    if (ca.isEmpty() || cb.isEmpty())
        return false;
#if defined(Q_OS_WIN) || defined(Q_OS_MACOS)
    return ca.compare(cb, Qt::CaseInsensitive) == 0;
#else
    return ca == cb;
#endif
}

Existing compareWithExisting(const QString& source, const QString& destination) {
    const QFileInfo dst(destination);
    if (!dst.exists() || !dst.isFile())
        return Existing::None;
    const QFileInfo src(source);
    if (src.size() != dst.size())
        return Existing::Different;
    QFile a(source);
    QFile b(destination);
    // Unreadable means we cannot tell them apart: treat as different so the user is asked.
    if (!a.open(QIODevice::ReadOnly) || !b.open(QIODevice::ReadOnly))
        return Existing::Different;
    constexpr qint64 chunk = 256 * 1024;
    for (;;) {
        const QByteArray x = a.read(chunk);
        const QByteArray y = b.read(chunk);
        if (x != y)
            return Existing::Different;
        if (x.isEmpty())
            return a.atEnd() && b.atEnd() ? Existing::Identical : Existing::Different;
    }
}

CopyResult copyReplacing(const QString& source, const QString& destination, const CopyOptions& options) {
    const QString name = mediaName(destination);
    auto failed = [&](const QString& reason) {
        return CopyResult{CopyStatus::Failed, Outcome::failure(Msg::CopyFailed, {name}), reason};
    };
    auto cancelled = [&] { return CopyResult{CopyStatus::Cancelled, Outcome::success(), QString()}; };
    auto wantsCancel = [&] { return options.cancel && options.cancel->load(std::memory_order_relaxed); };

    if (QFileInfo(source).isDir())
        return failed(u"is a folder"_s);
    QFile in(source);
    if (!in.open(QIODevice::ReadOnly))
        return failed(in.errorString());
    const qint64 total = in.size();

    QSaveFile out(destination);
    // Never write in place: a half-written picture under the final name is worse than none.
    out.setDirectWriteFallback(false);
    if (!out.open(QIODevice::WriteOnly))
        return failed(out.errorString());

    const qint64 chunk = options.chunkSize > 0 ? options.chunkSize : 1024 * 1024;
    QByteArray buffer;
    qint64 done = 0;
    for (;;) {
        if (wantsCancel()) {
            out.cancelWriting();
            return cancelled();
        }
        buffer.resize(chunk);
        const qint64 n = in.read(buffer.data(), chunk);
        if (n < 0) {
            const QString reason = in.errorString();
            out.cancelWriting();
            return failed(reason);
        }
        if (n == 0)
            break;
        if (out.write(buffer.constData(), n) != n) {
            const QString reason = out.errorString();
            out.cancelWriting();
            return failed(reason);
        }
        done += n;
        if (options.progress)
            options.progress(done, total);
    }
    if (wantsCancel()) {
        out.cancelWriting();
        return cancelled();
    }
    if (!out.commit())
        return failed(out.errorString());
    return {CopyStatus::Copied, Outcome::success(), QString()};
}

namespace {

bool isReadableFile(const QString& path) {
    const QFileInfo info(path);
    if (!info.exists() || !info.isFile())
        return false;
    QFile f(path);
    return f.open(QIODevice::ReadOnly);
}

} // namespace

QString freeName(const QString& imageFolder, const QString& name) {
    const QFileInfo info(name);
    // "archive.tar.gz" keeps its whole suffix; a name without one gets the number at its end.
    const QString suffix = info.completeSuffix().isEmpty() ? QString() : u'.' + info.completeSuffix();
    const QString base = name.left(name.size() - suffix.size());
    for (int n = 2;; ++n) {
        const QString candidate = base + u'_' + QString::number(n) + suffix;
        if (!QFileInfo::exists(imageFolder + u'/' + candidate))
            return candidate;
    }
}

AttachResult attachFiles(const AttachRequest& request) {
    AttachResult result;
    for (qsizetype i = 0; i < request.paths.size(); ++i) {
        const QString& path = request.paths[i];
        if (!isReadableFile(path)) {
            result.rejected << path;
            continue;
        }
        QString name = mediaName(path);
        if (!isAttachableName(name)) {
            result.unusable << path;
            continue;
        }
        QString destination = copyDestination(request.home, request.folder, name);
        if (isOwnDestination(path, destination)) {
            result.appended << name;
            continue;
        }
        switch (compareWithExisting(path, destination)) {
        case Existing::Identical:
            // Already there byte for byte; copying again would change nothing.
            result.appended << name;
            continue;
        case Existing::Different: {
            const QString free = freeName(QFileInfo(destination).path(), name);
            const SameName choice = request.sameName ? request.sameName(name, free) : SameName::Keep;
            if (choice == SameName::Keep) {
                result.declined << name;
                continue;
            }
            if (choice == SameName::Rename) {
                name = free;
                destination = copyDestination(request.home, request.folder, name);
            }
            break;
        }
        case Existing::None:
            break;
        }

        const qint64 size = QFileInfo(path).size();
        CopyObserver* observer = size >= kProgressThreshold ? request.observer : nullptr;
        std::atomic<bool> cancel{false};
        CopyOptions options;
        options.cancel = &cancel;
        if (observer) {
            observer->begin(name, size);
            options.progress = [&](qint64 done, qint64 total) {
                if (!observer->progressed(done, total))
                    cancel = true;
            };
        }
        const CopyResult copy = copyReplacing(path, destination, options);
        if (observer)
            observer->end();
        switch (copy.status) {
        case CopyStatus::Copied:
            result.appended << name;
            result.copied << name;
            break;
        case CopyStatus::Failed:
            result.failed << name;
            break;
        case CopyStatus::Cancelled:
            result.cancelled = true;
            return result;
        }
    }
    return result;
}

QString appendNames(QString mediaNames, const QStringList& names) {
    for (const QString& n : names)
        mediaNames.append(n).append(u';');
    return mediaNames;
}

} // namespace tsuzuri::media
