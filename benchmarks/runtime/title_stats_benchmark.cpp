// Cost of the title line, rebuilt every frame.
#include <benchmark/benchmark.h>

#include "runtime/number_format.h"
#include "runtime/title_stats.h"

static void formatNumber(benchmark::State& state) {
    double v = 12.3456789;
    for (auto _ : state) {
        benchmark::DoNotOptimize(formatSixDigits(v));
        v += 0.0137;
    }
}
BENCHMARK(formatNumber);

static void buildTitle(benchmark::State& state) {
    double t = 0.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(titleText(buildTitleBuffer(-8.8, 7.2, t, 60.0, t * 0.5)));
        t += 1.0 / 60.0;
    }
}
BENCHMARK(buildTitle);

BENCHMARK_MAIN();
