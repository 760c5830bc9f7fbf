#include "analysis/indicators.h"

namespace tav::analysis {

namespace {

// The force of one bar; a bar without volume or close counts 1.
int64_t barForce(Bars bars, int t) {
    const DailyBar& bar = bars[t];
    if (bar.volume == 0 || bar.close == 0) return 1;
    return (int64_t{bar.close} - bars[t - 1].close) * bar.volume / bar.close;
}

}  // namespace

void computeForceIndex(Bars bars) {
    if (count(bars) < 3) return;
    int64_t previous = barForce(bars, 1);
    for (int j = 2; j < count(bars); ++j) {
        const int64_t current = barForce(bars, j);
        bars[j].forceIndex = toInt32((previous + current) / 2);
        previous = current;
    }
}

}  // namespace tav::analysis
