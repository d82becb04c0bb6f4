#include "calendar/holidays.h"
#include "calendar/law_holidays.h"

#include <benchmark/benchmark.h>

using namespace tsuzuri;

// One month as the grid and the page writer ask for it; the year is recomputed every time.
static void BM_LawHolidayNames(benchmark::State& state) {
    int year = 1948;
    int month = 1;
    for (auto _ : state) {
        benchmark::DoNotOptimize(lawHolidayNames(year, month));
        if (++month > 12) {
            month = 1;
            year = year == 2999 ? 1948 : year + 1;
        }
    }
}
BENCHMARK(BM_LawHolidayNames);

static void BM_MonthHolidaysLaw(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(monthHolidays(HolidayRules::Law, 2026, 5));
}
BENCHMARK(BM_MonthHolidaysLaw);

static void BM_MonthHolidaysClassic(benchmark::State& state) {
    for (auto _ : state)
        benchmark::DoNotOptimize(monthHolidays(HolidayRules::Classic, 2026, 5));
}
BENCHMARK(BM_MonthHolidaysClassic);

BENCHMARK_MAIN();
