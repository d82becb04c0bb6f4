#include "site/month_page_writer.h"

#include "sample_month.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

void BM_RenderFullMonthInMemory(benchmark::State& state) {
    const MonthPageInput in = sampleMonth(2005, 12, 31);
    qsizetype bytes = 0;
    for (auto _ : state) {
        RenderResult r = renderMonthPage(in);
        bytes = r.page.bytes.size();
        benchmark::DoNotOptimize(r);
    }
    state.counters["page_bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_RenderFullMonthInMemory)->Unit(benchmark::kMicrosecond);

void BM_WriteFullMonthToDisk(benchmark::State& state) {
    const MonthPageInput in = sampleMonth(2005, 12, 31);
    QTemporaryDir home;
    QDir(home.path()).mkpath(u"diary"_s);
    for (auto _ : state) {
        const Outcome o = writeMonthPage(home.path(), u"diary"_s, in);
        if (!o.ok())
            state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_WriteFullMonthToDisk)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
