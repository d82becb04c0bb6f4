// The main window: from nothing to a window on screen (in process and as a whole process), and one
// month command on a full month.
#include "diary/diary_session.h"
#include "site/month_page_writer.h"
#include "ui/main_window.h"

#include <QApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QLineEdit>
#include <QProcess>
#include <QTemporaryDir>

#include "sample_month.h"

#include <benchmark/benchmark.h>

#include <cstdlib>

using namespace Qt::StringLiterals;
using namespace tsuzuri;

namespace {

class NoMessages final : public MessageBoxes {
public:
    int asked = 0;
    Answer ask(const QString&, Buttons) override {
        ++asked;
        return Answer::Ok;
    }
    std::optional<QString> askText(const QString&, const QString&) override { return std::nullopt; }
};
class FixedClock final : public Clock {
public:
    QDate today() const override { return {2005, 11, 5}; }
};
class NoClipboard final : public Clipboard {
public:
    void setText(const QString&) override {}
};

// A program folder as the installed program has it, with a full month page for the given months.
struct ProgramFolder {
    QTemporaryDir dir;
    ProgramFolder(std::initializer_list<std::pair<int, int>> fullMonths) {
        QDir(dir.path()).mkpath(u"diary/image"_s);
        QDir(dir.path()).mkpath(u"ini"_s);
        QFile fdir(dir.path() + u"/ini/fdir.ini"_s);
        if (fdir.open(QIODevice::WriteOnly))
            fdir.write("diary\r\n");
        for (const auto& [year, month] : fullMonths) {
            writeMonthPage(dir.path(), u"diary"_s, sampleMonth(year, month, 31));
        }
    }
};

void BM_WindowConstructStartShow(benchmark::State& state) {
    ProgramFolder home({{2005, 11}});
    NoMessages messages;
    FixedClock clock;
    NoClipboard clipboard;
    for (auto _ : state) {
        MainWindow window(home.dir.path(), {{&messages, &clock, &clipboard}});
        window.start();
        window.show();
        QApplication::processEvents();
        benchmark::DoNotOptimize(window.grab());
    }
    if (messages.asked)
        state.SkipWithError("a message box was shown");
}
BENCHMARK(BM_WindowConstructStartShow)->Unit(benchmark::kMillisecond);

// The whole program: process start, Qt start-up, the window shown, the process gone.
void BM_ProcessStartToWindowShown(benchmark::State& state) {
    ProgramFolder home({});
    const QString program = home.dir.path() + u"/tsuzuri"_s;
    if (!QFile::copy(QString::fromUtf8(TSUZURI_PROGRAM), program)) {
        state.SkipWithError("cannot copy the program");
        return;
    }
    QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
    env.insert(u"TSUZURI_QUIT_WHEN_SHOWN"_s, u"1"_s);
    if (!env.contains(u"QT_QPA_PLATFORM"_s))
        env.insert(u"QT_QPA_PLATFORM"_s, u"offscreen"_s);
    for (auto _ : state) {
        QProcess p;
        p.setProcessEnvironment(env);
        p.start(program, {});
        if (!p.waitForFinished(30000) || p.exitCode() != 0) {
            state.SkipWithError("the program did not show its window and end");
            return;
        }
    }
}
BENCHMARK(BM_ProcessStartToWindowShown)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(20);

// One month command between two full months (December 2005 and January 2006, 31 entries each) in the
// window: write the month being left, read the next one, draw it on the calendar and the tabs.
void BM_MonthCommandOnFullMonth(benchmark::State& state) {
    ProgramFolder home({{2005, 12}, {2006, 1}});
    NoMessages messages;
    FixedClock clock;
    NoClipboard clipboard;
    MainWindow window(home.dir.path(), {{&messages, &clock, &clipboard}});
    window.start();
    DiarySession& session = window.session();
    session.setMonthText(u"12"_s);
    session.showChosenMonth();
    for (auto _ : state) {
        if (session.shownMonth() == u"12"_s)
            session.showNextMonth();
        else
            session.showPreviousMonth();
    }
    if (messages.asked || session.entries().count != 31)
        state.SkipWithError("the months were not read whole");
}
BENCHMARK(BM_MonthCommandOnFullMonth)->Unit(benchmark::kMicrosecond);

} // namespace

int main(int argc, char** argv) {
    if (!qEnvironmentVariableIsSet("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
