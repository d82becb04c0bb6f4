#include "ui/frm_main.h"

#include "diary/messages.h"
#include "settings/diary_folder.h"
#include "settings/settings_files.h"

#include <QCheckBox>
#include <QGuiApplication>
#include <QLabel>
#include <QLineEdit>
#include <QScreen>

#include <algorithm>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

// A step that cannot go on: the start-up failure path takes over.
struct StartupFailure {};

} // namespace

// The start state: today's month on the calendar and today's entry in the editor, the folder's settings.
// Run at program start and again by every diary folder switch. Whatever stops it half-way leaves a window
// that shows no folder properly: it says so and the program ends without touching a file.
void frmMain::Form_Load() {
    try {
        runStartupSteps();
    } catch (...) {
        written_.reset();
        try {
            tell(messageText(Msg::StartupFailed));
        } catch (...) {
        }
        skipShutdown_ = true;
        close();
        endProgram();
    }
}

void frmMain::runStartupSteps() {
    chkimg->setCheckState(Qt::Unchecked);
    chksaku->setCheckState(Qt::Unchecked);

    if (!reloadFlag_) {
        const FdirRead fdir = readFdirIni(programFolder_);
        if (!fdir.exists)
            throw StartupFailure{};
        // The last line wins; an empty file leaves the box's own "diary".
        if (fdir.folder)
            txtDiaryDir->setText(*fdir.folder);
    }

    centreWindow();

    const DateTexts today = todayTexts();
    txtCalYYYY->setText(today.year);
    lblHDCalYYYY->setText(today.year);
    txtCalMM->setText(today.month);
    lblHDCalMM->setText(today.month);
    lbldiarydate->setText(dateLine(today.year, today.month, today.day));

    ReadMonthPage(today.year, today.month, today.day);
    DrawCalendar();

    loadedFolderName_ = txtDiaryDir->text();
    LoadFolderSettings();
    lblNowDiaryDir->setText(folderCaption(txtDiaryDir->text()));
    if (imageFolderMissing_)
        skipShutdown_ = true;
}

// The middle of the screen's work area (the desktop less its panels). A window larger than the area
// keeps its title bar on screen.
void frmMain::centreWindow() {
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

} // namespace tsuzuri
