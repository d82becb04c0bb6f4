#pragma once

#include <QDate>
#include <QString>

// The window's ways out of the process: everything that blocks on the user, asks the system or leaves
// the program goes through one of these, so tests drive the real window with scripted answers.
namespace tsuzuri {

enum class Buttons { Ok, YesNo };
enum class Answer { Ok, Yes, No };

// Modal message boxes and questions, titled with the application's name and without an icon. The text
// is given exactly as the message table holds it (CR LF or a lone CR between lines).
class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    virtual Answer ask(const QString& text, Buttons buttons) = 0;
    void tell(const QString& text) { ask(text, Buttons::Ok); }
};

// Today's date, the only clock the program reads.
class Clock {
public:
    virtual ~Clock() = default;
    virtual QDate today() const = 0;
};

// The clipboard: putting a text replaces whatever was there.
class Clipboard {
public:
    virtual ~Clipboard() = default;
    virtual void setText(const QString& text) = 0;
};

// Everything the main window is handed. The window owns none of them; the composition root (or the
// test) keeps them alive at least as long as the window. New seams (file and folder choosers, starting
// a program, the FTP connection) are added as further members here, and only the code that uses one
// has to know it.
struct Services {
    MessageBoxes* messages = nullptr;
    Clock* clock = nullptr;
    Clipboard* clipboard = nullptr;
};

} // namespace tsuzuri
