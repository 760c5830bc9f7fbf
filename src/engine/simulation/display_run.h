#pragma once

#include <span>
#include <string>
#include <vector>

#include "core/period_mode.h"
#include "core/stock_code.h"
#include "simulation/simulation_engine.h"
#include "simulation/simulation_results.h"
#include "simulation/strategy_file.h"

namespace tav {

// The chart's simulation: what the chart shows, and what the last display run
// left for the chart pane and the note pane.
// What a display run was made from. Results whose subject is not the series
// and strategy on display belong to something else and are not shown.
struct DisplaySubject {
    StockCode code = 0;
    PeriodMode period = PeriodMode::Daily;
    int barCount = 0;
    int strategy = 0;  // 1-based; 0: no run
    ChartView view;    // the view the run window was taken from
    friend bool operator==(const DisplaySubject&, const DisplaySubject&) = default;
};

struct StrategyDisplay {
    ChartView view;
    DisplaySubject subject;
    ResultBlock results;
    TradeJournal journal;  // the fills of the last run, for the trade list
    std::vector<std::string> tacticNames;  // of the strategy run, by tactic index
    bool shortOfData = false;  // the chart says "シミュレーションデータ不足"
};

// The display run of a strategy as read from its rule file: runs it over the
// window of the settings and the view, writes the trade slots and publishes
// the result block. Without a strategy (no readable rule file) nothing runs:
// the trade slots are cleared and no result block is available. The inputs
// must read `bars` and hold the folder's capsules.
bool runDisplay(const StrategyReading* reading, std::span<DailyBar> bars,
                const ConditionInputs& inputs, const SimulationSettings& settings,
                int32_t unitShares, int currentYear, StrategyDisplay& display);

}  // namespace tav
