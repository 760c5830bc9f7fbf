#pragma once

#include <algorithm>

#include "analysis/sliding_extreme.h"
#include "analysis/slot_math.h"

namespace tav::analysis {

// %R per mille from the window extremes (the close included), rounded half up
// to tens; -1 when a price is missing.
inline int16_t williamsValue(int64_t close, int64_t highest, int64_t lowest) {
    if (close == 0 || highest == 0 || lowest == 0) return -1;
    int64_t a = (highest - close) * 1000;
    if (a == 0 || highest == lowest) return 0;
    a /= highest - lowest;
    return toInt16((a / 10 + (a % 10 > 4 ? 1 : 0)) * 10);
}

// Step 5, one bar: `williamsR` from the highest high and lowest low of the
// n + 1 bars j-n .. j; -1 before bar n.
inline void storeWilliams(Bars bars, int j, int period, int64_t highest, int64_t lowest) {
    bars[j].williamsR = -1;
    if (j < period) return;
    const int64_t close = bars[j].close;
    bars[j].williamsR = williamsValue(close, std::max(highest, close), std::min(lowest, close));
}

// Step 5, bar by bar, with its own window extremes.
class WilliamsStep {
  public:
    explicit WilliamsStep(int period) : period_(period) {}

    void step(Bars bars, int j) {
        bars[j].williamsR = -1;
        highs_.push(j, bars[j].high);
        lows_.push(j, bars[j].low);
        highs_.dropBefore(j - period_);
        lows_.dropBefore(j - period_);
        if (j < period_) return;
        const int64_t close = bars[j].close;
        bars[j].williamsR =
            williamsValue(close, std::max(highs_.value(), close), std::min(lows_.value(), close));
    }

  private:
    int period_;
    SlidingMax highs_;
    SlidingMin lows_;
};

void computeWilliamsR(Bars bars, int period);

}  // namespace tav::analysis
