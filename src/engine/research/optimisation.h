#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "core/ordered_parallel.h"
#include "research/overfitting.h"
#include "research/research_run.h"
#include "research/walk_forward.h"

// A whole optimisation as the optimize command and the Python module run it:
// the points, their measures and ranking, and the statistics that judge the
// best of them.
namespace tav {

// Grids above this are refused for an exhaustive search: evolve them.
inline constexpr int64_t kMaxExhaustiveGrid = 1000000;

struct WalkForwardRequest {
    int inMonths = 0;
    int outMonths = 0;
    bool anchored = false;
};

struct OptimisationRequest {
    Objective objective = Objective::NetProfit;
    int minTrades = 0;
    // Every point of the grid, or an evolutionary search of `budget` points.
    bool evolve = false;
    int budget = 200;
    uint64_t seed = 1;  // the search's and the Monte Carlo's
    std::optional<WalkForwardRequest> walkForward;
    int pboBlocks = 0;       // 0: no probability of overfitting
    int monteCarloRuns = 0;  // 0: no Monte Carlo of the best point's trades
};

struct OptimisationReport {
    ResearchData data;
    std::vector<Metrics> metrics;  // per point, over every day
    std::vector<int> order;        // points by score, best first
    int best = -1;
    bool bestQualifies = false;  // the best has at least minTrades trades
    std::optional<WalkForward> walkForward;
    std::optional<OverfittingOdds> pbo;
    bool pboImpossible = false;  // asked for, but the days cannot be cut into the blocks
    std::optional<DeflatedSharpe> deflated;
    std::optional<TradeMonteCarlo> monteCarlo;

    int days() const { return static_cast<int>(data.dates.size()); }
};

// Runs the points and judges them. The deflated Sharpe ratio needs a
// qualifying best among several points, the Monte Carlo a qualifying best.
// Nothing when cancelled.
std::optional<OptimisationReport> runOptimisation(const ResearchJob& job,
                                                  const OptimisationRequest& request,
                                                  RunControl& control);

// Keeps only the first line of `code` in the scan; false when it has none.
bool restrictScanToCode(MarketScan& scan, StockCode code);

}  // namespace tav
