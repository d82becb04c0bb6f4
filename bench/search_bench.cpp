#include "search/diary_search.h"
#include "site/month_page_writer.h"

#include "sample_month.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <memory>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

// A century of diary on disk: 1,200 month pages of 20 entries (1901-01 to 2000-12), written by the
// real writer. A few entries mention 京都 and 紅葉, rarer than any sample sentence.
struct Century {
    QTemporaryDir home;
    Century() {
        QDir(home.path()).mkpath(u"diary"_s);
        quint32 seed = 1;
        for (int y = 1901; y <= 2000; ++y) {
            for (int m = 1; m <= 12; ++m) {
                MonthPageInput in;
                in.year = QString::number(y);
                in.month = QString::asprintf("%02d", m);
                in.siteTitle = u"毎日の記録"_s;
                for (int d = 1; d <= 20; ++d) {
                    QString text = sampleBody(seed);
                    if ((y * 12 + m + d) % 97 == 0)
                        text += u"\r\n京都で紅葉を見た。"_s;
                    in.entries.rows[d] =
                        DiaryEntry{u"今日の出来事 その"_s + QString::number(d), text,
                                   in.year + u'年' + in.month + u'月' + QString::asprintf("%02d", d) + u'日',
                                   u"photo%1.jpg;"_s.arg(d)};
                }
                in.entries.count = 20;
                in.imageWidth = u"320"_s;
                in.imageHeight = u"240"_s;
                if (!writeMonthPage(home.path(), u"diary"_s, in).ok())
                    std::abort();
            }
        }
    }
    search::SearchScope scope() const { return {home.path(), u"diary"_s}; }
};

const Century& century() {
    static const Century c;
    return c;
}

// What a window shows at once: the first rows of the list, each with its snippet and highlights.
void showFirstRows(const search::SearchResult& r) {
    for (qsizetype i = 0; i < std::min<qsizetype>(r.hitCount(), 50); ++i) {
        search::SearchHit hit = r.hit(i);
        benchmark::DoNotOptimize(hit);
    }
}

// A fresh index every time: every page read, decoded, parsed and folded (pages in the file cache).
void BM_FirstSearch(benchmark::State& state) {
    const Century& c = century();
    qsizetype hits = 0;
    for (auto _ : state) {
        search::SearchIndex index;
        const search::SearchResult r = search::searchDiary(index, c.scope(), u"京都 紅葉"_s);
        showFirstRows(r);
        if (r.pagesRead != 1200 || r.hitCount() == 0)
            state.SkipWithError("not every page read");
        hits = r.hitCount();
    }
    state.counters["hits"] = double(hits);
}
BENCHMARK(BM_FirstSearch)->Unit(benchmark::kMillisecond)->Iterations(5);

// The index kept: only the pages' sizes and times are looked at again.
void laterSearch(benchmark::State& state, const QString& typed, bool everyHit = false) {
    const Century& c = century();
    search::SearchIndex index;
    const qsizetype expected = search::searchDiary(index, c.scope(), typed).hitCount();
    for (auto _ : state) {
        const search::SearchResult r = search::searchDiary(index, c.scope(), typed);
        if (everyHit)
            benchmark::DoNotOptimize(r.hits());
        else
            showFirstRows(r);
        if (r.pagesRead != 0 || r.hitCount() != expected)
            state.SkipWithError("pages read again");
    }
    state.counters["hits"] = double(expected);
}
void BM_LaterSearchRareTerms(benchmark::State& state) {
    laterSearch(state, u"京都 紅葉"_s);
}
BENCHMARK(BM_LaterSearchRareTerms)->Unit(benchmark::kMillisecond);

void BM_LaterSearchKanaAndWidth(benchmark::State& state) {
    laterSearch(state, u"ぼーと pc"_s);
}
BENCHMARK(BM_LaterSearchKanaAndWidth)->Unit(benchmark::kMillisecond);

// A term nearly every entry holds, as the first letter typed gives.
void BM_LaterSearchCommonTerm(benchmark::State& state) {
    laterSearch(state, u"電話"_s);
}
BENCHMARK(BM_LaterSearchCommonTerm)->Unit(benchmark::kMillisecond);

// … with every hit's snippet made, as the command line prints them.
void BM_LaterSearchCommonTermEveryHit(benchmark::State& state) {
    laterSearch(state, u"電話"_s, true);
}
BENCHMARK(BM_LaterSearchCommonTermEveryHit)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
