#include "ui/links_tab.h"

#include "diary/diary_session.h"
#include "ui/plain_text.h"
#include "ui_links_tab.h"

#include <QLineEdit>

using namespace Qt::StringLiterals;

namespace tsuzuri {

LinksTab::LinksTab(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::LinksTab>()) {
    ui_->setupUi(this);
    for (int k = 0; k < 12; ++k) {
        const QString number = QString::number(k + 1);
        auto* label = new QLabel(number, this);
        paths_[size_t(k)] = new QLineEdit(this);
        titles_[size_t(k)] = new QLineEdit(this);
        paths_[size_t(k)]->setObjectName(u"linkPathEdit"_s + number);
        titles_[size_t(k)]->setObjectName(u"linkTitleEdit"_s + number);
        paths_[size_t(k)]->setAccessibleName(u"リンク"_s + number + u"のファイル名"_s);
        titles_[size_t(k)]->setAccessibleName(u"リンク"_s + number + u"の日本語名"_s);
        label->setBuddy(paths_[size_t(k)]);
        ui_->grid->addWidget(label, k + 1, 0, Qt::AlignRight);
        ui_->grid->addWidget(paths_[size_t(k)], k + 1, 1);
        ui_->grid->addWidget(titles_[size_t(k)], k + 1, 2);
    }
    ui_->grid->setRowStretch(13, 1);
}

LinksTab::~LinksTab() = default;

void LinksTab::bind(DiarySession& session) {
    session_ = &session;
    for (int k = 0; k < 12; ++k) {
        const auto edited = [this, k] {
            session_->setLink(k, {titles_[size_t(k)]->text(), paths_[size_t(k)]->text()});
        };
        connect(paths_[size_t(k)], &QLineEdit::textEdited, this, edited);
        connect(titles_[size_t(k)], &QLineEdit::textEdited, this, edited);
    }
    connect(&session, &DiarySession::pageChanged, this, &LinksTab::showLinks);
    showLinks();
}

void LinksTab::showLinks() {
    for (size_t k = 0; k < 12; ++k) {
        paths_[k]->setReadOnly(session_->isReadOnly());
        titles_[k]->setReadOnly(session_->isReadOnly());
        const LinkPair& link = session_->links()[k];
        setTextIfOther(paths_[k], link.path);
        setTextIfOther(titles_[k], link.title);
    }
}

} // namespace tsuzuri
