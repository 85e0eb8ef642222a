#include "GlobalConsole.h"

#include <QString>
#include <benchmark/benchmark.h>

// How many running-average updates per second a detector thread can make; with several
// threads the figure shows what contention on the console costs.
static void BM_CountAverage(benchmark::State& state)
{
    const QString name = QStringLiteral("frame time %1").arg(state.thread_index());
    double value = 0;
    for (auto _ : state) {
        value += 0.5;
        benchmark::DoNotOptimize(GlobalConsole::countAverage(name, value, 100));
    }
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CountAverage)->Threads(1)->Threads(4)->UseRealTime();

static void BM_CountAverageSharedName(benchmark::State& state)
{
    const QString name = QStringLiteral("frame time");
    for (auto _ : state)
        benchmark::DoNotOptimize(GlobalConsole::countAverage(name, 1.0, 100));
    state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_CountAverageSharedName)->Threads(1)->Threads(4)->UseRealTime();

BENCHMARK_MAIN();
