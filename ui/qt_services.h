#pragma once

#include "ui/services.h"

#include <QPointer>
#include <QWidget>

#include <memory>
#include <utility>
#include <vector>

class QMessageBox;

// The real seams, on Qt Widgets.
namespace tsuzuri {

class QtMessageBoxes final : public MessageBoxes {
public:
    // Boxes are modal to the parent when one is given (the main window, once it exists).
    void setParent(QWidget* parent) { parent_ = parent; }
    Answer ask(const QString& text, Buttons buttons) override;
    std::optional<QString> askText(const QString& text, const QString& initial) override;

    // The box ask() runs: the title, no icon, the text with its line breaks, and its Japanese buttons.
    static std::unique_ptr<QMessageBox> makeBox(const QString& text, Buttons buttons, QWidget* parent = nullptr);
    // The buttons of a kind, in order, with what each answers.
    static std::vector<std::pair<QString, Answer>> buttonChoices(Buttons buttons);

private:
    QPointer<QWidget> parent_;
};

class SystemClock final : public Clock {
public:
    QDate today() const override;
};

class QtClipboard final : public Clipboard {
public:
    void setText(const QString& text) override;
};

// The application's title on every message box.
QString applicationTitle();

} // namespace tsuzuri
