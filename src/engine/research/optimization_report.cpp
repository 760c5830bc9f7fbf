#include "research/optimization_report.h"

#include <algorithm>

namespace tav {

std::optional<OptimizationReport> runOptimization(const ResearchJob& job,
                                                  const OptimizationOptions& options,
                                                  RunControl& control, WorkSharing* sharing) {
    std::optional<ResearchData> data;
    if (options.evolve) {
        data =
            evolve(job, options.evolution, options.objective, options.minTrades, control, sharing);
    } else {
        const int64_t size = gridSize(job.sweeps);
        std::vector<ParameterPoint> points;
        points.reserve(static_cast<std::size_t>(size));
        for (int64_t i = 0; i < size; ++i)
            points.push_back(gridPoint(job.sweeps, i));
        data = runPoints(job, points, control, false, sharing);
    }
    if (!data) return std::nullopt;

    OptimizationReport report;
    report.data = std::move(*data);
    const ResearchData& run = report.data;
    const int days = report.days();
    for (const PointRun& point : run.points)
        report.metrics.push_back(measure(point, 0, days, run.capital));
    report.order = rankPoints(report.metrics, options.objective, options.minTrades);
    report.best = report.order.empty() ? -1 : report.order.front();
    report.bestQualifies =
        report.best >= 0 &&
        report.metrics[static_cast<std::size_t>(report.best)].trades >= options.minTrades;

    if (options.walkForward)
        report.walkForward =
            walkForward(run, options.walkForward->inMonths, options.walkForward->outMonths,
                        options.walkForward->anchored, options.objective, options.minTrades);
    const int blocks =
        options.pboBlocks == kPboBlocksByDays ? pboBlocksFor(days) : options.pboBlocks;
    std::vector<std::vector<double>> returns;
    if (blocks > 0 || report.bestQualifies) {
        const double base = static_cast<double>(std::max<int64_t>(1, run.capital));
        for (const PointRun& point : run.points) {
            std::vector<double>& column = returns.emplace_back();
            for (const DayResult& day : point.days)
                column.push_back(static_cast<double>(day.net) / base);
        }
    }
    if (blocks > 0) report.pbo = backtestOverfitting(returns, blocks);
    report.pboRefused = options.pboBlocks != 0 && !report.pbo;
    if (report.bestQualifies && run.points.size() > 1) {
        std::vector<double> sharpes;
        for (const auto& column : returns)
            sharpes.push_back(deflatedSharpe(column, {}).sharpe);
        report.deflated = deflatedSharpe(returns[static_cast<std::size_t>(report.best)], sharpes);
    }
    if (options.monteCarloRuns > 0 && report.bestQualifies) {
        // The best point once more, keeping its trades one by one: no
        // progress of its own, but a cancel still stops it.
        RunControl quiet;
        quiet.progress = [&](int, int) {
            if (control.cancelled()) quiet.cancel();
        };
        const auto again = runPoints(job, {run.points[static_cast<std::size_t>(report.best)].point},
                                     quiet, true, sharing);
        if (!again) return std::nullopt;
        std::vector<int64_t> trades;
        for (const ClosedTrade& trade : again->points.front().trades)
            trades.push_back(trade.net);
        report.monteCarlo =
            tradeMonteCarlo(trades, run.capital, options.monteCarloRuns, options.monteCarloSeed);
    }
    return report;
}

int pboBlocksFor(int days) {
    constexpr int kMostBlocks = 16;
    constexpr int kLeastDaysPerBlock = 20;
    int blocks = std::min(kMostBlocks, days / kLeastDaysPerBlock);
    blocks -= blocks % 2;
    return blocks >= 2 ? blocks : 0;
}

bool restrictScanToCode(MarketScan& scan, StockCode code) {
    for (const std::string& line : scan.lines)
        if (scan.entry(line).code == code) {
            scan.lines = {line};
            return true;
        }
    return false;
}

}  // namespace tav
