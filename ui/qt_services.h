#pragma once

#include "ui/services.h"

#include <QPointer>
#include <QWidget>

#include <memory>

class QMessageBox;

// The real seams, on Qt Widgets.
namespace tsuzuri {

class QtMessageBoxes final : public MessageBoxes {
public:
    // Boxes are modal to the parent when one is given (the main window, once it exists).
    void setParent(QWidget* parent) { parent_ = parent; }
    Answer ask(const QString& text, Buttons buttons) override;

    // The box ask() runs: the title, no icon, the text with its line breaks, and OK or はい/いいえ.
    static std::unique_ptr<QMessageBox> makeBox(const QString& text, Buttons buttons, QWidget* parent = nullptr);

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
