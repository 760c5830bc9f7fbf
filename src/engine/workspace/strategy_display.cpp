#include "workspace.h"

namespace tav {

void Workspace::runStrategyDisplay() {
    if (selectedStrategy() == 0 || seriesLoading) return;
    runStrategyDisplay(selectedStrategy());
}

bool Workspace::runStrategyDisplay(int number) {
    loadCapsules();
    const ConditionInputs inputs = conditionInputs();
    return runDisplay(folder_.root(), number, series_.bars, inputs,
                      SimulationSettings::from(options()), security_.unit,
                      platform_.clock.today().year, strategyDisplay);
}

}  // namespace tav
