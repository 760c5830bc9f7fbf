#include "analysis/parabolic.h"

namespace tav::analysis {

namespace {
constexpr int kStartWindow = 12;
}

int32_t parabolicStart(Bars bars, int bar) {
    int32_t highest = bars[bar - kStartWindow].high;
    for (int t = bar - kStartWindow + 1; t < bar; ++t)
        highest = std::max(highest, bars[t].high);
    return highest;
}

void computeParabolic(Bars bars, const ParabolicSettings& settings, ParabolicState& state) {
    ParabolicStep step(settings);
    for (int i = 0; i < count(bars); ++i)
        step.step(bars, i);
    state = step.state();
}

}  // namespace tav::analysis
