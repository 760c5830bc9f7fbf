#pragma once

#include <cstdint>
#include <optional>
#include <string_view>
#include <vector>

#include "core/ordered_parallel.h"
#include "research/parameter_space.h"
#include "research/work_sharing.h"
#include "screening/market_scan.h"
#include "screening/multi_run.h"
#include "simulation/simulation_settings.h"
#include "simulation/strategy.h"

namespace tav {

// A sweep over the securities of a scan: the strategy, its settings and the
// parameters to vary.
struct ResearchJob {
    MarketScan scan;  // the securities and the worker count
    Strategy strategy;
    SimulationSettings simulation;
    int currentYear = 0;
    std::vector<ParameterSweep> sweeps;
    // The rows that read no position are worked out once per security and
    // analysis group and shared by the points; false evaluates them in every
    // run, the plain way (same results, slower).
    bool precomputeRows = true;
};

// The sweep of a prepared multi-security run: its securities, strategy and
// settings, with the parameters to vary.
ResearchJob researchJobOf(const MultiRunJob& prepared, std::vector<ParameterSweep> sweeps = {});

// A closed trade of a point: the day (index into the date axis) it closed on
// and its result after commission.
struct ClosedTrade {
    int32_t day = 0;
    int64_t net = 0;
};

// The trades of a point closed on one day of the date axis, summed.
struct DayResult {
    int64_t net = 0;
    int64_t grossProfit = 0;
    int64_t grossLoss = 0;  // >= 0
    int32_t trades = 0;
    int32_t wins = 0;
    friend bool operator==(const DayResult&, const DayResult&) = default;
};

// What one point did over every security of the scope.
struct PointRun {
    ParameterPoint point;
    // Summed over the securities as a multi-security run sums them: profit
    // after commission and tax, open positions included.
    int64_t netProfit = 0;
    // The closed trades of all securities per day of the date axis.
    std::vector<DayResult> days;
    // The trades one by one, by closing day (securities in scan order within
    // a day); only when asked for, as a thousand points over the market hold
    // a hundred million of them.
    std::vector<ClosedTrade> trades;
};

struct ResearchData {
    std::vector<int32_t> dates;  // YYYYMMDD of every bar any run visited, ascending
    std::vector<PointRun> points;
    ScanCounts counts;
    int64_t capital = 0;  // the capital of one security's run times the securities run
};

// Runs every point over the scope, in parallel on the scan's workers. Each
// security is loaded once per worker and its indicators recomputed once per
// combination of analysis parameters; points that differ only in rule values
// reuse them. The outcome is the same for any number of threads. Nothing when
// cancelled.
// Points run in batches, so that memory stays bounded however many there are.
// With `sharing`, this process runs every size()-th work item of a batch from
// its rank() on and the processes exchange their outcomes after each batch:
// every process returns the same data, the same as one process alone. They
// all call it alike; when any of them is cancelled, all return nothing.
std::optional<ResearchData> runPoints(const ResearchJob& job,
                                      const std::vector<ParameterPoint>& points,
                                      RunControl& control, bool keepTrades = false,
                                      WorkSharing* sharing = nullptr);

enum class Objective : uint8_t {
    NetProfit,
    ProfitFactor,
    WinRate,
    Expectancy,
    MaxDrawdown,  // minimised
    RecoveryFactor,
    Sharpe,
    Sortino,
};
std::optional<Objective> parseObjective(std::string_view name);
std::string_view objectiveName(Objective objective);

// The measures of a point over the days first ... last - 1 of the date axis,
// from the trades closed on those days.
struct Metrics {
    int trades = 0;
    int wins = 0;
    int64_t net = 0;
    double profitFactor = 0;  // gross profit over gross loss; 0 without losses
    double winRate = 0;       // percent
    double expectancy = 0;    // yen per trade
    int64_t maxDrawdown = 0;  // yen, of the cumulative result
    double recoveryFactor = 0;
    double sharpe = 0;  // annualised, of the daily returns on the capital
    double sortino = 0;
    double annualReturn = 0;  // percent of the capital per year
};
Metrics measure(const PointRun& run, int first, int last, int64_t capital);

// Higher is better for every objective: the drawdown is negated.
double score(const Metrics& metrics, Objective objective);

// The order of points by score, best first, those with fewer than minTrades
// trades after all others; ties keep the point order.
std::vector<int> rankPoints(const std::vector<Metrics>& metrics, Objective objective,
                            int minTrades);

// An evolutionary search: a seeded population bred by tournament, uniform
// crossover and mutation, until `budget` distinct points have run (or the
// grid is exhausted). The same seed gives the same points in the same order.
struct EvolveSettings {
    int budget = 200;
    uint64_t seed = 1;
    int population = 20;
};
// Each generation runs as runPoints does, shared when `sharing` is given;
// progress counts points run out of the budget.
std::optional<ResearchData> evolve(const ResearchJob& job, const EvolveSettings& settings,
                                   Objective objective, int minTrades, RunControl& control,
                                   WorkSharing* sharing = nullptr);

}  // namespace tav
