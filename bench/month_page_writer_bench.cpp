#include "site/month_page_writer.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

// A full month: 31 entries, each with a three-line Japanese body, two images and a video.
MonthPageInput fullMonth() {
    MonthPageInput in;
    in.year = u"2005"_s;
    in.month = u"12"_s;
    in.siteTitle = u"毎日の記録"_s;
    for (int k = 0; k < 12; ++k)
        in.links[k] = {QString::number(k + 1) + u"月の日記"_s, u"2005"_s + QString::asprintf("%02d", k + 1)};
    for (int d = 1; d <= 31; ++d) {
        in.entries.rows[d] = DiaryEntry{u"今日の出来事 その"_s + QString::number(d),
                                        u"朝は晴れていた。\r\n昼から雨が降り、傘を買った。\r\n夜は友人と食事をした。"_s,
                                        QString::asprintf("2005年12月%02d日", d),
                                        u"photo%1a.jpg;photo%1b.jpg;movie%1.mp4;"_s.arg(d)};
    }
    in.entries.count = 31;
    in.imageWidth = u"320"_s;
    in.imageHeight = u"240"_s;
    in.videoWidth = u"320"_s;
    in.videoHeight = u"256"_s;
    in.ftpHost = u"example.jp"_s;
    in.remoteDir = u"www/diary"_s;
    return in;
}

void BM_RenderFullMonthInMemory(benchmark::State& state) {
    const MonthPageInput in = fullMonth();
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
    const MonthPageInput in = fullMonth();
    QTemporaryDir home;
    QDir(home.path()).mkpath(u"diary"_s);
    for (auto _ : state) {
        const Outcome o = MakeMonthHtml(home.path(), u"diary"_s, in);
        if (!o.ok())
            state.SkipWithError("write failed");
    }
}
BENCHMARK(BM_WriteFullMonthToDisk)->Unit(benchmark::kMicrosecond);

} // namespace

BENCHMARK_MAIN();
