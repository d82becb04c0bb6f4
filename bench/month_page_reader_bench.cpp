#include "site/month_page_writer.h"
#include "site/month_page_reader.h"

#include "sample_month.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <vector>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

void readPage(benchmark::State& state, const QByteArray& page) {
    for (auto _ : state) {
        MonthPageRead r = parseMonthPage(page, u"200512.html"_s);
        if (r.page.entries.count != 31)
            state.SkipWithError("not 31 entries");
        benchmark::DoNotOptimize(r);
    }
    state.counters["page_bytes"] = static_cast<double>(page.size());
    state.SetBytesProcessed(state.iterations() * page.size());
}

void BM_ReadFullMonthPage(benchmark::State& state) {
    readPage(state, renderMonthPage(sampleMonth(2005, 12, 31)).page.bytes);
}
BENCHMARK(BM_ReadFullMonthPage)->Unit(benchmark::kMicrosecond);

// Every title holds an emoji, so the page holds 31 references to turn back.
void BM_ReadFullMonthPageWithReferences(benchmark::State& state) {
    readPage(state, renderMonthPage(sampleMonth(2005, 12, 31, u" 😀"_s)).page.bytes);
}
BENCHMARK(BM_ReadFullMonthPageWithReferences)->Unit(benchmark::kMicrosecond);

void BM_ReadFullMonthPageFromDisk(benchmark::State& state) {
    QTemporaryDir home;
    QDir(home.path()).mkpath(u"diary"_s);
    if (!MakeMonthHtml(home.path(), u"diary"_s, sampleMonth(2005, 12, 31)).ok())
        state.SkipWithError("write failed");
    for (auto _ : state) {
        MonthPageRead r = readMonthPageFile(home.path(), u"diary"_s, u"2005"_s, u"12"_s);
        benchmark::DoNotOptimize(r);
    }
}
BENCHMARK(BM_ReadFullMonthPageFromDisk)->Unit(benchmark::kMicrosecond);

// A century of diary: 1,200 month pages of 20 entries each (1901-01 to 2000-12).
struct Century {
    std::vector<MonthPageInput> settings; // each month without its entries, links and title
    std::vector<QByteArray> pages;
    Century() {
        for (int y = 1901; y <= 2000; ++y) {
            for (int m = 1; m <= 12; ++m) {
                MonthPageInput in = sampleMonth(y, m, 20);
                pages.push_back(renderMonthPage(in).page.bytes);
                in.entries.clear();
                settings.push_back(std::move(in));
            }
        }
    }
};

void perPageCounters(benchmark::State& state, size_t pages) {
    const double n = static_cast<double>(pages);
    state.counters["pages_per_second"] = benchmark::Counter(n, benchmark::Counter::kIsIterationInvariantRate);
    state.counters["time_per_page"] =
        benchmark::Counter(n, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

// Every page of the century read back and written again in memory, as a rebuild of the whole site
// would.
void BM_RebuildCentury(benchmark::State& state) {
    const Century century;
    for (auto _ : state) {
        for (size_t i = 0; i < century.pages.size(); ++i) {
            const MonthPageRead r = parseMonthPage(century.pages[i], u"page.html"_s);
            MonthPageInput in = century.settings[i];
            in.entries = r.page.entries;
            in.links = r.page.links;
            in.siteTitle = r.page.siteTitle.value_or(QString());
            RenderResult w = renderMonthPage(in);
            if (w.page.bytes != century.pages[i])
                state.SkipWithError("page changed");
            benchmark::DoNotOptimize(w);
        }
    }
    perPageCounters(state, century.pages.size());
}
BENCHMARK(BM_RebuildCentury)->Unit(benchmark::kMillisecond);

// The reading half of the rebuild alone.
void BM_ReadCentury(benchmark::State& state) {
    const Century century;
    for (auto _ : state) {
        for (const QByteArray& page : century.pages) {
            MonthPageRead r = parseMonthPage(page, u"page.html"_s);
            benchmark::DoNotOptimize(r);
        }
    }
    perPageCounters(state, century.pages.size());
}
BENCHMARK(BM_ReadCentury)->Unit(benchmark::kMillisecond);

} // namespace

BENCHMARK_MAIN();
