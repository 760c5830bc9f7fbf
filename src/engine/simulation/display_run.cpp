#include "simulation/display_run.h"

namespace tav {

bool runDisplay(const StrategyReading* reading, std::span<DailyBar> bars,
                const ConditionInputs& inputs, const SimulationSettings& settings,
                int32_t unitShares, int currentYear, StrategyDisplay& display) {
    display.results = ResultBlock{};
    display.shortOfData = false;
    display.journal.fills.clear();
    display.journal.start = display.journal.end = 0;
    display.tacticNames.clear();
    if (!reading || bars.empty()) {
        // Marks of an earlier run must not stay on the chart.
        for (DailyBar& bar : bars) {
            bar.tradeMark = 0;
            bar.tradeReentry = 0;
            bar.tradeUnits = 0;
        }
        return false;
    }
    const RunWindow window = runWindow(bars, settings, display.view, currentYear);
    display.shortOfData = window.shortOfData;
    const SimulationInputs simulation{reading->strategy, settings, unitShares, inputs,
                                      &display.journal};
    display.results.result = runSimulation(bars, simulation, window, RunKind::Display).result;
    display.results.available = true;
    for (const Tactic& tactic : reading->strategy.tactics)
        display.tacticNames.push_back(strategy_labels::displayName(reading->strategy.tradingMode, tactic));
    return true;
}

}  // namespace tav
