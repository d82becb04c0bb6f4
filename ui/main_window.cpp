#include "ui/main_window.h"

#include "diary/backup_controller.h"
#include "diary/diary_session.h"
#include "diary/media_commands.h"
#include "diary/upload_controller.h"
#include "ui/about_dialog.h"
#include "ui/qt_services.h"
#include "ui_main_window.h"

#include <QCloseEvent>
#include <QGuiApplication>
#include <QPointer>
#include <QProgressDialog>
#include <QScreen>
#include <QStatusBar>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

// How long a line on what was just done stays in the status bar.
constexpr int kStatusMs = 6000;

} // namespace

MainWindow::MainWindow(QString programFolder, WindowServices services, QWidget* parent)
    : QMainWindow(parent), ui_(std::make_unique<Ui::MainWindow>()), services_(services),
      session_(std::make_unique<DiarySession>(std::move(programFolder), services.session)) {
    ui_->setupUi(this);
    setWindowTitle(applicationTitle());
    DiarySession& s = *session_;
    ui_->folderBar->bind(s);
    ui_->calendarPanel->bind(s);
    ui_->diaryTab->bind(s);
    ui_->snippetsTab->bind(s);
    ui_->linksTab->bind(s);
    ui_->uploadTab->bind(s);
    ui_->settingsTab->bind(s);
    ui_->searchTab->bind(s);

    connect(ui_->quitAction, &QAction::triggered, this, &QWidget::close);
    connect(ui_->openInBrowserAction, &QAction::triggered, &s, [&s] { s.media().openInBrowser(); });
    connect(ui_->openSourceAction, &QAction::triggered, &s, [&s] { s.media().openSource(); });
    connect(ui_->aboutAction, &QAction::triggered, this, &MainWindow::showAboutBox);
    connect(ui_->searchAction, &QAction::triggered, this, [this] {
        ui_->tabs->setCurrentWidget(ui_->searchTab);
        ui_->searchTab->focusQuery();
    });
    BackupController& backups = s.backups();
    connect(ui_->backupAction, &QAction::triggered, &backups, &BackupController::backup);
    connect(ui_->restoreAction, &QAction::triggered, &backups, &BackupController::restore);
    connect(&backups, &BackupController::started, this, &MainWindow::showBackupProgress);
    connect(&backups, &BackupController::progressChanged, this,
            [this](int files, int filesTotal, qint64 bytes, qint64 total) {
                if (!progress_)
                    return;
                progress_->setMaximum(total > 0 ? 1000 : qMax(filesTotal, 1));
                progress_->setValue(total > 0 ? int(bytes * 1000 / total) : files);
                progress_->setLabelText(progressLabel_ + u"\n"_s + u"%1 / %2 ファイル"_s.arg(files).arg(filesTotal));
            });
    connect(&backups, &BackupController::finished, this, [this] {
        if (progress_)
            progress_->deleteLater();
        progress_ = nullptr;
    });
    connect(&s, &DiarySession::focusRequested, this, [this](DiarySession::Focus f) { moveFocus(int(f)); });
    connect(&s, &DiarySession::diaryTabRequested, this, [this] { ui_->tabs->setCurrentWidget(ui_->diaryTab); });
    connect(&s, &DiarySession::startedUp, this, &MainWindow::centreWindow);
    connect(&s, &DiarySession::statusMessage, this,
            [this](const QString& text) { statusBar()->showMessage(text, kStatusMs); });
    connect(&s, &DiarySession::endRequested, this, [this] {
        close();
        if (!ended_) {
            ended_ = true;
            emit programEnded();
        }
    });
    // Tab goes through the folder bar, the calendar and its boxes, then into the tab on show.
    const QList<QWidget*> order =
        ui_->folderBar->focusChain() + ui_->calendarPanel->focusChain() + QList<QWidget*>{ui_->tabs};
    for (qsizetype i = 1; i < order.size(); ++i)
        setTabOrder(order[i - 1], order[i]);
    // Everything fits at this size with room to spare; the body box takes what the window grows by.
    resize(QSize(980, 660).expandedTo(minimumSizeHint()));
}

MainWindow::~MainWindow() {
    // The session's upload run is stopped before the tabs that show it are gone.
    session_.reset();
}

bool MainWindow::start() {
    const bool started = session_->start();
    // The diary is what the user came to write: the title box takes the typing from the start.
    if (started)
        ui_->diaryTab->focusTitle();
    if (!started && !ended_) {
        ended_ = true;
        emit programEnded();
    }
    return started;
}

// The editor's boxes are on the diary tab: it comes to the front first, or the typing would land in a box
// that cannot be seen.
void MainWindow::moveFocus(int focus) {
    switch (DiarySession::Focus(focus)) {
    case DiarySession::Focus::Title:
        ui_->tabs->setCurrentWidget(ui_->diaryTab);
        ui_->diaryTab->focusTitle();
        break;
    case DiarySession::Focus::Media:
        ui_->tabs->setCurrentWidget(ui_->diaryTab);
        ui_->diaryTab->focusMedia();
        break;
    case DiarySession::Focus::Generate:
        ui_->folderBar->generateButton()->setFocus();
        break;
    }
}

// The middle of the screen's work area (the desktop less its panels). A window larger than the area keeps
// its title bar on screen.
void MainWindow::centreWindow() {
    QScreen* screen = this->screen();
    if (!screen)
        screen = QGuiApplication::primaryScreen();
    if (!screen)
        return;
    const QRect area = screen->availableGeometry();
    const QSize outer = frameGeometry().size();
    const int left = area.left() + (area.width() - outer.width()) / 2;
    const int top = area.top() + (area.height() - outer.height()) / 2;
    move(std::max(left, area.left()), std::max(top, area.top()));
}

// A long backup or restore shows how far it is and can be stopped; the window waits for it.
void MainWindow::showBackupProgress(const QString& what) {
    progressLabel_ = what;
    progress_ = new QProgressDialog(what, u"中止"_s, 0, 0, this);
    progress_->setWindowTitle(applicationTitle());
    progress_->setWindowModality(Qt::WindowModal);
    progress_->setMinimumDuration(400);
    progress_->setAutoClose(false);
    progress_->setAutoReset(false);
    connect(progress_, &QProgressDialog::canceled, &session_->backups(), &BackupController::cancel);
}

void MainWindow::showAboutBox() {
    const SessionServices& s = services_.session;
    if (!s.launcher || !s.messages || !services_.dialogs)
        return;
    AboutDialog box(*s.launcher, *s.messages, AboutDialog::homePage(session_->programFolder()), this);
    services_.dialogs->run(box);
}

// Closing never loses typed diary text without a word: an upload on its way and edits not yet written are
// asked about first.
void MainWindow::closeEvent(QCloseEvent* event) {
    if (!session_->uploads().stopForClose() || !session_->close()) {
        event->ignore();
        return;
    }
    event->accept();
    if (!ended_) {
        ended_ = true;
        emit programEnded();
    }
}

} // namespace tsuzuri
