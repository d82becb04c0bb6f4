#include "upload/upload_runner.h"

#include "store/paths.h"
#include "upload/sent_manifest.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSet>

using namespace Qt::StringLiterals;

namespace tsuzuri::upload {

namespace {

// The same file however the path was spelled; a vanished file gives the empty text.
QString identity(const QString& path) {
    return QFileInfo(path).canonicalFilePath();
}

// Deletes the plain files directly inside image that are in sent; never a subfolder, never a file that
// did not go out in this run (a photo dropped in during the upload, or one the run never reached).
Outcome cleanImageFolder(const QString& imageFolder, const QSet<QString>& sent, QStringList& deleted) {
    QStringList kept;
    const QFileInfoList files = QDir(imageFolder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System);
    for (const QFileInfo& f : files) {
        if (!sent.contains(identity(f.filePath())))
            continue;
        const QString shown = QDir::toNativeSeparators(f.filePath());
        if (QFile::remove(f.filePath()))
            deleted << shown;
        else
            kept << shown;
    }
    if (kept.isEmpty())
        return Outcome::success();
    return Outcome::failure(Msg::ImageCleanupFailed, {kept.join(u"\r\n"_s)});
}

} // namespace

Outcome planUpload(const UploadRequest& request, Plan& plan) {
    const SentManifest sent =
        request.onlyChanged ? SentManifest::load(request.home, request.folder, request.connection) : SentManifest();
    return makePlan({request.home, request.folder, request.connection.remoteDir, request.selected,
                     request.onlyChanged ? &sent : nullptr},
                    plan);
}

bool hasUploadRecord(const QString& home, const QString& folder, const ConnectionSettings& connection) {
    return QFileInfo::exists(SentManifest::fileFor(home, folder, connection));
}

void UploadRunner::cancel() {
    m_cancelled = true;
    m_session.cancel();
}

UploadResult UploadRunner::run(const UploadRequest& request, const ProgressCallback& progress) {
    UploadResult result;
    const auto report = [&](const UploadProgress& p) {
        if (progress)
            progress(p);
    };
    SentManifest sent = SentManifest::load(request.home, request.folder, request.connection);
    bool recording = false;
    const auto stopped = [&] {
        m_session.abandon();
        result.outcome = m_cancelled ? Outcome::failure(Msg::UploadCancelled) : m_session.failure();
        if (recording)
            sent.save();
        return result;
    };

    Plan plan;
    result.outcome = makePlan({request.home, request.folder, request.connection.remoteDir, request.selected,
                               request.onlyChanged ? &sent : nullptr},
                              plan);
    if (!result.outcome.ok())
        return result;

    UploadProgress p;
    p.filesTotal = plan.fileCount;
    p.bytesTotal = plan.byteCount;
    report(p);

    const ConnectionSettings& c = request.connection;
    if (m_cancelled || !m_session.login({c.protocol, c.host, c.port, c.user, c.password, request.home})) {
        result.untrusted = m_cancelled ? std::nullopt : m_session.untrustedServer();
        return stopped();
    }
    QStringList going;
    for (const Command& c : std::as_const(plan.commands)) {
        if (c.kind == Command::Kind::Put)
            going << c.path;
    }
    if (const Outcome o = sent.forget(going); !o.ok()) {
        m_session.abandon();
        result.outcome = o;
        return result;
    }
    recording = true;

    const QDir diary(paths::diaryFolder(request.home, request.folder));
    QSet<QString> arrived;
    for (const Command& c : std::as_const(plan.commands)) {
        const bool isPut = c.kind == Command::Kind::Put;
        const bool isEnd = c.kind == Command::Kind::Close || c.kind == Command::Kind::Quit;
        if (m_cancelled && !isEnd)
            return stopped();
        const qint64 before = p.bytesSent;
        if (isPut) {
            p.currentFile = QDir::toNativeSeparators(diary.relativeFilePath(QDir::fromNativeSeparators(c.localPath)));
            report(p);
        }
        const bool ok = m_session.execute(c, [&](qint64 n) {
            // A file that grew since the plan was made must not push the bar past its end.
            p.bytesSent = before + qBound<qint64>(0, n, c.size);
            report(p);
        });
        // The files are on the server once QUIT is due; a server that drops the line instead of answering
        // the goodbye has lost nothing.
        if (!ok && isEnd)
            continue;
        if (!ok)
            return stopped();
        if (isPut) {
            const QString local = QDir::fromNativeSeparators(c.localPath);
            QByteArray digest = m_session.sentDigest();
            if (digest.isEmpty())
                digest = fileSha256(local).value_or(QByteArray());
            if (!digest.isEmpty())
                sent.arrived(c.path, {c.size, c.modified, digest});
            arrived.insert(identity(local));
            p.bytesSent = before + c.size;
            ++p.filesDone;
            p.currentFile.clear();
            report(p);
        }
    }
    result.arrived = true;
    result.outcome = Outcome::failure(Msg::UploadDone);
    sent.save();

    // A cancel that came after the last file leaves the local files alone: deleting is never a surprise.
    const bool cleanUpWanted = !m_cancelled && request.connection.deleteAfterUpload == 1 &&
                               std::any_of(request.selected.cbegin(), request.selected.cend(),
                                           [](const QString& e) { return e.contains(u"[フォルダ]image"_s); });
    if (cleanUpWanted)
        result.cleanUp = cleanImageFolder(paths::imageFolder(request.home, request.folder), arrived, result.deleted);
    return result;
}

} // namespace tsuzuri::upload
