#include "simulation/display_run.h"

#include "simulation/strategy_file.h"

namespace tav {

bool runDisplay(const std::string& folder, int number, std::span<DailyBar> bars,
                const ConditionInputs& inputs, const SimulationSettings& settings,
                int32_t unitShares, int currentYear, StrategyDisplay& display) {
    display.results = ResultBlock{};
    display.shortOfData = false;
    auto reading = loadStrategy(folder, number);
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
    const SimulationInputs simulation{reading->strategy, settings, unitShares, inputs};
    display.results.result = runSimulation(bars, simulation, window, RunKind::Display).result;
    display.results.available = true;
    return true;
}

}  // namespace tav
