#include "workspace/workspace.h"

namespace tav {

bool Workspace::runStrategyDisplay(int number) {
    const ConditionInputs inputs = conditionInputs();
    return runDisplay(strategies_.strategy(folder_.root(), number), series_.bars, inputs,
                      SimulationSettings::from(options()), security_.unit,
                      platform_.clock.today().year, strategyDisplay);
}

}  // namespace tav
