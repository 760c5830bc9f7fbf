#include "analysis/stochastics.h"

#include <utility>

namespace tav::analysis {

void computeStochastics(Bars bars, int period, int slowPeriod) {
    StochasticStep step(period, slowPeriod);
    SlidingMax highs;
    SlidingMin lows;
    for (int k = 0; k < count(bars); ++k) {
        highs.push(k, bars[k].high);
        lows.push(k, bars[k].low);
        highs.dropBefore(k - period);
        lows.dropBefore(k - period);
        step.step(bars, k, [&](int) {
            return std::pair<int64_t, int64_t>{highs.value(), lows.value()};
        });
    }
}

}  // namespace tav::analysis
