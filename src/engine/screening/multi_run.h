#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "core/ordered_parallel.h"
#include "screening/market_scan.h"
#include "screening/screening_settings.h"
#include "simulation/simulation_results.h"
#include "simulation/simulation_settings.h"
#include "simulation/strategy_file.h"

namespace tav {

// A multi-security back-test ready to go.
struct MultiRunJob {
    MultiRunSettings settings;
    MarketScan scan;
    StrategyReading strategy;
    std::string strategyName;  // its line of "Trade.inf", for the result dialog
    SimulationSettings simulation;
    int currentYear = 0;
};

struct MultiRunOutcome {
    std::vector<ResultRow> rows;  // ranked, numbered 1 ... N
    ScanCounts counts;            // selected: securities back-tested
};

// Win rate of a ranking entry: wins × 100 / trades, 0 without trades.
int winRate(const ResultRow& row);

// Sorts by profit or win rate, highest first; equal keys keep their order.
// Keeps the first `length` and numbers them from 1.
void rankRows(std::vector<ResultRow>& rows, int kind, int length);

// Back-tests the strategy over every security that passes the filters, on the
// job's threads; the ranking is identical for any number of threads. Nothing
// when cancelled.
std::optional<MultiRunOutcome> runMultiSimulation(const MultiRunJob& job, RunControl& control);

// The watchlist lines of a ranking: "CODE NAME" per entry.
std::vector<std::string> rankingLines(std::span<const ResultRow> rows);

}  // namespace tav
