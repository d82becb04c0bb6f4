#pragma once

#include "ui/services.h"

#include <QPointer>
#include <QWidget>

class QProgressDialog;

// The real seams for starting programs, choosing files, long copies and modal dialogs, on Qt Widgets.
namespace tsuzuri {

class QtLauncher final : public Launcher {
public:
    QtLauncher();
    // Where a program that ends with an error soon after it started is told about.
    void setMessages(MessageBoxes* messages) { messages_ = messages; }
    const launch::Environment& environment() override { return environment_; }
    Outcome start(const launch::Command& command) override;

private:
    launch::Environment environment_;
    MessageBoxes* messages_ = nullptr;
};

// A filter "name (*.jpg *.png)" that also matches the upper-case spellings ("*.JPG"), as the
// filters match on a file system that ignores case; cameras name their photos IMG_0001.JPG.
QString withUpperCasePatterns(const QString& filter);

class QtFileChooser final : public FileChooser {
public:
    void setParent(QWidget* parent) { parent_ = parent; }
    std::optional<QStringList> openFiles(const OpenFilesRequest& request) override;
    std::optional<QString> saveFile(const QString& title, const QString& path, const QString& filter) override;

private:
    QPointer<QWidget> parent_;
};

// A window-modal progress dialog with a cancel button. It appears only when a copy takes a while,
// and while it shows, the window keeps painting between chunks.
class QtCopyProgress final : public media::CopyObserver {
public:
    QtCopyProgress();
    ~QtCopyProgress() override;
    void setParent(QWidget* parent) { parent_ = parent; }
    void begin(const QString& name, qint64 total) override;
    bool progressed(qint64 done, qint64 total) override;
    void end() override;

private:
    QPointer<QWidget> parent_;
    // The window owns it as a child too: a guarded pointer never deletes it twice.
    QPointer<QProgressDialog> dialog_;
};

class QtDialogRunner final : public DialogRunner {
public:
    void run(QDialog& dialog) override;
};

} // namespace tsuzuri
