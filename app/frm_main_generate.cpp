#include "ui/frm_main.h"

#include "calendar/month.h"
#include "diary/messages.h"
#include "site/month_page_writer.h"
#include "site/snippets.h"
#include "ui/plain_text.h"

#include <QCheckBox>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>

using namespace Qt::StringLiterals;

namespace tsuzuri {

void frmMain::connectGenerate() {
    onClick(aaa, &frmMain::aaa_Click);
    // The copy buttons, each with its box.
    const auto copyBox = [this](QPushButton* button, const std::function<QString()>& text) {
        connect(button, &QPushButton::clicked, this, [this, text] { guarded([this, text] { copySnippet(text()); }); });
    };
    copyBox(Command9, [this] { return boxText(Text1); });
    copyBox(Command8, [this] { return boxText(Text2); });
    copyBox(Command7, [this] { return Text4->text(); });
    copyBox(Command5, [this] { return Text3->text(); });
    copyBox(Command10, [this] { return boxText(Text7); });
}

void frmMain::aaa_Click() {
    CreateHtml();
}

frmMain::GenerateResult frmMain::CreateHtml() {
    if (!StoreDayEntry())
        return GenerateResult::Failed;
    if (!isNumeric(txtCalYYYY->text())) {
        tell(messageText(Msg::YearNotNumeric));
        return GenerateResult::NotWritten;
    }
    // A page read only in part would lose the entries that were not read: it is never written over.
    if (unreadPage_) {
        tell(messageText(Msg::MonthNotWritable, {*unreadPage_}));
        return GenerateResult::NotWritten;
    }

    MonthPageInput in;
    in.year = lblHDCalYYYY->text();
    in.month = lblHDCalMM->text();
    in.siteTitle = Text10->text();
    for (int k = 0; k < 12; ++k)
        in.links[k] = {txtLinkTitle[k]->text(), txtLinkPath[k]->text()};
    in.entries = entries_;
    in.imageWidth = txtImg[0]->text();
    in.imageHeight = txtImg[1]->text();
    in.videoWidth = txtImg2[0]->text();
    in.videoHeight = txtImg2[1]->text();
    in.originalSize = chkimg->checkState() == Qt::Checked;
    in.ftpHost = txtFTP->text();
    in.remoteDir = txtRoot->text();
    in.holidays = holidayRules_;

    LinkPairs completed;
    const Outcome written = MakeMonthHtml(programFolder_, txtDiaryDir->text(), in, &completed);
    if (!written.ok()) {
        tell(written);
        return GenerateResult::Failed;
    }
    // The page links "200511" as "200511.html"; the box says so too.
    for (int k = 0; k < 12; ++k) {
        if (txtLinkPath[k]->text() != completed[k].path)
            txtLinkPath[k]->setText(completed[k].path);
    }
    rememberWritten();
    FillCodeSnippets();
    return GenerateResult::Written;
}

void frmMain::FillCodeSnippets() {
    const CodeSnippets s =
        tsuzuri::FillCodeSnippets(programFolder_, txtDiaryDir->text(), lblHDCalYYYY->text(), lblHDCalMM->text());
    Text3->setText(s.script);
    Text4->setText(s.body);
    setBoxText(Text2, s.stylesheet);
    setBoxText(Text1, s.calendar);
    setBoxText(Text7, s.diary);
}

void frmMain::copySnippet(const QString& text) {
    services_.clipboard->setText(text);
}

} // namespace tsuzuri
