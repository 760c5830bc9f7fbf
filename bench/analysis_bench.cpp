// The recompute pass over a 5,000-bar daily series with the default
// parameters: the production pass beside its plain (re-summing) reference.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <vector>

#include "allocation_counter.h"
#include "analysis/recompute.h"
#include "support/reference/reference_pass.h"

namespace {

constexpr int kBars = 5000;

std::vector<tav::DailyBar> dailySeries() {
    std::mt19937_64 random(5000);
    std::vector<tav::DailyBar> bars(kBars);
    int64_t level = 2500;
    for (int i = 0; i < kBars; ++i) {
        tav::DailyBar& bar = bars[i];
        std::snprintf(bar.date, sizeof bar.date, "%d", 20000101 + i);
        level =
            std::max<int64_t>(100, level + std::uniform_int_distribution<int64_t>(-60, 60)(random));
        const int64_t spread = std::uniform_int_distribution<int64_t>(0, 40)(random);
        bar.open = static_cast<int32_t>(level + spread / 2);
        bar.close = static_cast<int32_t>(level);
        bar.high = static_cast<int32_t>(level + spread);
        bar.low = static_cast<int32_t>(level - spread);
        bar.volume = std::uniform_int_distribution<int64_t>(100'000, 20'000'000)(random);
    }
    return bars;
}

template <auto Pass>
void recompute(benchmark::State& state) {
    std::vector<tav::DailyBar> bars = dailySeries();
    const tav::AnalysisSettings settings = tav::AnalysisSettings::from(
        tav::AnalysisParameters::defaults(), tav::PeriodMode::Daily, tav::DisplaySwitches{});
    tav::AnalysisState analysis;
    long passAllocations = 0;
    for (auto _ : state) {
        const long before = tav::bench::allocationCount();
        Pass(bars, settings, analysis);
        passAllocations += tav::bench::allocationCount() - before;
        benchmark::DoNotOptimize(bars.data());
        benchmark::ClobberMemory();
    }
    state.SetItemsProcessed(state.iterations() * kBars);
    state.counters["allocations"] = static_cast<double>(passAllocations);
}

void ProductionPass(benchmark::State& state) {
    recompute<tav::recomputeIndicators>(state);
}
void PlainPass(benchmark::State& state) {
    recompute<tav::recomputeIndicatorsPlain>(state);
}

}  // namespace

BENCHMARK(ProductionPass)->Unit(benchmark::kMicrosecond);
BENCHMARK(PlainPass)->Unit(benchmark::kMicrosecond);
