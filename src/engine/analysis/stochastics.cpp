#include "analysis/stochastics.h"

namespace tav::analysis {

void computeStochastics(Bars bars, int period, int slowPeriod) {
    StochasticStep step(period, slowPeriod);
    for (int k = 0; k < count(bars); ++k)
        step.step(bars, k);
}

}  // namespace tav::analysis
