#include "ui/frm_main.h"

#include "diary/messages.h"
#include "launch/launch_commands.h"
#include "ui/frm_ver.h"

#include <QAction>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

void startOrTell(Services services, const launch::Command& command) {
    const Outcome started = services.launcher->start(command);
    if (!started.ok())
        services.messages->tell(messageText(started));
}

} // namespace

void frmMain::connectView() {
    connect(menuIe, &QAction::triggered, this, [this] { guarded([this] { menuIe_Click(); }); });
    connect(menuSc, &QAction::triggered, this, [this] { guarded([this] { menuSc_Click(); }); });
    connect(menuVer, &QAction::triggered, this, [this] { guarded([this] { menuVer_Click(); }); });
}

// Both commands name the month the calendar boxes show, whether or not its page exists yet: the
// started program reports a missing page itself.
void frmMain::menuIe_Click() {
    const QString page = launch::pagePath(programFolder_, txtDiaryDir->text(), txtCalYYYY->text(), txtCalMM->text());
    startOrTell(services_, launch::browserCommand(services_.launcher->environment(), page));
}

void frmMain::menuSc_Click() {
    const QString page = launch::pagePath(programFolder_, txtDiaryDir->text(), txtCalYYYY->text(), txtCalMM->text());
    const std::optional<launch::Command> editor = launch::textEditorCommand(services_.launcher->environment(), page);
    if (!editor) {
        tell(messageText(Msg::NoTextEditor));
        return;
    }
    startOrTell(services_, *editor);
}

void frmMain::menuVer_Click() {
    frmVer box(*services_.launcher, *services_.messages, frmVer::homePage(programFolder_), this);
    services_.dialogs->run(box);
}

} // namespace tsuzuri
