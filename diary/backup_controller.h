#pragma once

#include "backup/diary_backup.h"

#include <QObject>
#include <QString>

#include <functional>
#include <optional>

#include <stop_token>
#include <thread>

namespace tsuzuri {

class DiarySession;

// Backup of the diary folder on screen into one zip, and restore of a zip into a new diary folder, for the
// session: the questions and file dialogs, the work on a worker thread with its progress and cancel, and
// the outcome told at the end (a restored folder is offered to be shown).
class BackupController final : public QObject {
    Q_OBJECT
public:
    explicit BackupController(DiarySession& session);
    ~BackupController() override;

    bool isRunning() const { return worker_.joinable(); }
    void backup();
    void restore();
    void cancel() { stop_.request_stop(); }

signals:
    void started(const QString& what);
    void progressChanged(int filesDone, int filesTotal, qint64 bytesDone, qint64 bytesTotal);
    void finished();

private:
    void run(const QString& what, std::function<Outcome(const backup::ProgressCallback&, std::stop_token)> work,
             std::function<void(const Outcome&)> done);
    void join();
    void startRestore(const QString& zip, const std::optional<QString>& name);
    void restored(const QString& zip, const backup::RestoreResult& result);

    DiarySession& s_;
    std::stop_source stop_;
    std::thread worker_;
};

} // namespace tsuzuri
