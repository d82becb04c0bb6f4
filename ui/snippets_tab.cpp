#include "ui/snippets_tab.h"

#include "diary/diary_session.h"
#include "ui/plain_text.h"
#include "ui_snippets_tab.h"

namespace tsuzuri {

SnippetsTab::SnippetsTab(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::SnippetsTab>()) {
    ui_->setupUi(this);
}

SnippetsTab::~SnippetsTab() = default;

void SnippetsTab::bind(DiarySession& session) {
    session_ = &session;
    const std::pair<QPushButton*, Snippet> buttons[] = {
        {ui_->calendarCodeCopyButton, Snippet::Calendar},
        {ui_->stylesheetCopyButton, Snippet::Stylesheet},
        {ui_->bodyAttributeCopyButton, Snippet::BodyAttribute},
        {ui_->scriptCopyButton, Snippet::Script},
        {ui_->diaryCodeCopyButton, Snippet::Diary},
    };
    for (const auto& [button, which] : buttons)
        connect(button, &QPushButton::clicked, &session, [&session, which = which] { session.copySnippet(which); });
    connect(&session, &DiarySession::snippetsChanged, this, &SnippetsTab::showSnippets);
    showSnippets();
}

void SnippetsTab::showSnippets() {
    const CodeSnippets& s = session_->snippets();
    setBoxText(ui_->calendarCodeEdit, s.calendar);
    setBoxText(ui_->stylesheetEdit, s.stylesheet);
    ui_->bodyAttributeEdit->setText(s.body);
    ui_->scriptEdit->setText(s.script);
    setBoxText(ui_->diaryCodeEdit, s.diary);
}

} // namespace tsuzuri
