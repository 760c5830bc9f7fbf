#pragma once

#include <optional>
#include <span>

#include "analysis/recompute.h"
#include "conditions/condition_evaluator.h"
#include "core/bar_series.h"
#include "data/price_store.h"
#include "data/program_folder.h"
#include "data/stock_master.h"
#include "quotes/quote_page.h"
#include "settings/analysis_parameters.h"
#include "simulation/display_run.h"
#include "updates/bar_requests.h"

namespace tav {

// One security as loaded for analysis: its bars, master-list entry, period,
// the parameters in force and what the last recompute left. A plain value:
// it refers to nothing outside itself, so any number of them can be loaded,
// recomputed and evaluated at once, each on its own thread, and a copy is a
// complete snapshot to put back after a failed operation.
struct LoadedSecurity {
    BarSeries series;
    SecurityInfo security;
    // The period being shown; a load or fetch gives the series this period.
    PeriodMode period = PeriodMode::Daily;
    // The analysis parameters in force (common or the security's own).
    AnalysisParameters parameters = AnalysisParameters::defaults();
    AnalysisState analysis;
    // The quote information shown beside the chart.
    std::optional<QuoteRecord> quote;
    // Set when the bars came from a split-adjusted fetch.
    bool splitAdjusted = false;
    // The chart's view of the series, as fetching needs it.
    SeriesPaging paging;

    // Reads the stored series of `code` in the current period. `readFile`
    // false leaves the series empty (scratch mode for a code the scratch file
    // does not hold). A day being imported by another instance counts once it
    // is whole. False (series empty) when nothing could be read.
    bool loadStored(const ProgramFolder& folder, StockCode code, StorageMode mode,
                    bool readFile = true);
    // Looks the code up in the master list and names the series after it.
    void lookUp(const StockMaster& master);

    AnalysisSettings analysisSettings(const DisplaySwitches& switches) const {
        return AnalysisSettings::from(parameters, period, switches);
    }
    // Recomputes every indicator slot with the parameters of the period.
    void recompute(const DisplaySwitches& switches);

    // What evaluation reads of this security. It refers to the bars and to
    // `capsules`: build it again after either changes.
    ConditionInputs conditionInputs(const DisplaySwitches& switches,
                                    std::span<const ConditionCapsule> capsules) const;

    // A display run of `strategy` (null: none readable) over the series.
    bool runStrategyDisplay(const StrategyReading* strategy, const ConditionInputs& inputs,
                            const SimulationSettings& settings, int currentYear,
                            StrategyDisplay& display);

    // The price tick of a bar's close, and a value rounded to it.
    int32_t tickSize(int bar) const;
    int32_t roundToTick(int32_t value, int bar) const;
};

}  // namespace tav
