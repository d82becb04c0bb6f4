#include "cli/cli.h"
#include "settings/settings_files.h"
#include "site/month_page_writer.h"

#include "sample_month.h"

#include <QBuffer>
#include <QDir>
#include <QTemporaryDir>

#include <benchmark/benchmark.h>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

// A century of diary (1,200 months of 20 entries, 1901-01 to 2000-12) on disk, and export --all of it.
// In QDir::tempPath() (TMPDIR): where compilers create and delete files all day, creating files is slow.
struct Century {
    QTemporaryDir home;
    QByteArray jsonLines;
    bool ok = QDir(home.path()).mkpath(u"diary"_s) && writeSizeSettings(home.path(), u"diary"_s, defaultSizes()).ok();
    Century() {
        for (int y = 1901; y <= 2000; ++y) {
            for (int m = 1; m <= 12; ++m)
                ok = ok && writeMonthPage(home.path(), u"diary"_s, sampleMonth(y, m, 20)).ok();
        }
        ok = ok && run({u"export"_s, u"--all"_s}, jsonLines) == 0;
    }
    // out gets what the command prints. Through a device, as on standard output: export --all writes
    // its bytes straight to it.
    int run(const QStringList& args, QByteArray& out, QString in = {}) const {
        QString err;
        QBuffer buffer(&out);
        buffer.open(QIODevice::WriteOnly);
        QTextStream o(&buffer), e(&err), i(&in);
        cli::Context ctx{o, e, i, home.path(), false};
        const int rc = cli::runCli(args, ctx);
        o.flush();
        return rc;
    }
};

const Century& century() {
    static const Century c;
    return c;
}

void BM_ExportAllCentury(benchmark::State& state) {
    const Century& c = century();
    qsizetype bytes = 0;
    for (auto _ : state) {
        QByteArray out;
        if (c.run({u"export"_s, u"--all"_s}, out) != 0)
            state.SkipWithError("export failed");
        bytes = out.size();
    }
    state.counters["json_MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_ExportAllCentury)->Unit(benchmark::kMillisecond)->Iterations(5)->MeasureProcessCPUTime();

// Both commands work on every core: the CPU column is the whole process's.
// `import -` of the century's JSON Lines: into a new diary folder, or over the same pages again (each
// page on disk read and checked first).
void importCentury(benchmark::State& state, bool over) {
    const Century& c = century();
    if (!c.ok)
        state.SkipWithError("century not written");
    int n = 0;
    for (auto _ : state) {
        QString folder = u"diary"_s;
        if (!over) {
            state.PauseTiming();
            folder = u"new"_s + QString::number(n++);
            QDir(c.home.path()).mkpath(folder);
            writeSizeSettings(c.home.path(), folder, defaultSizes());
            state.ResumeTiming();
        }
        QByteArray out;
        if (c.run({u"import"_s, u"--folder"_s, folder, u"-"_s}, out, QString::fromUtf8(c.jsonLines)) != 0)
            state.SkipWithError("import failed");
    }
    state.counters["time_per_month"] =
        benchmark::Counter(1200, benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_ImportCenturyIntoNewFolder(benchmark::State& state) {
    importCentury(state, false);
}
BENCHMARK(BM_ImportCenturyIntoNewFolder)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

void BM_ImportCenturyOverItsPages(benchmark::State& state) {
    importCentury(state, true);
}
BENCHMARK(BM_ImportCenturyOverItsPages)
    ->Unit(benchmark::kMillisecond)
    ->Iterations(3)
    ->UseRealTime()
    ->MeasureProcessCPUTime();

} // namespace

BENCHMARK_MAIN();
