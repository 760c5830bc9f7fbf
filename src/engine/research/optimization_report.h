#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "research/overfitting.h"
#include "research/research_run.h"
#include "research/walk_forward.h"

namespace tav {

inline constexpr int kPboBlocksByDays = -1;

// Grids above this are refused for an exhaustive search: evolve them.
inline constexpr int64_t kMaxExhaustiveGrid = 1000000;

// How an optimisation runs and what it measures besides the points.
struct OptimizationOptions {
    Objective objective = Objective::NetProfit;
    int minTrades = 0;
    // Every point of the grid, or an evolutionary search of `evolution.budget` points.
    bool evolve = false;
    EvolveSettings evolution;
    struct WalkForwardPlan {
        int inMonths = 0;
        int outMonths = 0;
        bool anchored = false;
    };
    std::optional<WalkForwardPlan> walkForward;
    // Blocks of the cross-validation for PBO (even, 2 to 24); 0 skips it;
    // kPboBlocksByDays leaves them to pboBlocksFor the days the run covered.
    int pboBlocks = 0;
    // Reshuffled runs of the best point's trades; 0 skips them.
    int monteCarloRuns = 0;
    uint64_t monteCarloSeed = 1;
};

// The whole outcome of an optimisation: every point and its measures over the
// whole date axis, their order by the objective, and the checks of the best.
struct OptimizationReport {
    ResearchData data;
    std::vector<Metrics> metrics;  // one per point of data.points
    std::vector<int> order;        // rankPoints: best first
    int best = -1;                 // point index, -1 without points
    bool bestQualifies = false;    // the best has at least minTrades trades
    std::optional<WalkForward> walkForward;
    // Asked for but impossible (too few days or combinations): nothing here
    // and pboRefused set.
    std::optional<OverfittingOdds> pbo;
    bool pboRefused = false;
    // With a qualifying best among more than one point.
    std::optional<DeflatedSharpe> deflated;
    std::optional<TradeMonteCarlo> monteCarlo;

    int days() const { return static_cast<int>(data.dates.size()); }
};

// Runs the points (the whole grid, or the evolutionary search), ranks them
// and computes what `options` asks for. Nothing when cancelled. With
// `sharing`, every process of it runs its share and all end with the same
// report.
std::optional<OptimizationReport> runOptimization(const ResearchJob& job,
                                                  const OptimizationOptions& options,
                                                  RunControl& control,
                                                  WorkSharing* sharing = nullptr);

// The number of blocks PBO cuts `days` into: the most, up to 16 and even,
// that leave every block at least 20 days; 0 when not even two do.
int pboBlocksFor(int days);

// Keeps only the first line of `code` in the scan; false when it has none.
bool restrictScanToCode(MarketScan& scan, StockCode code);

}  // namespace tav
