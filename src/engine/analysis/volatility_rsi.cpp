#include "analysis/volatility_rsi.h"

#include <algorithm>
#include <cstdlib>

namespace tav::analysis {

int vlRsiWindow(Bars bars, int k, int period) {
    // Re-summed per bar, oldest first: a running double sum would not give
    // the same bits.
    double sum = 0.0;
    for (int t = k - kVolatilityMeanBars + 1; t <= k; ++t)
        sum += bars[t].volatility5;
    const double mean = 0.1 * sum;
    int window;
    if (mean == 0.0) {
        window = period / 2;
    } else {
        const double length = period / (bars[k].volatility5 / mean + 0.1);
        window = std::abs(static_cast<int>(truncToInt64(length)));
        window = std::max(window, period / 2);
    }
    return std::min(window, 2 * period);
}

void computeVolatility(Bars bars) {
    for (int k = 0; k < count(bars); ++k)
        volatilityStep(bars, k);
}

void computeVlRsi(Bars bars, int period) {
    VlRsiStep step(period);
    for (int k = 0; k < count(bars); ++k)
        step.step(bars, k);
}

}  // namespace tav::analysis
