// A display run of a three-tactic strategy over a 5,000-bar daily series with
// recomputed slots: ten conditions on each side of every tactic and all four
// stop kinds. Allocations during the runs are counted: there must be none.
#include <benchmark/benchmark.h>

#include <random>
#include <vector>

#include "allocation_counter.h"
#include "analysis/recompute.h"
#include "simulation/simulation_engine.h"
#include "simulation/trade_insight.h"

namespace {

constexpr int kBars = 5000;

std::vector<tav::DailyBar> dailySeries() {
    std::mt19937_64 random(5000);
    std::vector<tav::DailyBar> bars(kBars);
    int64_t level = 2500;
    for (int i = 0; i < kBars; ++i) {
        tav::DailyBar& bar = bars[static_cast<std::size_t>(i)];
        const int year = 2000 + i / 336;
        const int month = 1 + i / 28 % 12;
        const int day = 1 + i % 28;
        const char date[] = {
            static_cast<char>('0' + year / 1000),    static_cast<char>('0' + year / 100 % 10),
            static_cast<char>('0' + year / 10 % 10), static_cast<char>('0' + year % 10),
            static_cast<char>('0' + month / 10),     static_cast<char>('0' + month % 10),
            static_cast<char>('0' + day / 10),       static_cast<char>('0' + day % 10)};
        tav::setBarDate(bar, std::string_view(date, sizeof date));
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

void fill(tav::TacticColumns& columns, std::initializer_list<tav::Condition> rows) {
    for (const tav::Condition& row : rows)
        columns.conditions[static_cast<std::size_t>(columns.count++)] = row;
}

tav::Strategy threeTactics() {
    using tav::Condition;
    tav::Strategy strategy;
    for (int t = 0; t < 3; ++t) {
        tav::Tactic& tactic = strategy.tactics.emplace_back();
        tactic.name = "tactic";
        const int16_t n = static_cast<int16_t>(10 + 5 * t);
        // Buy on any of ten rises, behind one filter; sell on any of ten falls.
        fill(tactic.buy, {
                             {2, 1, 0, 2, 20, 2, 0, 0, 0, 0},   // filter: RSI at least 20
                             {0, 0, 0, 0, 4, 0, n, 0, 0, 0},    // close breaks the n-bar high
                             {1, 0, 0, 2, 0, 0, 0, 0, 0, 0},    // short MA crosses above long
                             {0, 0, 0, 0, 23, 0, 2, 0, 0, 0},   // close crosses Bollinger +2
                             {3, 0, 0, 28, 3, 0, 0, 0, 0, 0},   // three bullish bars
                             {3, 0, 0, 13, 0, 0, 0, 0, 0, 0},   // engulfing
                             {4, 0, 0, 12, 2, 0, 0, 0, 0, 0},   // parabolic turns up
                             {2, 0, 0, 19, 50, 0, 0, 0, 0, 0},  // short RSI crosses the long
                             {0, 0, 0, 5, 1, 4, 25, 50, 0, 0},  // volume surge
                             {4, 0, 0, 8, 0, 0, 0, 0, 0, 0},    // mid MA rising
                         });
        fill(tactic.sell, {
                              {0, 0, 0, 0, 5, 1, n, 0, 0, 0},    // close breaks the n-bar low
                              {1, 0, 0, 2, 0, 1, 0, 0, 0, 0},    // short MA crosses below long
                              {0, 0, 0, 0, 23, 1, -2, 0, 0, 0},  // close crosses Bollinger -2
                              {3, 0, 0, 29, 3, 0, 0, 0, 0, 0},   // three bearish bars
                              {3, 0, 0, 14, 0, 0, 0, 0, 0, 0},   // bearish engulfing
                              {4, 0, 0, 12, 3, 0, 0, 0, 0, 0},   // parabolic turns down
                              {2, 0, 0, 2, 80, 2, 0, 0, 0, 0},   // RSI at least 80
                              {0, 0, 0, 0, 31, 5, 0, 0, 0, 0},   // close under the cloud
                              {2, 0, 0, 7, 0, 7, 0, 0, 0, 0},    // MACD turns down
                              {4, 0, 2, 23, 4, 0, 0, 0, 0, 0},   // stochastics
                          });
        fill(tactic.stop,
             {tav::stopRule(tav::kStopLoss, 0, 8), tav::stopRule(tav::kStopProfit, 2, 15),
              tav::stopRule(tav::kStopTrailing, 0, 10), tav::stopRule(tav::kStopTimeOver, 0, 30)});
    }
    return strategy;
}

// A recomputed daily series with the three-tactic strategy and the settings
// a display run takes (commission by rate, tax on).
struct DisplaySetup {
    std::vector<tav::DailyBar> bars = dailySeries();
    tav::AnalysisSettings settings = tav::AnalysisSettings::from(
        tav::AnalysisParameters::defaults(), tav::PeriodMode::Daily, tav::DisplaySwitches{});
    tav::AnalysisState analysis;
    tav::Strategy strategy = threeTactics();
    tav::SimulationSettings simulation;

    DisplaySetup() {
        tav::recomputeIndicators(bars, settings, analysis);
        simulation.commissionKind = tav::kCommissionRate;
        simulation.taxKind = 1;
    }
    DisplaySetup(const DisplaySetup&) = delete;

    // What the conditions read; it refers to `bars`.
    tav::ConditionInputs inputs() const {
        return {bars, analysis.values.volumeGuide, settings.bollingerPeriod,
                settings.envelopePercent, settings.maBandPercent, {}};
    }
};

void DisplayRun(benchmark::State& state) {
    DisplaySetup setup;
    std::vector<tav::DailyBar>& bars = setup.bars;
    const tav::SimulationSettings& simulation = setup.simulation;
    const tav::ConditionInputs inputs = setup.inputs();
    const tav::SimulationInputs run{setup.strategy, simulation, 100, inputs};
    const tav::RunWindow window = tav::runWindow(bars, simulation, tav::ChartView{}, 2024);
    int trades = 0;
    const long before = tav::bench::allocationCount();
    for (auto _ : state) {
        const tav::RunOutcome outcome =
            tav::runSimulation(bars, run, window, tav::RunKind::Display);
        trades = outcome.result.trades;
        benchmark::DoNotOptimize(outcome);
    }
    state.counters["allocations"] = static_cast<double>(tav::bench::allocationCount() - before);
    state.counters["trades"] = trades;
    state.SetItemsProcessed(state.iterations() * kBars);
}

// The same run recording its fills (journal reserved once, as the display
// keeps it), then the trade list and the equity curve from them: the two
// costs the trade list adds to a run.
void DisplayRunWithJournal(benchmark::State& state) {
    DisplaySetup setup;
    std::vector<tav::DailyBar>& bars = setup.bars;
    const tav::SimulationSettings& simulation = setup.simulation;
    const tav::ConditionInputs inputs = setup.inputs();
    tav::TradeJournal journal;
    journal.fills.reserve(4096);
    const tav::SimulationInputs run{setup.strategy, simulation, 100, inputs, &journal};
    const tav::RunWindow window = tav::runWindow(bars, simulation, tav::ChartView{}, 2024);
    const bool insightOnly = state.range(0) == 1;
    tav::runSimulation(bars, run, window, tav::RunKind::Display);
    tav::TradeInsight insight;
    tav::computeInsight(bars, journal, insight);
    for (auto _ : state) {
        if (!insightOnly) {
            const tav::RunOutcome outcome =
                tav::runSimulation(bars, run, window, tav::RunKind::Display);
            benchmark::DoNotOptimize(outcome);
        }
        tav::computeInsight(bars, journal, insight);
        benchmark::DoNotOptimize(insight.equity.data());
    }
    state.counters["fills"] = static_cast<double>(journal.fills.size());
    state.counters["trips"] = static_cast<double>(insight.trips.size());
    state.counters["points"] = static_cast<double>(insight.equity.size());
}

}  // namespace

BENCHMARK(DisplayRun)->Unit(benchmark::kMillisecond);
// 0: the run with its journal plus the insight; 1: the insight alone.
BENCHMARK(DisplayRunWithJournal)->Arg(0)->Arg(1)->Unit(benchmark::kMicrosecond);
