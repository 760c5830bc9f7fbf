#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "conditions/condition_bits.h"
#include "conditions/condition_evaluator.h"
#include "core/daily_bar.h"
#include "simulation/simulation_settings.h"
#include "simulation/strategy.h"
#include "simulation/trade_journal.h"

namespace tav {

// Trade marks written into DailyBar::tradeMark.
enum TradeMark : uint8_t {
    kMarkNone = 0,
    kMarkLongEntry = 1,
    kMarkShortEntry = 2,
    kMarkLongExit = 3,
    kMarkShortExit = 4,
    kMarkLongStop = 5,
    kMarkShortStop = 6,
    kMarkLongDayTradeExit = 11,
    kMarkShortDayTradeExit = 12,
};

enum class RunKind { Display, Signal, Statistics };

// Signal run results.
inline constexpr int kNoSignal = 0;
inline constexpr int kEntrySignal = 1;
inline constexpr int kExitSignal = 2;

// What the chart shows, as the run window needs it.
struct ChartView {
    int lastShown = -1;    // index of the rightmost bar shown; -1: the newest bar
    int barsOnScreen = 0;  // 0: all bars
    int selectedEnd = -1;  // the chart's selected end bar; -1: none
    friend bool operator==(const ChartView&, const ChartView&) = default;
};

// The run visits bars start ... end - 1.
struct RunWindow {
    int start = 3;
    int end = 0;
    bool shortOfData = false;  // no bar before a target date
};

// The window for the period kind of the settings. currentYear dates the
// start-year choice. end is never below start.
RunWindow runWindow(std::span<const DailyBar> bars, const SimulationSettings& settings,
                    const ChartView& view, int currentYear);

// The statistics of a run and the state it ended in; money in yen.
struct SimulationResult {
    int64_t capital = 0;
    int64_t equity = 0;  // realised cash, not reduced by the open position's cost
    int32_t bars = 0;    // end - start
    int32_t trades = 0;
    int32_t wins = 0;
    int64_t grossProfit = 0;
    int64_t grossLoss = 0;  // <= 0
    int64_t averageWin = 0;
    int64_t averageLoss = 0;
    int64_t averageProfit = 0;
    int64_t maxProfit = 0;
    int64_t maxLoss = 0;
    float profitFactor = 0;
    int32_t position = 0;  // 0 flat, 1 long, 2 short
    int32_t entryPrice = 0;
    int64_t units = 0;
    int32_t openPerShare = 0;
    int64_t openProfit = 0;
    int64_t totalProfit = 0;  // realised, before commission and tax
    int64_t totalCommission = 0;
    int64_t tax = 0;

    friend bool operator==(const SimulationResult&, const SimulationResult&) = default;
};

// The tax, profit factor and averages from the trade counts and sums.
void finishStatistics(SimulationResult& result, const SimulationSettings& settings);

// The truth of a strategy's buy and sell rows and split capsule, worked out
// before its runs where they read no position (see ConditionBits), so that the
// many variants of a sweep over one series share it. Row i of the buy (c = 0)
// or sell (c = 1) column of tactic m reads
// rows[(2 m + c) kMaxColumnConditions + i]; a null entry is evaluated.
struct PrecomputedRows {
    int start = 0;  // the bars covered: start ... end - 1
    int end = 0;
    std::vector<const uint64_t*> rows;
    const uint64_t* split = nullptr;
    // A column none of whose rows is evaluated, by 2 m + c, is combined ahead:
    // three runs of `words` words, the bars where its filter rows all hold,
    // where one of its trigger rows holds and where its normal rows decide
    // for it; null for the others. triggers: whether it has trigger rows.
    std::vector<const uint64_t*> columns;
    std::vector<uint8_t> triggers;
    std::size_t words = 0;

    // Points the strategy's rows at their words in `bits`, which works out the
    // rows it does not hold yet with `inputs`; the words last until bits resets.
    void bind(const Strategy& strategy, const ConditionInputs& inputs, ConditionBits& bits);

  private:
    std::vector<uint64_t> combined_;  // the words `columns` points into
};

// What a run needs besides the bars. `conditions` must read the same bars the
// run writes its trade slots into.
struct SimulationInputs {
    const Strategy& strategy;
    const SimulationSettings& settings;
    int32_t unitShares = 1;  // 0 counts as 1
    const ConditionInputs& conditions;
    TradeJournal* journal = nullptr;  // when set, receives every fill of the run
    // When set (bound to this strategy and these conditions) and covering the
    // window, the rows it holds are read from it instead of evaluated: the
    // same outcome, faster.
    const PrecomputedRows* precomputed = nullptr;
};

struct RunOutcome {
    int signal = kNoSignal;  // signal runs: 1 entry, 2 exit on the window's last bar
    SimulationResult result;
};

// Runs the strategy over bars start ... end - 1 of the window, writing the
// trade slots of every bar (cleared first). exitSignals: a signal run also
// reports exits. Allocates nothing.
RunOutcome runSimulation(std::span<DailyBar> bars, const SimulationInputs& inputs,
                         const RunWindow& window, RunKind kind, bool exitSignals = false);

}  // namespace tav
