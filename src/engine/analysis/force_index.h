#pragma once

#include <type_traits>

#include "analysis/slot_math.h"

namespace tav::analysis {

// The force of one bar; a bar without volume or close counts 1. In 64 bits
// only for a series that fits (`volumesFit64`).
template <class Sum = Wide>
int64_t barForce(Bars bars, int t) {
    const DailyBar& bar = bars[t];
    if (bar.volume == 0 || bar.close == 0) return 1;
    if constexpr (std::is_same_v<Sum, int64_t>)
        return (int64_t{bar.close} - bars[t - 1].close) * bar.volume / bar.close;
    else
        return divideSaturated(Wide{int64_t{bar.close} - bars[t - 1].close} * bar.volume,
                               bar.close);
}

// Step 14, bar by bar: `forceIndex` from bar 2 on, the mean force of the bar
// and the one before (the window is fixed at 2 bars).
template <class Sum = Wide>
class ForceIndexStep {
  public:
    void step(Bars bars, int j) {
        if (j < 1) return;
        const int64_t current = barForce<Sum>(bars, j);
        if (j >= 2) bars[j].forceIndex = toInt32(saturate64((Sum{previous_} + current) / 2));
        previous_ = current;
    }

  private:
    int64_t previous_ = 0;
};

void computeForceIndex(Bars bars);

}  // namespace tav::analysis
