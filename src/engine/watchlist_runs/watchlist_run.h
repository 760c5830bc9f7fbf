#pragma once

#include <map>
#include <optional>
#include <string>
#include <vector>

#include "conditions/condition.h"
#include "core/ordered_parallel.h"
#include "data/program_folder.h"
#include "data/stock_master.h"
#include "security/loaded_security.h"
#include "settings/analysis_parameters.h"
#include "simulation/simulation_settings.h"
#include "simulation/strategy.h"
#include "updates/intraday_bar.h"
#include "watchlist_runs/level_blocks.h"

// Runs over every security of a watchlist: the range marks, the strategy
// marks and the day-trading level columns. Each security is loaded into its
// own LoadedSecurity on a worker; results come back in list order. These
// functions read the store and nothing else: they show no message, write no
// file and may run on any thread. What they need is gathered beforehand on
// the caller's thread (see workspace/watchlist_batch.h).
namespace tav {

// One entry of the watchlist, with its master-list entry looked up.
struct RunEntry {
    StockCode code = 0;
    std::string line;  // "code name" as listed
    SecurityInfo security;
};

// Where and how the securities are read.
struct RunSource {
    ProgramFolder folder{""};
    PeriodMode period = PeriodMode::Daily;
    AnalysisParameters parameters = AnalysisParameters::defaults();
    DisplaySwitches switches;
    // Quotes to add as today's provisional bar, by code (the quote watch's);
    // they reach the loaded copy only, never a data file.
    std::map<StockCode, IntradayQuote> provisional;
    std::string today;  // YYYYMMDD, the provisional bar's date
};

struct WatchlistRun {
    std::vector<RunEntry> entries;
    RunSource source;
    int threads = 0;  // 0: one per core
};

// An entry and the mark its list line is drawn with (0 = none).
struct EntryMark {
    StockCode code = 0;
    std::string line;
    uint8_t mark = 0;
};

// The strategy a strategy-mark run evaluates, read beforehand.
struct StrategyRules {
    Strategy strategy;
    SimulationSettings settings;
    std::vector<ConditionCapsule> capsules;
    int currentYear = 0;
};

// Loads an entry's stored series into `security`, with its provisional bar
// when one is given. False (series empty) when there are no bars.
bool loadRunEntry(const RunSource& source, const RunEntry& entry, LoadedSecurity& security);

// Marks 3 (above) / 4 (below) / 0 of range type `rangeType` for every entry.
// Nothing when cancelled.
std::optional<std::vector<EntryMark>> runRangeMarks(const WatchlistRun& run, int rangeType,
                                                    RunControl& control);

// The strategy's signal on each entry's last bar: 1 entry, 2 exit, 0 none.
std::optional<std::vector<EntryMark>> runStrategyMarks(const WatchlistRun& run,
                                                       const StrategyRules& rules,
                                                       RunControl& control);

// The level columns of the entries that have bars, in list order.
std::optional<std::vector<LevelColumn>> runLevelColumns(const WatchlistRun& run,
                                                        RunControl& control);

}  // namespace tav
