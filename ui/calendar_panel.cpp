#include "ui/calendar_panel.h"

#include "diary/diary_session.h"
#include "ui/day_cell.h"
#include "ui_calendar_panel.h"

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

void setTextIfOther(QLineEdit* box, const QString& text) {
    if (box->text() != text)
        box->setText(text);
}

} // namespace

CalendarPanel::CalendarPanel(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::CalendarPanel>()) {
    ui_->setupUi(this);
    const QString heads[7] = {u"日"_s, u"月"_s, u"火"_s, u"水"_s, u"木"_s, u"金"_s, u"土"_s};
    for (int c = 0; c < 7; ++c) {
        auto* head = new QLabel(heads[c], ui_->calendarFrame);
        head->setObjectName(u"weekdayHeading"_s + QString::number(c + 1));
        head->setAlignment(Qt::AlignCenter);
        if (c == 0 || c == 6) {
            QPalette pal = head->palette();
            pal.setColor(QPalette::WindowText, c == 0 ? QColor(0xFF, 0x00, 0x00) : QColor(0x00, 0x00, 0xFF));
            head->setPalette(pal);
        }
        ui_->dayGrid->addWidget(head, 0, c);
    }
    for (int k = 1; k <= 42; ++k) {
        auto* cell = new DayCell(ui_->calendarFrame);
        cell->setObjectName(u"dayCell"_s + QString::number(k));
        cell->setFixedSize(34, 28);
        cells_[size_t(k)] = cell;
        ui_->dayGrid->addWidget(cell, 1 + (k - 1) / 7, cellColumn(k));
    }
    // The calendar sets the column's width; the boxes below wrap or stretch within it.
    setFixedWidth(ui_->calendarFrame->sizeHint().width() + 8);
}

CalendarPanel::~CalendarPanel() = default;

void CalendarPanel::bind(DiarySession& session) {
    session_ = &session;
    for (int k = 1; k <= 42; ++k)
        connect(cells_[size_t(k)], &DayCell::clicked, &session, [&session, k] { session.chooseDay(k); });
    connect(ui_->yearEdit, &QLineEdit::textEdited, &session, &DiarySession::setYearText);
    connect(ui_->monthEdit, &QLineEdit::textEdited, &session, &DiarySession::setMonthText);
    connect(ui_->siteTitleEdit, &QLineEdit::textEdited, &session, &DiarySession::setSiteTitle);
    connect(ui_->chosenMonthButton, &QPushButton::clicked, &session, &DiarySession::showChosenMonth);
    connect(ui_->previousMonthButton, &QPushButton::clicked, &session, &DiarySession::showPreviousMonth);
    connect(ui_->nextMonthButton, &QPushButton::clicked, &session, &DiarySession::showNextMonth);
    connect(&session, &DiarySession::calendarChanged, this, &CalendarPanel::showMonth);
    connect(&session, &DiarySession::pageChanged, this, &CalendarPanel::showSiteTitle);
    showMonth();
    showSiteTitle();
}

void CalendarPanel::showMonth() {
    setTextIfOther(ui_->yearEdit, session_->yearText());
    setTextIfOther(ui_->monthEdit, session_->monthText());
    for (int k = 1; k <= 42; ++k) {
        DayCell* cell = cells_[size_t(k)];
        const DayCellLook& look = session_->dayCells()[size_t(k)];
        cell->setLook(look);
        cell->setToolTip(session_->holidayNames()[size_t(k)]);
        cell->setAccessibleName(look.caption.isEmpty() ? QString() : look.caption + u"日"_s);
    }
}

void CalendarPanel::showSiteTitle() {
    setTextIfOther(ui_->siteTitleEdit, session_->siteTitle());
}

} // namespace tsuzuri
