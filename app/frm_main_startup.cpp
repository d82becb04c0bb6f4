#include "ui/frm_main.h"

#include "settings/diary_folder.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace tsuzuri {

// The start state: today's month on the calendar and today's entry in the editor.
void frmMain::Form_Load() {
    chkimg->setChecked(false);
    chksaku->setChecked(false);

    const DateTexts today = todayTexts();
    txtCalYYYY->setText(today.year);
    lblHDCalYYYY->setText(today.year);
    txtCalMM->setText(today.month);
    lblHDCalMM->setText(today.month);
    lbldiarydate->setText(dateLine(today.year, today.month, today.day));

    ReadMonthPage(today.year, today.month, today.day);
    DrawCalendar();

    loadedFolderName_ = txtDiaryDir->text();
    lblNowDiaryDir->setText(folderCaption(txtDiaryDir->text()));
}

} // namespace tsuzuri
