#pragma once

#include "ui/services.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QList>
#include <QString>
#include <QStringList>

#include <deque>
#include <stdexcept>

// Recording stand-ins for the window's seams: each call is kept word for word, answers are scripted.
namespace tsuzuri::test {

class RecordingMessages final : public MessageBoxes {
public:
    struct Shown {
        QString text;
        Buttons buttons;
    };
    QList<Shown> shown;
    std::deque<Answer> answers; // for Yes/No questions; an unscripted question fails the test loudly

    Answer ask(const QString& text, Buttons buttons) override {
        shown.append({text, buttons});
        if (buttons == Buttons::Ok)
            return Answer::Ok;
        if (answers.empty())
            throw std::logic_error("unscripted question");
        const Answer a = answers.front();
        answers.pop_front();
        return a;
    }
    QStringList texts() const {
        QStringList out;
        for (const Shown& s : shown)
            out << s.text;
        return out;
    }
    void clear() { shown.clear(); }
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
