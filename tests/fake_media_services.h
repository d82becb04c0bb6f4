#pragma once

#include "diary/messages.h"
#include "ui/services.h"

#include <QDialog>
#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <functional>
#include <stdexcept>

// Recording stand-ins for starting programs, the open-file dialog, long copies and modal dialogs.
namespace tsuzuri::test {

class RecordingLauncher final : public Launcher {
public:
    launch::Environment env;
    QList<launch::Command> started;
    bool fail = false; // every start fails as a missing program would

    RecordingLauncher() {
        env.platform = launch::Platform::Linux;
        env.defaultTextEditorId = [] { return QString(); };
    }
    const launch::Environment& environment() override { return env; }
    Outcome start(const launch::Command& command) override {
        started << command;
        if (fail)
            return Outcome::failure(Msg::LaunchFailed, {command.displayName, messageText(Msg::ProgramNotStarted)});
        return Outcome::success();
    }
};

class ScriptedFileChooser final : public FileChooser {
public:
    QList<OpenFilesRequest> requests;
    std::deque<std::optional<QStringList>> answers; // an unscripted dialog fails the test loudly

    std::optional<QStringList> openFiles(const OpenFilesRequest& request) override {
        requests << request;
        if (answers.empty())
            throw std::logic_error("unscripted file dialog");
        auto a = answers.front();
        answers.pop_front();
        return a;
    }
};

class ScriptedCopyProgress final : public media::CopyObserver {
public:
    QStringList begun;
    int ended = 0;
    qint64 cancelAt = -1; // cancel once this many bytes are done

    void begin(const QString& name, qint64) override { begun << name; }
    bool progressed(qint64 done, qint64) override { return cancelAt < 0 || done < cancelAt; }
    void end() override { ++ended; }
};

// Never runs a dialog's event loop: records it and lets the test look at it while it is up.
class RecordingDialogs final : public DialogRunner {
public:
    QStringList shown; // objectNames
    std::function<void(QDialog&)> whileShown;

    void run(QDialog& dialog) override {
        shown << dialog.objectName();
        if (whileShown)
            whileShown(dialog);
    }
};

} // namespace tsuzuri::test
