#include "ui/frm_main.h"

#include "diary/messages.h"
#include "settings/diary_folder.h"
#include "settings/settings_files.h"
#include "store/paths.h"
#include "ui/day_cell.h"

#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QSignalBlocker>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

// The files hold check-box values as they always have: 0 cleared, 1 checked, 2 greyed.
int checkValue(const QCheckBox* box) {
    switch (box->checkState()) {
    case Qt::Checked:
        return 1;
    case Qt::PartiallyChecked:
        return 2;
    default:
        return 0;
    }
}

void setCheckValue(QCheckBox* box, int value) {
    box->setCheckState(value == 1 ? Qt::Checked : value == 2 ? Qt::PartiallyChecked : Qt::Unchecked);
}

} // namespace

void frmMain::connectSettings() {
    onClick(cmdSAVE, &frmMain::cmdSAVE_Click);
    onClick(cmdEtcIniSave, &frmMain::cmdEtcIniSave_Click);
    onClick(cmdLoad, &frmMain::cmdLoad_Click);
    // One of the two is toggled on whenever the other goes off: one signal covers both.
    connect(optHolLaw, &QRadioButton::toggled, this, [this] { guarded([this] { holidayChoice_Toggled(); }); });
}

// The save commands say nothing when the file was written; a refused value or a failed write is told,
// and the previous file stays as it was.
ConnectionSettings frmMain::connectionOnScreen() const {
    return {txtFTP->text(), txtID->text(), txtPass->text(), txtRoot->text(), checkValue(chksaku)};
}

void frmMain::cmdSAVE_Click() {
    const Outcome written = writeConnectionSettings(programFolder_, txtDiaryDir->text(), connectionOnScreen());
    if (!written.ok())
        tell(written);
}

void frmMain::cmdEtcIniSave_Click() {
    SizeSettings s;
    s.imageWidth = txtImg[0]->text();
    s.imageHeight = txtImg[1]->text();
    s.videoWidth = txtImg2[0]->text();
    s.videoHeight = txtImg2[1]->text();
    s.originalSize = checkValue(chkimg);
    s.holidays = holidayRules_;
    const Outcome written = writeSizeSettings(programFolder_, txtDiaryDir->text(), s);
    if (!written.ok())
        tell(written);
}

void frmMain::cmdLoad_Click() {
    List1->clear();
    LoadFolderSettings();
}

// The per-folder part of opening a diary folder: the folder itself (made when missing), the upload
// list and the two settings files. A key the files do not hold leaves its control as it is.
void frmMain::LoadFolderSettings() {
    List1->clear();
    const QString folder = txtDiaryDir->text();
    if (!QFileInfo(paths::diaryFolder(programFolder_, folder)).isDir()) {
        const DiaryFolderCreation made = createDiaryFolder(programFolder_, folder);
        if (!made.outcome.ok()) {
            tell(made.outcome);
            return;
        }
        entries_.clear();
    } else if (!QFileInfo(paths::imageFolder(programFolder_, folder)).isDir()) {
        tell(messageText(Msg::ImageFolderMissing));
        imageFolderMissing_ = true;
        return;
    }

    List1->addItems(uploadListEntries(programFolder_, folder));

    const ConnectionSettingsRead connection = readConnectionSettings(programFolder_, folder);
    if (connection.host)
        txtFTP->setText(*connection.host);
    if (connection.user)
        txtID->setText(*connection.user);
    if (connection.password)
        txtPass->setText(*connection.password);
    if (connection.remoteDir)
        txtRoot->setText(*connection.remoteDir);
    if (connection.deleteAfterUpload)
        setCheckValue(chksaku, *connection.deleteAfterUpload);
    if (connection.failed) {
        tell(messageText(Msg::SettingsLoadFailed));
        return;
    }

    const SizeSettingsRead sizes = readSizeSettings(programFolder_, folder);
    if (sizes.imageWidth)
        txtImg[0]->setText(*sizes.imageWidth);
    if (sizes.imageHeight)
        txtImg[1]->setText(*sizes.imageHeight);
    if (sizes.videoWidth)
        txtImg2[0]->setText(*sizes.videoWidth);
    if (sizes.videoHeight)
        txtImg2[1]->setText(*sizes.videoHeight);
    if (sizes.originalSize)
        setCheckValue(chkimg, *sizes.originalSize);
    if (sizes.failed) {
        tell(messageText(Msg::SettingsLoadFailed));
        return;
    }
    // A folder whose file has no [hol] line (or that has no file) is on the classic rules.
    setHolidayRules(sizes.holidays.value_or(HolidayRules::Classic));
}

void frmMain::holidayChoice_Toggled() {
    setHolidayRules(optHolLaw->isChecked() ? HolidayRules::Law : HolidayRules::Classic);
}

void frmMain::setHolidayRules(HolidayRules rules) {
    {
        const QSignalBlocker classic(optHolClassic);
        const QSignalBlocker law(optHolLaw);
        (rules == HolidayRules::Law ? optHolLaw : optHolClassic)->setChecked(true);
    }
    if (rules == holidayRules_)
        return;
    holidayRules_ = rules;
    if (lblHDCalYYYY->text().isEmpty())
        return; // no month drawn yet

    // The displayed month is redrawn, even when other numbers were typed into the month boxes without
    // a month command; the selected day stays selected. Names of the other rules must not linger.
    const QString typedYear = txtCalYYYY->text();
    const QString typedMonth = txtCalMM->text();
    std::array<bool, 43> selected{};
    for (int k = 1; k <= 42; ++k)
        selected[k] = lblCalDt[k]->look().selected;
    txtCalYYYY->setText(lblHDCalYYYY->text());
    txtCalMM->setText(lblHDCalMM->text());
    holidayNames_.fill({});
    DrawCalendar();
    txtCalYYYY->setText(typedYear);
    txtCalMM->setText(typedMonth);
    for (int k = 1; k <= 42; ++k)
        lblCalDt[k]->setSelected(selected[k]);
}

} // namespace tsuzuri
