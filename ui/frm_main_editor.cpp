#include "ui/frm_main.h"

#include "calendar/month.h"
#include "diary/messages.h"
#include "site/month_page_reader.h"
#include "store/paths.h"
#include "ui/day_cell.h"
#include "ui/plain_text.h"

#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

// "3" -> "03"; a text that is no number stays as it is.
QString twoDigits(const QString& text) {
    const std::optional<int> n = parseWholeNumber(text);
    return n ? QString::asprintf("%02d", *n) : text;
}

} // namespace

void frmMain::connectEditor() {
    for (int k = 1; k <= 42; ++k)
        connect(lblCalDt[k], &DayCell::clicked, this, [this, k] { guarded([this, k] { lblCalDt_Click(k); }); });
    onClick(Command1, &frmMain::Command1_Click);
    for (QWidget* box : {static_cast<QWidget*>(Text5), static_cast<QWidget*>(Text6), static_cast<QWidget*>(Text8)})
        box->installEventFilter(this);
}

void frmMain::ClearMonthData() {
    entries_.clear();
    holidayNames_.fill({});
    showHolidayNames();
    for (int k = 0; k < 12; ++k) {
        txtLinkTitle[k]->clear();
        txtLinkPath[k]->clear();
    }
}

void frmMain::ReadMonthPage(const QString& year, const QString& month, const QString& day) {
    ClearMonthData();
    unreadPage_.reset();
    const QString shownYear = lblHDCalYYYY->text();
    const QString shownMonth = lblHDCalMM->text();
    const DateTexts today = todayTexts();
    // Only the month numbers are compared: the same month of another year also defaults to today's day.
    lbldiarydate->setText(dateLine(shownYear, shownMonth, today.month != shownMonth ? u"01"_s : today.day));
    Text5->clear();
    setEditorBody({});
    Text8->clear();

    const MonthPageRead read = readMonthPageFile(programFolder_, txtDiaryDir->text(), shownYear, shownMonth);
    if (!read.exists) {
        rememberWritten();
        return;
    }
    // What was read is shown even from a page that could not be read to its end; such a month is
    // then never written over (CreateHtml), so the entries that were not read stay on disk.
    entries_ = read.page.entries;
    for (int k = 0; k < 12; ++k) {
        txtLinkPath[k]->setText(read.page.links[k].path);
        txtLinkTitle[k]->setText(read.page.links[k].title);
    }
    if (read.page.siteTitle)
        Text10->setText(*read.page.siteTitle);
    // The requested day is looked up in the month on screen. Asked with today's year for the same month
    // of another year, the lookup would miss that year's entry while the date label names it, and the
    // blank editor would then be stored over the entry.
    Q_UNUSED(year);
    if (const DiaryEntry* row = entries_.lastMatch(dateLine(shownYear, month, day))) {
        Text5->setText(row->title);
        setEditorBody(row->body);
        Text8->setText(row->media);
        lbldiarydate->setText(row->date);
    }
    rememberWritten();
    if (!read.outcome.ok()) {
        unreadPage_ = read.outcome.args.value(0, paths::monthPageName(shownYear, shownMonth));
        tell(read.outcome);
    }
}

bool frmMain::StoreDayEntry() {
    const DiaryEntry entry{Text5->text(), editorBody(), lbldiarydate->text(), Text8->text()};
    const Outcome stored = entries_.store(entry);
    // A blank editor has nothing to lose: a full table simply does not take it (the page would leave
    // the blank row out anyway).
    if (stored.ok() || !entry.hasContent())
        return true;
    tell(stored);
    return false;
}

void frmMain::LoadDayEntry(const QString& year, const QString& month, const QString& day) {
    const EditorEntry e = loadDayEntry(entries_, dateLine(year, month, day));
    Text5->setText(e.title);
    setEditorBody(e.body);
    Text8->setText(e.media);
    lbldiarydate->setText(e.dateLabel);
}

void frmMain::lblCalDt_Click(int index) {
    // A refused store keeps the editor and its date as they are, so nothing typed is dropped.
    if (!StoreDayEntry())
        return;
    for (int k = 1; k <= 42; ++k)
        lblCalDt[k]->setSelected(k == index);
    const QString caption = lblCalDt[index]->text();
    if (caption.isEmpty())
        return;
    LoadDayEntry(lblHDCalYYYY->text(), twoDigits(lblHDCalMM->text()), twoDigits(caption));
    Text5->setFocus();
}

void frmMain::Command1_Click() {
    Text6->clear();
}

void frmMain::Text_GotFocus() {
    if (!lbldiarydate->text().isEmpty())
        return;
    // Focus moves first: the box would otherwise get it back when the message closes and ask again.
    aaa->setFocus();
    tell(messageText(Msg::NoDaySelected));
}

void frmMain::ShowMessage(const QString& code) {
    tell(codedMessageText(code));
}

QString frmMain::editorBody() const {
    return boxText(Text6);
}

void frmMain::setEditorBody(const QString& body) {
    setBoxText(Text6, body);
}

} // namespace tsuzuri
