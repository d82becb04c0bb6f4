#include "site/month_page_writer.h"
#include "site/month_page_reader.h"
#include "site/snippets.h"
#include "store/textfile.h"

#include "sample_month.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <optional>
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
    if (!writeMonthPage(home.path(), u"diary"_s, sampleMonth(2005, 12, 31)).ok())
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

// Peak memory of one call, above what the process held before it: Linux resets the high-water mark of
// the resident set when "5" is written to /proc/self/clear_refs.
class PeakMemory {
public:
    PeakMemory() : m_ok(reset()), m_before(statusKiB("VmRSS:")) {}
    // Nothing when the high-water mark cannot be reset here.
    std::optional<double> bytes() const {
        if (!m_ok)
            return std::nullopt;
        return 1024.0 * static_cast<double>(statusKiB("VmHWM:") - m_before);
    }

private:
    static bool reset() {
        QFile f(u"/proc/self/clear_refs"_s);
        return f.open(QIODevice::WriteOnly) && f.write("5") == 1;
    }
    static qint64 statusKiB(const char* key) {
        QFile f(u"/proc/self/status"_s);
        if (!f.open(QIODevice::ReadOnly))
            return 0;
        for (const QByteArray& line : f.readAll().split('\n')) {
            if (line.startsWith(key))
                return line.mid(qstrlen(key)).trimmed().split(' ').first().toLongLong();
        }
        return 0;
    }
    bool m_ok;
    qint64 m_before;
};

// A damaged page whose one body holds 50 MB of bare CRs: 50 million empty lines. Reading it must cost
// a small multiple of the page, not a list of every line.
struct BareCrPage {
    QTemporaryDir home;
    qint64 size = 0;
    BareCrPage() {
        MonthPageInput in = sampleMonth(2005, 12, 1);
        in.entries.rows[1].body = u"BODY"_s;
        QByteArray page = renderMonthPage(in).page.bytes;
        page.replace("BODY", QByteArray(50 << 20, '\r'));
        size = page.size();
        QDir(home.path()).mkpath(u"diary"_s);
        textfile::writeFileAtomically(home.path() + u"/diary/200512.html"_s, page);
    }
};

template <typename Read>
void peakOnBareCrPage(benchmark::State& state, Read&& read) {
    const BareCrPage page;
    double peak = 0;
    for (auto _ : state) {
        const PeakMemory memory;
        read(page.home.path());
        if (const std::optional<double> bytes = memory.bytes())
            peak = std::max(peak, *bytes);
        else
            state.SkipWithError("cannot measure peak memory here");
    }
    state.counters["page_MB"] = static_cast<double>(page.size) / (1 << 20);
    state.counters["peak_MB"] = peak / (1 << 20);
    state.counters["peak_per_page_byte"] = peak / static_cast<double>(page.size);
}

void BM_ReadBareCrBodyPeakMemory(benchmark::State& state) {
    peakOnBareCrPage(state, [](const QString& home) {
        MonthPageRead r = readMonthPageFile(home, u"diary"_s, u"2005"_s, u"12"_s);
        benchmark::DoNotOptimize(r);
    });
}
BENCHMARK(BM_ReadBareCrBodyPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_SnippetsOfBareCrBodyPeakMemory(benchmark::State& state) {
    peakOnBareCrPage(state, [](const QString& home) {
        SnippetsRead r = readCodeSnippets(home, u"diary"_s, u"2005"_s, u"12"_s);
        benchmark::DoNotOptimize(r);
    });
}
BENCHMARK(BM_SnippetsOfBareCrBodyPeakMemory)->Unit(benchmark::kMillisecond)->Iterations(3);

} // namespace

BENCHMARK_MAIN();
