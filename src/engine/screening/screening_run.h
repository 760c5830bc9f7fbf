#pragma once

#include <optional>
#include <string>
#include <vector>

#include "conditions/condition.h"
#include "core/ordered_parallel.h"
#include "screening/market_scan.h"
#include "screening/screening_settings.h"
#include "simulation/simulation_settings.h"
#include "simulation/strategy_file.h"

namespace tav {

// A screening run ready to go: the settings, the input and the rules it
// tests, read beforehand on the thread that owns the workspace.
struct ScreeningJob {
    ScreeningSettings settings;
    MarketScan scan;
    std::optional<StrategyReading> strategy;  // search item 1
    ConditionCapsule capsule;                 // search item 2
    SimulationSettings simulation;
    int currentYear = 0;
};

struct ScreeningOutcome {
    std::vector<std::string> selected;  // watchlist lines ("CODE NAME"), in input order
    ScanCounts counts;
};

// Whether the built-in search `item` (3 ... 30) selects the security on its
// last bar, with value v. The series must be recomputed.
bool searchItemHolds(int item, int32_t v, const LoadedSecurity& security);

// Runs the screening on the job's threads. Pure: reads files, writes none,
// touches no workspace. The result is identical for any number of threads.
// Nothing when cancelled through `control`.
std::optional<ScreeningOutcome> runScreening(const ScreeningJob& job, RunControl& control);

}  // namespace tav
