#include "workspace/workspace.h"

namespace tav {

bool Workspace::runStrategyDisplay(int number) {
    const ConditionInputs inputs = conditionInputs();
    return loaded_.runStrategyDisplay(strategies_.strategy(folder_.root(), number), inputs,
                                      SimulationSettings::from(options()),
                                      platform_.clock.today().year, strategyDisplay);
}

}  // namespace tav
