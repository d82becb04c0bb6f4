#include "ui/frm_main.h"

#include "calendar/month.h"
#include "ui/day_cell.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tsuzuri {

void frmMain::connectCalendar() {
    onClick(btnShiteigetu, &frmMain::btnShiteigetu_Click);
    onClick(btnZengetu, &frmMain::btnZengetu_Click);
    onClick(btnJigetu, &frmMain::btnJigetu_Click);
}

void frmMain::DrawCalendar() {
    CalendarInput in;
    in.year = parseWholeNumber(txtCalYYYY->text()).value_or(0);
    in.month = parseWholeNumber(txtCalMM->text()).value_or(0);
    in.yearText = txtCalYYYY->text();
    in.today = services_.clock->today();
    in.entries = &entries_;
    in.rules = holidayRules_;
    const CalendarGrid grid = drawCalendar(in);
    // The holiday name table is only ever emptied by ClearMonthData; a drawing adds its names.
    for (int k = 1; k <= 42; ++k) {
        if (!grid.names[k].isEmpty())
            holidayNames_[k] = grid.names[k];
        lblCalDt[k]->setLook(grid.cells[k]);
    }
    showHolidayNames();
}

void frmMain::showHolidayNames() {
    for (int k = 1; k <= 42; ++k)
        lblCalDt[k]->setToolTip(holidayNames_[k]);
}

void frmMain::btnShiteigetu_Click() {
    monthCommand(MonthStep::Chosen);
}
void frmMain::btnZengetu_Click() {
    monthCommand(MonthStep::Previous);
}
void frmMain::btnJigetu_Click() {
    monthCommand(MonthStep::Next);
}

void frmMain::monthCommand(MonthStep step) {
    // The month being left is written first. When its entries could not be saved (a full table, a
    // failed write), the month stays on screen with them rather than being emptied.
    if (CreateHtml() == GenerateResult::Failed) {
        Text5->setFocus();
        return;
    }
    const std::optional<int> year = parseWholeNumber(txtCalYYYY->text());
    if (!year || *year < 1900 || *year > 2999) {
        ShowMessage(u"e5"_s);
        Text5->setFocus();
        return;
    }
    const std::optional<int> month = parseWholeNumber(txtCalMM->text());
    if (!month || *month < 1 || *month > 12) {
        ShowMessage(u"e4"_s);
        Text5->setFocus();
        return;
    }
    ClearMonthData();

    int y = *year;
    int m = *month;
    if (step == MonthStep::Previous) {
        if (m == 1) {
            --y;
            m = 12;
        } else {
            --m;
        }
    } else if (step == MonthStep::Next) {
        if (m == 12) {
            ++y;
            m = 1;
        } else {
            ++m;
        }
    }
    const QString yearText = QString::asprintf("%02d", y);
    const QString monthText = QString::asprintf("%02d", m);
    txtCalYYYY->setText(yearText);
    lblHDCalYYYY->setText(yearText);
    txtCalMM->setText(monthText);
    lblHDCalMM->setText(monthText);

    const DateTexts today = todayTexts();
    if (lblHDCalMM->text() == today.month)
        ReadMonthPage(today.year, today.month, today.day);
    else
        ReadMonthPage(txtCalYYYY->text(), lblHDCalMM->text(), u"01"_s);
    DrawCalendar();
    Text5->setFocus();
}

} // namespace tsuzuri
