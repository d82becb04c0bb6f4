#include "ui/search_tab.h"

#include "diary/diary_session.h"
#include "diary/messages.h"
#include "diary/search_controller.h"
#include "ui_search_tab.h"

#include <QAbstractListModel>
#include <QPainter>
#include <QStyledItemDelegate>
#include <QTextDocument>

using namespace Qt::StringLiterals;

namespace tsuzuri {

namespace {

// The text with its matches marked, as HTML: everything typed is escaped, only the marks are markup.
QString marked(const QString& text, const QList<search::TextRange>& matches) {
    QString html;
    qsizetype at = 0;
    for (const search::TextRange& m : matches) {
        if (m.start < at || m.start + m.length > text.size())
            continue;
        html += text.mid(at, m.start - at).toHtmlEscaped();
        html +=
            u"<span style=\"background-color:#ffe58f\">"_s + text.mid(m.start, m.length).toHtmlEscaped() + u"</span>"_s;
        at = m.start + m.length;
    }
    return html + text.mid(at).toHtmlEscaped();
}

// Two lines per hit, drawn from rich text: the date, the folder when several are searched, the title; then
// the stretch of the body.
class HitDelegate final : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    void paint(QPainter* painter, const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QStyleOptionViewItem o = option;
        initStyleOption(&o, index);
        const QString html = o.text;
        o.text.clear();
        o.widget->style()->drawControl(QStyle::CE_ItemViewItem, &o, painter, o.widget);
        QTextDocument doc;
        doc.setDefaultFont(o.font);
        doc.setHtml(html);
        doc.setTextWidth(o.rect.width());
        painter->save();
        painter->translate(o.rect.topLeft());
        doc.drawContents(painter, QRectF(0, 0, o.rect.width(), o.rect.height()));
        painter->restore();
    }

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex&) const override {
        return {option.rect.width(), option.fontMetrics.height() * 2 + 8};
    }
};

} // namespace

// The hits as rows, each made (snippet, highlights) only when it is shown: a search that finds every entry
// of a century costs no more than the rows on screen.
class SearchResultModel final : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    void setResult(const search::SearchResult& result) {
        beginResetModel();
        result_ = result;
        made_.clear();
        endResetModel();
    }
    const search::SearchHit& hit(int row) const {
        auto it = made_.find(row);
        if (it == made_.end())
            it = made_.insert(row, result_.hit(row));
        return *it;
    }
    int rowCount(const QModelIndex& parent = {}) const override {
        return parent.isValid() ? 0 : int(result_.hitCount());
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        const search::SearchHit& h = hit(index.row());
        const QString title = h.title.isEmpty() ? u"（タイトルなし）"_s : marked(h.title, h.titleMatches);
        if (role == Qt::DisplayRole) {
            const QString folder = showFolders_ ? u"［"_s + h.folder.toHtmlEscaped() + u"］ "_s : QString();
            QString second = marked(h.snippet, h.snippetMatches);
            if (!h.mediaMatches.isEmpty())
                second += u"　"_s + marked(h.media, h.mediaMatches);
            return u"<b>"_s + h.date.toHtmlEscaped() + u"</b>　"_s + folder + title + u"<br>"_s + second;
        }
        if (role == Qt::AccessibleTextRole)
            return h.date + u' ' + h.title + u' ' + h.snippet;
        return {};
    }
    bool showFolders_ = false;

private:
    search::SearchResult result_;
    mutable QHash<int, search::SearchHit> made_;
};

SearchTab::SearchTab(QWidget* parent) : QWidget(parent), ui_(std::make_unique<Ui::SearchTab>()) {
    ui_->setupUi(this);
    model_ = new SearchResultModel(this);
    ui_->resultList->setModel(model_);
    ui_->resultList->setItemDelegate(new HitDelegate(ui_->resultList));
}

SearchTab::~SearchTab() = default;

void SearchTab::bind(DiarySession& session) {
    session_ = &session;
    SearchController& search = session.search();
    connect(ui_->queryEdit, &QLineEdit::textChanged, &search, &SearchController::setQuery);
    connect(ui_->allFoldersCheck, &QCheckBox::toggled, &search, [this, &search](bool all) {
        model_->showFolders_ = all;
        search.setAllFolders(all);
    });
    connect(&search, &SearchController::resultsReady, this, &SearchTab::showResult);
    // Enter or a double click on a hit.
    connect(ui_->resultList, &QListView::activated, this, &SearchTab::openCurrent);
}

void SearchTab::focusQuery() {
    ui_->queryEdit->setFocus(Qt::ShortcutFocusReason);
    ui_->queryEdit->selectAll();
}

void SearchTab::showResult(const search::SearchResult& result) {
    model_->setResult(result);
    QString footer = ui_->queryEdit->text().trimmed().isEmpty()
                         ? QString()
                         : u"%1件の日記が見つかりました。"_s.arg(result.hitCount());
    if (!result.incomplete.isEmpty()) {
        QStringList months;
        for (const search::UnreadMonth& m : result.incomplete)
            months << (m.folder + u'/' + m.page);
        footer += u'\n' + messageText(Msg::SearchIncomplete, {months.join(u"、"_s)}).replace(u"\r\n"_s, u"\n"_s);
    }
    ui_->footerLabel->setText(footer);
}

void SearchTab::openCurrent() {
    const QModelIndex current = ui_->resultList->currentIndex();
    if (current.isValid())
        session_->search().open(model_->hit(current.row()));
}

} // namespace tsuzuri
