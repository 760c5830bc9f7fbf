#include "screening/multi_run.h"

#include <algorithm>

#include "simulation/simulation_engine.h"

namespace tav {

namespace {

struct LineOutcome {
    LineRun result = LineRun::NotRun;
    ResultRow row;
};

}  // namespace

int winRate(const ResultRow& row) {
    // Kept as the entry's 16-bit field.
    return row.trades == 0 ? 0 : static_cast<int16_t>(row.wins * 100 / row.trades);
}

void rankRows(std::vector<ResultRow>& rows, int kind, int length) {
    if (kind == kRankByWinRate) {
        std::stable_sort(rows.begin(), rows.end(), [](const ResultRow& a, const ResultRow& b) {
            return winRate(a) > winRate(b);
        });
    } else {
        std::stable_sort(rows.begin(), rows.end(), [](const ResultRow& a, const ResultRow& b) {
            return a.markedProfit > b.markedProfit;
        });
    }
    if (length >= 0 && rows.size() > static_cast<std::size_t>(length))
        rows.resize(static_cast<std::size_t>(length));
    for (std::size_t r = 0; r < rows.size(); ++r)
        rows[r].rank = static_cast<int16_t>(r + 1);
}

std::optional<MultiRunOutcome> runMultiSimulation(const MultiRunJob& job, RunControl& control) {
    const MarketScan& scan = job.scan;
    auto work = [&](LoadedSecurity& security, int index) {
        const std::string& line = scan.lines[static_cast<std::size_t>(index)];
        LineOutcome out;
        const ScanEntry entry = scan.entry(line);
        out.result = loadForRun(scan, entry, security);
        if (out.result != LineRun::Ran) return out;
        const ConditionInputs inputs = security.conditionInputs(scan.switches, scan.capsules);
        const SimulationInputs simulation{job.strategy.strategy, job.simulation,
                                          security.security.unit, inputs, nullptr};
        const RunWindow window =
            runWindow(security.series.bars, job.simulation, ChartView{}, job.currentYear);
        const RunOutcome run =
            runSimulation(security.series.bars, simulation, window, RunKind::Statistics);
        out.row = ResultRow::from(run.result);
        out.row.code = entry.code;
        out.row.name = security.security.name;
        out.row.market = entry.market;
        out.row.unit = std::to_string(entry.unit);
        return out;
    };
    auto results = orderedParallelMap<LineOutcome, LoadedSecurity>(
        static_cast<int>(scan.lines.size()), scan.threads, [] { return LoadedSecurity{}; }, work,
        control);
    if (!results) return std::nullopt;

    MultiRunOutcome outcome;
    for (LineOutcome& line : *results) {
        countLine(outcome.counts, line.result);
        if (line.result == LineRun::Ran) outcome.rows.push_back(std::move(line.row));
    }
    rankRows(outcome.rows, job.settings.rankingKind, job.settings.rankingLength);
    return outcome;
}

std::vector<std::string> rankingLines(std::span<const ResultRow> rows) {
    std::vector<std::string> lines;
    lines.reserve(rows.size());
    for (const ResultRow& row : rows)
        lines.push_back(codeText(row.code) + ' ' + row.name);
    return lines;
}

}  // namespace tav
