#include "diary/search_controller.h"

#include "diary/diary_session.h"

namespace tsuzuri {

namespace {

// Typing a word takes a few keystrokes: the search waits for a pause this long.
constexpr int kDebounceMs = 250;

} // namespace

SearchController::SearchController(DiarySession& session) : s_(session) {
    debounce_.setSingleShot(true);
    debounce_.setInterval(kDebounceMs);
    connect(&debounce_, &QTimer::timeout, this, &SearchController::runNow);
}

SearchController::~SearchController() {
    stopWorker();
}

void SearchController::setQuery(const QString& text) {
    query_ = text;
    debounce_.start();
}

void SearchController::setAllFolders(bool all) {
    allFolders_ = all;
    debounce_.start();
}

void SearchController::refresh() {
    if (!query_.trimmed().isEmpty())
        debounce_.start();
}

void SearchController::stopWorker() {
    stop_.request_stop();
    if (worker_.joinable())
        worker_.join(); // a stopped search ends between pages: soon
}

void SearchController::runNow() {
    stopWorker();
    stop_ = std::stop_source();
    const quint64 generation = ++generation_;
    const search::SearchScope scope{s_.programFolder(),
                                    allFolders_ ? std::nullopt : std::optional<QString>(s_.loadedFolder())};
    worker_ = std::thread([this, index = index_, scope, query = query_, stop = stop_.get_token(), generation] {
        const search::SearchResult result = search::searchDiary(*index, scope, query, stop);
        // Back on the session's thread; a search overtaken meanwhile is not shown.
        QMetaObject::invokeMethod(
            this,
            [this, result, generation] {
                if (generation == generation_ && !result.cancelled)
                    emit resultsReady(result);
            },
            Qt::QueuedConnection);
    });
}

void SearchController::open(const search::SearchHit& hit) {
    s_.showEntry(hit.folder, hit.year, hit.month, hit.date);
}

} // namespace tsuzuri
