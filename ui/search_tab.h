#pragma once

#include "search/diary_search.h"

#include <QWidget>

#include <memory>

namespace Ui {
class SearchTab;
}

namespace tsuzuri {

class DiarySession;
class SearchResultModel;

// Full-text search of the diary: the terms, this folder or every folder, the entries found newest first
// with the matches highlighted, and the months that could not be read whole. Enter or a double click
// shows the entry.
class SearchTab final : public QWidget {
    Q_OBJECT
public:
    explicit SearchTab(QWidget* parent = nullptr);
    ~SearchTab() override;

    void bind(DiarySession& session);
    void focusQuery();

private:
    void showResult(const search::SearchResult& result);
    void openCurrent();

    std::unique_ptr<Ui::SearchTab> ui_;
    SearchResultModel* model_ = nullptr;
    DiarySession* session_ = nullptr;
};

} // namespace tsuzuri
