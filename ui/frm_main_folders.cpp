#include "ui/frm_main.h"

#include "diary/messages.h"
#include "settings/diary_folder.h"
#include "store/paths.h"

#include <QFileInfo>
#include <QFocusEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabWidget>

#include <functional>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

// Tells the window when the focus leaves one box for another control of the window; a message box or a
// menu opening over it, or another program taking the focus, is no leaving.
class LeaveHook final : public QObject {
public:
    LeaveHook(QWidget* watched, std::function<void()> left) : QObject(watched), left_(std::move(left)) {
        watched->installEventFilter(this);
    }
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::FocusOut) {
            switch (static_cast<QFocusEvent*>(event)->reason()) {
            case Qt::MouseFocusReason:
            case Qt::TabFocusReason:
            case Qt::BacktabFocusReason:
            case Qt::ShortcutFocusReason:
            case Qt::OtherFocusReason:
                left_();
                break;
            default:
                break;
            }
        }
        return false;
    }

private:
    std::function<void()> left_;
};

// The chosen folder's own name: the text after the last separator. A root ("/", "C:\") has none.
QString folderNameOf(const QString& path) {
    const qsizetype separator = std::max(path.lastIndexOf(u'/'), path.lastIndexOf(u'\\'));
    return path.mid(separator + 1);
}

} // namespace

void frmMain::connectFolders() {
    onClick(cmdDiaryDir, &frmMain::cmdDiaryDir_Click);
    onClick(cmdFol, &frmMain::cmdFol_Click);
    new LeaveHook(txtDiaryDir, [this] { guarded([this] { txtDiaryDir_LostFocus(); }); });
}

// Shows the diary folder named in the box, making it first when it is missing. Every switch, even to the
// folder in use, reloads everything from disk.
void frmMain::cmdDiaryDir_Click() {
    if (!offerToWriteEdits())
        return;
    const QString name = txtDiaryDir->text();
    if (QFileInfo(paths::diaryFolder(programFolder_, name)).isDir()) {
        lblNowDiaryDir->setText(folderCaption(name));
    } else {
        // On No or a failure the folder in use stays in use.
        if (!offerToCreateDiaryFolder(name))
            return;
        entries_.clear();
    }

    for (QLineEdit* box : {txtFTP, txtID, txtPass, txtRoot, txtImg[0], txtImg[1]})
        box->clear();
    for (int k = 0; k < 12; ++k) {
        txtLinkTitle[k]->clear();
        txtLinkPath[k]->clear();
    }
    SSTab1->setCurrentIndex(0);
    reloadFlag_ = true;
    Form_Load();
}

bool frmMain::offerToCreateDiaryFolder(const QString& name) {
    if (services_.messages->ask(messageText(Msg::FolderMissingCreate, {name}), Buttons::YesNo) != Answer::Yes) {
        txtDiaryDir->setText(loadedFolderName_);
        return false;
    }
    const DiaryFolderCreation made = createDiaryFolder(programFolder_, name);
    if (!made.outcome.ok()) {
        tell(made.outcome);
        txtDiaryDir->setText(loadedFolderName_);
        return false;
    }
    if (!made.templatesCopied)
        tell(messageText(Msg::TemplatesNotCopied));
    lblNowDiaryDir->setText(folderCaption(name));
    tell(messageText(Msg::FolderCreated, {name}));
    return true;
}

// Only the chosen folder's name counts: the diary folder is always the folder of that name beside the
// program.
void frmMain::cmdFol_Click() {
    if (!services_.folders)
        return;
    const std::optional<QString> chosen = services_.folders->chooseFolder(u"日記フォルダを選択して下さい"_s);
    if (!chosen)
        return;
    txtDiaryDir->setText(folderNameOf(*chosen));
    cmdDiaryDir_Click();
}

void frmMain::txtDiaryDir_LostFocus() {
    // Before a start-up has shown a folder there is nothing to switch from.
    if (lblNowDiaryDir->text().isEmpty() || txtDiaryDir->text() == loadedFolderName_)
        return;
    if (services_.messages->ask(messageText(Msg::FolderNameChanged), Buttons::YesNo) == Answer::Yes)
        cmdDiaryDir_Click();
    else
        txtDiaryDir->setText(loadedFolderName_);
}

} // namespace tsuzuri
