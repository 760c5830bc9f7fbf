#include "watchlist_runs/watchlist_run.h"

#include "simulation/simulation_engine.h"
#include "watchlist_runs/range_marks.h"

namespace tav {

namespace {

template <class Result, class Work>
std::optional<std::vector<Result>> overEntries(const WatchlistRun& run, RunControl& control,
                                               Work work) {
    return orderedParallelMap<Result, LoadedSecurity>(
        static_cast<int>(run.entries.size()), run.threads,
        [&] {
            LoadedSecurity security;
            security.period = run.source.period;
            security.parameters = run.source.parameters;
            return security;
        },
        [&](LoadedSecurity& security, int index) {
            const RunEntry& entry = run.entries[static_cast<std::size_t>(index)];
            const bool loaded = loadRunEntry(run.source, entry, security);
            return work(security, entry, loaded);
        },
        control);
}

}  // namespace

bool loadRunEntry(const RunSource& source, const RunEntry& entry, LoadedSecurity& security) {
    security.period = source.period;
    security.parameters = source.parameters;
    security.security = entry.security;
    // The securities' own files, whatever the shown security's storage mode.
    if (!security.loadStored(source.folder, entry.code, StorageMode::Accumulate)) return false;
    security.series.name = entry.security.name;
    if (auto quote = source.provisional.find(entry.code); quote != source.provisional.end())
        addIntradayBar(security.series, std::nullopt, quote->second, source.today);
    return true;
}

std::optional<std::vector<EntryMark>> runRangeMarks(const WatchlistRun& run, int rangeType,
                                                    RunControl& control) {
    return overEntries<EntryMark>(run, control,
                                  [&](LoadedSecurity& security, const RunEntry& entry, bool loaded) {
                                      const uint8_t mark =
                                          loaded ? rangeMark(security.series.bars, rangeType) : 0;
                                      return EntryMark{entry.code, entry.line, mark};
                                  });
}

std::optional<std::vector<EntryMark>> runStrategyMarks(const WatchlistRun& run,
                                                       const StrategyRules& rules,
                                                       RunControl& control) {
    return overEntries<EntryMark>(
        run, control, [&](LoadedSecurity& security, const RunEntry& entry, bool loaded) {
            EntryMark result{entry.code, entry.line, 0};
            if (!loaded) return result;
            security.recompute(run.source.switches);
            const ConditionInputs inputs =
                security.conditionInputs(run.source.switches, rules.capsules);
            const SimulationInputs simulation{rules.strategy, rules.settings, entry.security.unit,
                                              inputs, nullptr};
            const RunWindow window =
                runWindow(security.series.bars, rules.settings, ChartView{}, rules.currentYear);
            // Exits are asked for too, so that an exit on the last bar shows as mark 2.
            const RunOutcome outcome = runSimulation(security.series.bars, simulation, window,
                                                     RunKind::Signal, true);
            result.mark = static_cast<uint8_t>(outcome.signal);
            return result;
        });
}

std::optional<std::vector<LevelColumn>> runLevelColumns(const WatchlistRun& run,
                                                        RunControl& control) {
    auto columns = overEntries<std::optional<LevelColumn>>(
        run, control,
        [&](LoadedSecurity& security, const RunEntry& entry,
            bool loaded) -> std::optional<LevelColumn> {
            if (!loaded) return std::nullopt;
            security.recompute(run.source.switches);
            const auto& bars = security.series.bars;
            return LevelColumn{entry.code, entry.security.name,
                               levelList(bars, static_cast<int>(bars.size()) - 1)};
        });
    if (!columns) return std::nullopt;
    std::vector<LevelColumn> kept;
    for (auto& column : *columns)
        if (column) kept.push_back(std::move(*column));
    return kept;
}

}  // namespace tav
