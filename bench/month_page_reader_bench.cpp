#include "site/month_page_writer.h"
#include "store/month_page_reader.h"

#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <vector>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

// A month page of `entries` entries on days 1.., each with a three-line Japanese body, two images and
// a video. extra is put into every title (say, a character code page 932 lacks).
MonthPageInput month(int year, int month, int entries, const QString& extra = {}) {
    MonthPageInput in;
    in.year = QString::number(year);
    in.month = QString::asprintf("%02d", month);
    in.siteTitle = u"毎日の記録"_s;
    for (int k = 0; k < 12; ++k)
        in.links[k] = {QString::number(k + 1) + u"月の日記"_s, in.year + QString::asprintf("%02d", k + 1)};
    for (int d = 1; d <= entries; ++d) {
        in.entries.rows[d] = DiaryEntry{u"今日の出来事 その"_s + QString::number(d) + extra,
                                        u"朝は晴れていた。\r\n昼から雨が降り、傘を買った。\r\n夜は友人と食事をした。"_s,
                                        in.year + u'年' + in.month + u'月' + QString::asprintf("%02d", d) + u'日',
                                        u"photo%1a.jpg;photo%1b.jpg;movie%1.mp4;"_s.arg(d)};
    }
    in.entries.count = entries;
    in.imageWidth = u"320"_s;
    in.imageHeight = u"240"_s;
    in.videoWidth = u"320"_s;
    in.videoHeight = u"256"_s;
    in.ftpHost = u"example.jp"_s;
    in.remoteDir = u"www/diary"_s;
    return in;
}

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
    readPage(state, renderMonthPage(month(2005, 12, 31)).page.bytes);
}
BENCHMARK(BM_ReadFullMonthPage)->Unit(benchmark::kMicrosecond);

// Every title holds an emoji, so the page holds 31 references to turn back.
void BM_ReadFullMonthPageWithReferences(benchmark::State& state) {
    readPage(state, renderMonthPage(month(2005, 12, 31, u" 😀"_s)).page.bytes);
}
BENCHMARK(BM_ReadFullMonthPageWithReferences)->Unit(benchmark::kMicrosecond);

void BM_ReadFullMonthPageFromDisk(benchmark::State& state) {
    QTemporaryDir home;
    QDir(home.path()).mkpath(u"diary"_s);
    if (!MakeMonthHtml(home.path(), u"diary"_s, month(2005, 12, 31)).ok())
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
                MonthPageInput in = month(y, m, 20);
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
