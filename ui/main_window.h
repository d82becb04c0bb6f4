#pragma once

#include "ui/services.h"

#include <QMainWindow>
#include <QPointer>
#include <QProgressDialog>

#include <memory>

namespace Ui {
class MainWindow;
}

namespace tsuzuri {

class DiarySession;

// The main window: the folder bar, the calendar, the five tabs and the menus, on one diary session.
class MainWindow final : public QMainWindow {
    Q_OBJECT
public:
    // programFolder holds the templates, ini/ and the diary folders. The services must outlive the window.
    MainWindow(QString programFolder, WindowServices services, QWidget* parent = nullptr);
    ~MainWindow() override;

    // Brings the window into its start state; false when that failed (the user was told) and the program is
    // to end.
    bool start();

    DiarySession& session() const { return *session_; }

signals:
    // The program is to end: the window has closed, or its start-up failed.
    void programEnded();

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    void centreWindow();
    void showAboutBox();
    void showBackupProgress(const QString& what);
    void moveFocus(int focus);

    std::unique_ptr<Ui::MainWindow> ui_;
    const WindowServices services_;
    std::unique_ptr<DiarySession> session_;
    bool ended_ = false;
    QPointer<QProgressDialog> progress_;
    QString progressLabel_;
};

} // namespace tsuzuri
