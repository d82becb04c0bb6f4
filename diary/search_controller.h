#pragma once

#include "search/diary_search.h"

#include <QObject>
#include <QString>
#include <QTimer>

#include <memory>
#include <stop_token>
#include <thread>

namespace tsuzuri {

class DiarySession;

// The window's full-text search, for the session: what is typed is searched a moment after the last
// keystroke, on a worker thread, so the window never waits; a newer search stops the one before it. The
// pages read are kept between searches, so only pages written since are read again.
class SearchController final : public QObject {
    Q_OBJECT
public:
    explicit SearchController(DiarySession& session);
    ~SearchController() override;

    void setQuery(const QString& text);
    // Every diary folder of the program folder, or only the one shown.
    void setAllFolders(bool all);
    // Searches again now (after a page was written): the pages changed on disk are read again.
    void refresh();
    // Shows the hit's month and day, as a month command would; edits not yet written are asked about first.
    void open(const search::SearchHit& hit);

signals:
    void resultsReady(const tsuzuri::search::SearchResult& result);

private:
    void runNow();
    void stopWorker();

    DiarySession& s_;
    std::shared_ptr<search::SearchIndex> index_ = std::make_shared<search::SearchIndex>();
    QString query_;
    bool allFolders_ = false;
    QTimer debounce_;
    std::stop_source stop_;
    std::thread worker_;
    quint64 generation_ = 0; // results of a search that was overtaken are dropped
};

} // namespace tsuzuri
