#include "site/site_index.h"

#include "sample_month.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

// A century of diary on disk: 1,200 month pages of 20 entries each (1901-01 to 2000-12).
struct CenturyOnDisk {
    QTemporaryDir home;
    bool ok = QDir(home.path()).mkpath(u"diary"_s);
    CenturyOnDisk() {
        for (int y = 1901; y <= 2000; ++y) {
            for (int m = 1; m <= 12; ++m)
                ok = ok && writeMonthPage(home.path(), u"diary"_s, sampleMonth(y, m, 20)).ok();
        }
    }
};

// index.html and feed.xml rebuilt from the century's pages: read all, render both, replace both. The
// first rebuild of a run reads every page; later ones only the pages changed since (none here).
void rebuild(benchmark::State& state, bool cold) {
    const CenturyOnDisk century;
    if (!century.ok)
        state.SkipWithError("century not written");
    for (auto _ : state) {
        if (cold)
            forgetSitePages();
        if (!writeSiteIndex(century.home.path(), u"diary"_s).ok())
            state.SkipWithError("rebuild failed");
    }
    state.counters["time_per_page"] =
        benchmark::Counter(1200, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
    const QString diary = century.home.path() + u"/diary/"_s;
    state.counters["index_bytes"] = static_cast<double>(QFileInfo(diary + u"index.html"_s).size());
    state.counters["feed_bytes"] = static_cast<double>(QFileInfo(diary + u"feed.xml"_s).size());
}

void BM_SiteIndexCenturyFirstRebuild(benchmark::State& state) {
    rebuild(state, true);
}
BENCHMARK(BM_SiteIndexCenturyFirstRebuild)->Unit(benchmark::kMillisecond);

void BM_SiteIndexCenturyLaterRebuild(benchmark::State& state) {
    rebuild(state, false);
}
BENCHMARK(BM_SiteIndexCenturyLaterRebuild)->Unit(benchmark::kMillisecond);

// The parts of a later rebuild: finding the changed pages, and rendering both files in memory.
void BM_SiteMonthsCenturyLater(benchmark::State& state) {
    const CenturyOnDisk century;
    for (auto _ : state)
        benchmark::DoNotOptimize(readSiteMonths(century.home.path(), u"diary"_s));
}
BENCHMARK(BM_SiteMonthsCenturyLater)->Unit(benchmark::kMillisecond);

void BM_SiteIndexAndFeedRenderCentury(benchmark::State& state) {
    const CenturyOnDisk century;
    const SiteMonths site = readSiteMonths(century.home.path(), u"diary"_s);
    for (auto _ : state) {
        benchmark::DoNotOptimize(renderSiteIndex(site.months));
        benchmark::DoNotOptimize(renderSiteFeed(site.months, u"diary"_s));
    }
}
BENCHMARK(BM_SiteIndexAndFeedRenderCentury)->Unit(benchmark::kMillisecond);

// One page write of a century diary as the window makes it, after a first rebuild: the month page, then
// index and feed.
void BM_PublishMonthPageInCentury(benchmark::State& state) {
    const CenturyOnDisk century;
    const MonthPageInput month = sampleMonth(2000, 12, 31);
    for (auto _ : state) {
        const PublishResult r = publishMonthPage(century.home.path(), u"diary"_s, month);
        if (!r.page.ok() || !r.index.ok())
            state.SkipWithError("publish failed");
    }
}
BENCHMARK(BM_PublishMonthPageInCentury)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
