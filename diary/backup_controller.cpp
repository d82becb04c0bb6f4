#include "diary/backup_controller.h"

#include "diary/diary_session.h"
#include "diary/folder_commands.h"
#include "diary/messages.h"

#include <QElapsedTimer>
#include <QFileInfo>

#include <atomic>

using namespace Qt::StringLiterals;

namespace tsuzuri {

BackupController::BackupController(DiarySession& session) : s_(session) {}

BackupController::~BackupController() {
    cancel();
    join();
}

void BackupController::join() {
    if (worker_.joinable())
        worker_.join();
}

void BackupController::backup() {
    s_.guarded([this] {
        FileChooser* files = s_.services_.files;
        if (isRunning() || !files)
            return;
        const QString folder = s_.loadedFolder_;
        const std::optional<QString> zip = files->saveFile(
            u"バックアップの保存先"_s, backup::defaultBackupPath(s_.home_, folder, s_.services_.clock->today()),
            u"zip ファイル (*.zip)"_s);
        if (!zip)
            return;
        const Answer password = s_.ask(Outcome::failure(Msg::BackupWithPassword));
        const backup::BackupRequest request{s_.home_, folder, *zip, password == Answer::Yes};
        run(
            u"バックアップしています…"_s,
            [request](const backup::ProgressCallback& progress, std::stop_token stop) {
                const backup::BackupResult r = backup::writeBackup(request, progress, stop);
                if (r.written && !r.leftOut.isEmpty())
                    return Outcome::failure(Msg::BackupDoneLeftOut,
                                            {r.outcome.args.value(0), r.leftOut.join(u"\r\n"_s)});
                return r.outcome;
            },
            [this](const Outcome& outcome) { s_.tell(outcome); });
    });
}

void BackupController::restore() {
    s_.guarded([this] {
        FileChooser* files = s_.services_.files;
        if (isRunning() || !files)
            return;
        const std::optional<QStringList> zip = files->openFiles(
            {u"復元するバックアップ"_s, QFileInfo(s_.home_).absolutePath(), {u"zip ファイル (*.zip)"_s}, 0});
        if (zip && !zip->isEmpty())
            startRestore(zip->first(), std::nullopt);
    });
}

void BackupController::startRestore(const QString& zip, const std::optional<QString>& name) {
    auto result = std::make_shared<backup::RestoreResult>();
    const backup::RestoreRequest request{s_.home_, zip, name};
    run(
        u"復元しています…"_s,
        [request, result](const backup::ProgressCallback& progress, std::stop_token stop) {
            *result = backup::restoreBackup(request, progress, stop);
            return result->outcome;
        },
        [this, result, zip](const Outcome&) { restored(zip, *result); });
}

// A name already in use (or one that cannot be a diary folder) is only seen once the zip is read: the user
// then names the new folder, and the restore starts again; nothing was written meanwhile.
void BackupController::restored(const QString& zip, const backup::RestoreResult& r) {
    if (!r.restored) {
        s_.tell(r.outcome);
        const Msg m = r.outcome.msg;
        if (m != Msg::RestoreFolderExists && m != Msg::RestoreSettingsExist && m != Msg::RestoreBadName)
            return;
        const std::optional<QString> name = s_.services_.messages->askText(
            messageText(Msg::RestoreAskName), r.folder.isEmpty() ? QString() : r.folder + u"-2"_s);
        if (name && !name->isEmpty())
            startRestore(zip, *name);
        return;
    }
    QString told = messageText(r.outcome);
    if (!r.passwordIncluded)
        told += u"\r\n"_s + messageText(Msg::RestoreNoPassword);
    s_.tell(told);
    if (s_.ask(Outcome::failure(Msg::ShowRestoredFolder, {r.folder})) == Answer::Yes) {
        s_.folderText_ = r.folder;
        s_.changed_ |= DiarySession::FolderPart;
        s_.folders().switchFolder();
    }
}

void BackupController::run(const QString& what,
                           std::function<Outcome(const backup::ProgressCallback&, std::stop_token)> work,
                           std::function<void(const Outcome&)> done) {
    join();
    stop_ = std::stop_source();
    emit started(what);
    worker_ = std::thread([this, work = std::move(work), done = std::move(done), stop = stop_.get_token()] {
        // Progress comes often; the window is told at most every 100 ms, and always the last figures.
        QElapsedTimer since;
        since.start();
        const backup::ProgressCallback progress = [this, &since](const backup::Progress& p) {
            if (since.elapsed() < 100 && p.filesDone < p.filesTotal)
                return;
            since.restart();
            QMetaObject::invokeMethod(
                this, [this, p] { emit progressChanged(p.filesDone, p.filesTotal, p.bytesDone, p.bytesTotal); },
                Qt::QueuedConnection);
        };
        const Outcome outcome = work(progress, stop);
        QMetaObject::invokeMethod(
            this,
            [this, outcome, done] {
                join();
                emit finished();
                s_.guarded([&] { done(outcome); });
            },
            Qt::QueuedConnection);
    });
}

} // namespace tsuzuri
