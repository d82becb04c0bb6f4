#pragma once

#include "diary/messages.h"
#include "diary/session_services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QHash>
#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <stdexcept>

// Recording stand-ins for the session's seams: each call is kept word for word, answers are scripted, and
// an unscripted question or dialog fails the test loudly.
namespace tsuzuri::test {

template <class T> T next(std::deque<T>& answers, const char* what) {
    if (answers.empty())
        throw std::logic_error(what);
    T a = std::move(answers.front());
    answers.pop_front();
    return a;
}

class RecordingMessages final : public MessageBoxes {
public:
    struct Shown {
        QString text;
        Buttons buttons;
    };
    QList<Shown> shown;
    std::deque<Answer> answers;                     // for Yes/No questions
    std::deque<std::optional<QString>> textAnswers; // for typed answers

    Answer ask(const QString& text, Buttons buttons) override {
        shown.append({text, buttons});
        return buttons == Buttons::Ok ? Answer::Ok : next(answers, "unscripted question");
    }
    std::optional<QString> askText(const QString& text, const QString& initial) override {
        shown.append({text + u'|' + initial, Buttons::Ok});
        return next(textAnswers, "unscripted typed answer");
    }
    QStringList texts() const {
        QStringList out;
        for (const Shown& s : shown)
            out << s.text;
        return out;
    }
    void clear() { shown.clear(); }
};

class FakeKeyring final : public PasswordStore {
public:
    bool up = true;
    std::optional<QString> refusal;
    QHash<QString, QString> saved;
    bool available() override { return up; }
    std::optional<QString> read(const QString& key, Outcome*) override {
        return saved.contains(key) ? std::optional(saved[key]) : std::nullopt;
    }
    Outcome write(const QString& key, const QString& password) override {
        if (refusal)
            return Outcome::failure(Msg::ErrorWithReason, {*refusal});
        saved[key] = password;
        return {};
    }
    Outcome remove(const QString& key) override {
        saved.remove(key);
        return {};
    }
};

class FixedClock final : public Clock {
public:
    QDate date{2005, 11, 5};
    QDate today() const override { return date; }
};

class RecordingClipboard final : public Clipboard {
public:
    QStringList texts;
    bool fail = false; // stands in for anything unexpected inside a command
    void setText(const QString& text) override {
        if (fail)
            throw std::runtime_error("clipboard unavailable");
        texts << text;
    }
};

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
    std::deque<std::optional<QStringList>> answers;
    std::deque<std::optional<QString>> saveAnswers;
    std::optional<QStringList> openFiles(const OpenFilesRequest& request) override {
        requests << request;
        return next(answers, "unscripted file dialog");
    }
    std::optional<QString> saveFile(const QString&, const QString&, const QString&) override {
        return next(saveAnswers, "unscripted save dialog");
    }
};

class ScriptedFolderChooser final : public FolderChooser {
public:
    QStringList titles, startFolders;
    std::deque<std::optional<QString>> answers;
    std::optional<QString> chooseFolder(const QString& title, const QString& startFolder) override {
        titles << title;
        startFolders << startFolder;
        return next(answers, "unscripted folder dialog");
    }
};

class ScriptedCopyProgress final : public media::CopyObserver {
public:
    QStringList begun;
    qint64 cancelAt = -1; // cancel once this many bytes are done

    void begin(const QString& name, qint64) override { begun << name; }
    bool progressed(qint64 done, qint64) override { return cancelAt < 0 || done < cancelAt; }
    void end() override {}
};

// Test files are written and read raw, missing folders made on the way.
inline bool writeBytes(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).path());
    QFile f(path);
    return f.open(QIODevice::WriteOnly) && f.write(bytes) == bytes.size();
}
inline QByteArray readBytes(const QString& path) {
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

} // namespace tsuzuri::test
