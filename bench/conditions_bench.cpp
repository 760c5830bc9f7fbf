// A 20-row capsule evaluated on every bar of a 5,000-bar daily series with
// recomputed slots, as a simulation run does. The rows mix cheap slot tests
// with the ones that scan windows (n-bar extremes, Bollinger levels, volume
// averages, candle runs). Allocations during the run are counted: there
// must be none.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <vector>

#include "allocation_counter.h"
#include "analysis/recompute.h"
#include "conditions/condition_evaluator.h"

namespace {

constexpr int kBars = 5000;

std::vector<tav::DailyBar> dailySeries() {
    std::mt19937_64 random(5000);
    std::vector<tav::DailyBar> bars(kBars);
    int64_t level = 2500;
    for (int i = 0; i < kBars; ++i) {
        tav::DailyBar& bar = bars[static_cast<std::size_t>(i)];
        std::snprintf(bar.date, sizeof bar.date, "%04d%02d%02d", 2000 + i / 336, 1 + i / 28 % 12,
                      1 + i % 28);
        level =
            std::max<int64_t>(100, level + std::uniform_int_distribution<int64_t>(-60, 60)(random));
        const int64_t spread = std::uniform_int_distribution<int64_t>(0, 40)(random);
        bar.open = static_cast<int32_t>(level + spread / 2 - 10);
        bar.close = static_cast<int32_t>(level);
        bar.high = static_cast<int32_t>(level + spread);
        bar.low = static_cast<int32_t>(level - spread);
        bar.volume = std::uniform_int_distribution<int64_t>(100'000, 20'000'000)(random);
    }
    return bars;
}

tav::ConditionCapsule twentyRows() {
    using tav::Condition;
    tav::ConditionCapsule capsule;
    capsule.logic = tav::kLogicAnd;
    const Condition rows[] = {
        {0, 0, 0, 0, 4, 0, 20, 0, 0, 0},   // close breaks the 20-bar high
        {0, 0, 0, 2, 5, 4, 10, -1, 2, 0},  // low above the 10-bar low
        {0, 0, 0, 0, 23, 3, 2, 0, 0, 0},   // close at or below Bollinger +2
        {0, 0, 0, 0, 24, 2, -1, 0, 0, 0},  // close at or above envelope -1
        {0, 0, 0, 5, 1, 4, 25, 10, 0, 0},  // volume above the 25-bar average +10 %
        {0, 0, 1, 0, 31, 4, 0, 0, 0, 0},   // yesterday above the cloud
        {0, 0, 0, 1, 12, 5, 0, 0, 1, 0},   // high below the pivot HBOP
        {1, 0, 0, 2, 0, 4, 0, 0, 0, 0},    // short MA above long MA
        {1, 0, 0, 4, 0, 5, 5, 0, 0, 0},    // Bollinger inside a 5 % frame
        {1, 0, 0, 10, 0, 2, 15, 0, 0, 0},  // range against the widest of 15 bars
        {1, 0, 0, 8, 3, 1, 0, 0, 0, 0},    // not a Wednesday
        {2, 0, 0, 2, 30, 2, 0, 0, 0, 0},   // RSI at least 30
        {2, 0, 0, 19, 50, 1, 0, 0, 0, 0},  // short RSI crosses the long one
        {2, 0, 0, 7, 0, 7, 0, 0, 0, 0},    // MACD turns down
        {3, 0, 0, 28, 3, 0, 0, 0, 0, 0},   // three bullish bars
        {3, 0, 0, 10, 2, 0, 0, 0, 0, 0},   // doji
        {3, 0, 0, 13, 0, 0, 0, 0, 0, 0},   // engulfing
        {4, 0, 0, 8, 0, 0, 0, 0, 0, 0},    // mid MA rising
        {4, 0, 0, 12, 2, 0, 0, 0, 0, 0},   // parabolic turns up
        {4, 0, 2, 23, 4, 0, 0, 0, 0, 0},   // stochastics not falling
    };
    for (const Condition& row : rows)
        capsule.rows[static_cast<std::size_t>(capsule.rowCount++)] = row;
    return capsule;
}

void CapsuleOnEveryBar(benchmark::State& state) {
    std::vector<tav::DailyBar> bars = dailySeries();
    const tav::AnalysisSettings settings = tav::AnalysisSettings::from(
        tav::AnalysisParameters::defaults(), tav::PeriodMode::Daily, tav::DisplaySwitches{});
    tav::AnalysisState analysis;
    tav::recomputeIndicators(bars, settings, analysis);
    const tav::ConditionCapsule capsule = twentyRows();
    tav::ConditionInputs inputs{bars,
                                analysis.values.volumeGuide,
                                settings.bollingerPeriod,
                                settings.envelopePercent,
                                settings.maBandPercent,
                                {}};
    tav::EvaluationContext context;
    long holding = 0;
    const long before = tav::bench::allocationCount();
    for (auto _ : state) {
        for (int bar = 0; bar < kBars; ++bar) {
            context.evaluationBar = bar;
            holding += tav::evaluateCapsule(inputs, context, capsule);
        }
        benchmark::DoNotOptimize(holding);
    }
    state.counters["allocations"] = static_cast<double>(tav::bench::allocationCount() - before);
    state.SetItemsProcessed(state.iterations() * kBars);
}

}  // namespace

BENCHMARK(CapsuleOnEveryBar)->Unit(benchmark::kMicrosecond);
