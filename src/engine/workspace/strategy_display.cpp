#include "workspace/workspace.h"

namespace tav {

bool Workspace::runStrategyDisplay(int number) {
    const ConditionInputs inputs = conditionInputs();
    const bool ran = loaded_.runStrategyDisplay(strategies_.strategy(folder_.root(), number),
                                                inputs, SimulationSettings::from(options()),
                                                platform_.clock.today().year, strategyDisplay);
    strategyDisplay.subject = ran ? displaySubject(number) : DisplaySubject{};
    return ran;
}

void Workspace::clearStrategyDisplay() {
    const ConditionInputs inputs = conditionInputs();
    loaded_.runStrategyDisplay(nullptr, inputs, SimulationSettings::from(options()),
                               platform_.clock.today().year, strategyDisplay);
    strategyDisplay.subject = {};
}

DisplaySubject Workspace::displaySubject(int number) const {
    const BarSeries& series = loaded_.series;
    return {series.code, series.period, series.count(), number, strategyDisplay.view};
}

bool Workspace::strategyDisplayCurrent() const {
    // The view may have moved since: the results still belong to this series.
    const int number = selectedStrategy();
    DisplaySubject shown = displaySubject(number);
    shown.view = strategyDisplay.subject.view;
    return number != 0 && strategyDisplay.results.available && strategyDisplay.subject == shown;
}

}  // namespace tav
