// Choosing both builds of a design from E192 with pairs: the candidates of
// each resistor, found by binary search in the table, and every combination
// of them analysed.

#include "design/choose.h"

#include <benchmark/benchmark.h>

#include <string>

namespace {

void choose(benchmark::State& state, padcalc::Network network, double zone, double ztwo,
            double loss) {
    padcalc::Design d = padcalc::design(network, zone, ztwo, loss);
    std::string why;
    for (auto _ : state)
        benchmark::DoNotOptimize(padcalc::choose_builds(d, padcalc::Series::e192, true, why));
}

void candidates(benchmark::State& state) {
    const std::vector<double>& values = padcalc::preferred_values(padcalc::Series::e192);
    for (auto _ : state)
        benchmark::DoNotOptimize(padcalc::candidates(values, 141.926, true));
}

} // namespace

BENCHMARK_CAPTURE(choose, tee_50_75_10dB, padcalc::network("tee"), 50, 75, 10)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK_CAPTURE(choose, bridged_tee_50_10dB, padcalc::network("bridged-tee"), 50, 50, 10)
    ->Unit(benchmark::kMicrosecond);
BENCHMARK(candidates)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
