#include "ui/calendar_panel.h"

#include "diary/diary_session.h"
#include "ui/day_cell.h"
#include "ui/plain_text.h"
#include "ui_calendar_panel.h"

#include <QKeyEvent>

using namespace Qt::StringLiterals;

namespace tsuzuri {

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
        cell->setFixedSize(32, 28);
        cells_[size_t(k)] = cell;
        ui_->dayGrid->addWidget(cell, 1 + (k - 1) / 7, cellColumn(k));
    }
    // The days by keyboard: arrows move between them, Enter or Space opens one, Page Up and Page Down
    // change the month.
    ui_->calendarFrame->setFocusPolicy(Qt::StrongFocus);
    ui_->calendarFrame->installEventFilter(this);
    // The calendar sets the column's width; the boxes below wrap or stretch within it.
    setFixedWidth(ui_->calendarFrame->sizeHint().width());
}

CalendarPanel::~CalendarPanel() = default;

QList<QWidget*> CalendarPanel::focusChain() const {
    return {ui_->calendarFrame,       ui_->yearEdit,        ui_->monthEdit,    ui_->chosenMonthButton,
            ui_->previousMonthButton, ui_->nextMonthButton, ui_->siteTitleEdit};
}

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

bool CalendarPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched != ui_->calendarFrame || !session_)
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::FocusIn: {
        // The keyboard starts on the chosen day, else today, else the first of the month.
        int chosen = 0, today = 0, first = 0;
        for (int k = 1; k <= 42; ++k) {
            const DayCellLook& look = session_->dayCells()[size_t(k)];
            if (look.caption.isEmpty())
                continue;
            chosen = look.selected ? k : chosen;
            today = look.flat ? k : today;
            first = first ? first : k;
        }
        moveCursor(chosen ? chosen : today ? today : first);
        return false;
    }
    case QEvent::FocusOut:
        moveCursor(0);
        return false;
    case QEvent::KeyPress:
        return handleKey(static_cast<QKeyEvent*>(event)->key());
    default:
        return false;
    }
}

bool CalendarPanel::handleKey(int key) {
    const auto hasDay = [this](int k) {
        return k >= 1 && k <= 42 && !session_->dayCells()[size_t(k)].caption.isEmpty();
    };
    switch (key) {
    case Qt::Key_Left:
    case Qt::Key_Right:
    case Qt::Key_Up:
    case Qt::Key_Down: {
        const int step = key == Qt::Key_Left ? -1 : key == Qt::Key_Right ? 1 : key == Qt::Key_Up ? -7 : 7;
        if (hasDay(cursor_ + step))
            moveCursor(cursor_ + step);
        return true;
    }
    case Qt::Key_Return:
    case Qt::Key_Enter:
    case Qt::Key_Space:
        if (hasDay(cursor_))
            session_->chooseDay(cursor_);
        return true;
    case Qt::Key_PageUp:
    case Qt::Key_PageDown: {
        const QString day = hasDay(cursor_) ? session_->dayCells()[size_t(cursor_)].caption : QString();
        if (key == Qt::Key_PageUp)
            session_->showPreviousMonth();
        else
            session_->showNextMonth();
        // The month command puts the focus on the title; the keyboard user stays on the calendar, on the
        // same day where the new month has it.
        ui_->calendarFrame->setFocus(Qt::OtherFocusReason);
        for (int k = 1; k <= 42; ++k) {
            if (!day.isEmpty() && session_->dayCells()[size_t(k)].caption == day)
                moveCursor(k);
        }
        return true;
    }
    default:
        return false;
    }
}

void CalendarPanel::moveCursor(int cell) {
    cursor_ = cell;
    for (int k = 1; k <= 42; ++k)
        cells_[size_t(k)]->setKeyboardCursor(k == cursor_);
    ui_->calendarFrame->setAccessibleDescription(cell > 0 ? cells_[size_t(cell)]->accessibleName() : QString());
}

void CalendarPanel::showSiteTitle() {
    ui_->siteTitleEdit->setReadOnly(session_->isReadOnly());
    setTextIfOther(ui_->siteTitleEdit, session_->siteTitle());
}

} // namespace tsuzuri
