#include "ui/frm_main.h"

#include "diary/messages.h"
#include "settings/diary_folder.h"
#include "settings/settings_files.h"
#include "store/paths.h"
#include "ui/plain_text.h"

#include <QAction>
#include <QCloseEvent>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>

using namespace Qt::StringLiterals;

namespace tsuzuri {

void frmMain::connectShutdown() {
    connect(menuEnd, &QAction::triggered, this, [this] { guarded([this] { menuEnd_Click(); }); });
}

// Closing never loses typed diary text without a word: the question comes first, and a page that the
// user wanted written but that could not be keeps the window open with the text in it.
void frmMain::closeEvent(QCloseEvent* event) {
    bool stay = false;
    guarded([this, &stay] { stay = !offerToWriteEdits(); });
    if (stay) {
        event->ignore();
        return;
    }
    guarded([this] { Form_Unload(); });
    event->accept();
    endProgram();
}

// Records the folder in use for the next start. Nothing is written when the start-up failed or met a
// diary folder without image.
void frmMain::Form_Unload() {
    if (skipShutdown_)
        return;
    const QString name = txtDiaryDir->text();
    // A folder that could not be made counts as a No: fdir.ini keeps naming a folder that exists.
    if (!QFileInfo(paths::diaryFolder(programFolder_, name)).isDir() && !offerToCreateDiaryFolder(name))
        return;
    const Outcome written = writeFdirIni(programFolder_, txtDiaryDir->text());
    if (!written.ok())
        tell(written);
}

// The window closes (the shut-down sequence runs) and the program ends, unless the close was held off.
void frmMain::menuEnd_Click() {
    close();
}

void frmMain::endProgram() {
    if (programEnded_)
        return;
    programEnded_ = true;
    emit programEnded();
}

// --- edits not yet written ---------------------------------------------------------------------------

frmMain::WrittenState frmMain::currentState(bool* complete) const {
    WrittenState state;
    // The editor as the generate command would store it, without touching the table itself.
    EntryTable table = entries_;
    const DiaryEntry editor{Text5->text(), editorBody(), lbldiarydate->text(), Text8->text()};
    *complete = table.store(editor).ok() || !editor.hasContent();
    // Rows without content never reach the page: a blank editor stored on a new date is no edit.
    for (int j = 1; j <= table.count; ++j) {
        if (table.rows[j].hasContent())
            state.entries.append(table.rows[j]);
    }
    for (int k = 0; k < 12; ++k)
        state.links[k] = {txtLinkTitle[k]->text(), txtLinkPath[k]->text()};
    state.siteTitle = Text10->text();
    return state;
}

void frmMain::rememberWritten() {
    bool complete = true;
    written_ = currentState(&complete);
}

bool frmMain::hasUnwrittenEdits() const {
    if (!written_)
        return false;
    bool complete = true;
    const WrittenState now = currentState(&complete);
    return !complete || now != *written_;
}

bool frmMain::offerToWriteEdits() {
    if (!hasUnwrittenEdits())
        return true;
    if (services_.messages->ask(messageText(Msg::UnsavedEdits), Buttons::YesNo) != Answer::Yes)
        return true;
    // The edits belong to the folder on screen, whatever the name box says by now.
    const QString typed = txtDiaryDir->text();
    txtDiaryDir->setText(loadedFolderName_);
    GenerateResult result = GenerateResult::Failed;
    try {
        result = CreateHtml();
    } catch (...) {
        txtDiaryDir->setText(typed);
        throw;
    }
    txtDiaryDir->setText(typed);
    // A month that was not read completely is never written: there is nothing more to be done for it.
    return result == GenerateResult::Written || unreadPage_.has_value();
}

} // namespace tsuzuri
