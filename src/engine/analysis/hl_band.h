#pragma once

#include <utility>

#include "analysis/sliding_extreme.h"
#include "analysis/slot_math.h"

namespace tav::analysis {

// Step 10, one bar: `hlHigh`, `hlLow` from bar n on, over the n bars before j
// (bar j itself not included); both 0 at j = n, where the window would reach
// bar 0. A zero period has an empty window: the band reads 0 on every bar.
// `extremes(firstBar)` gives the highest high and lowest low from firstBar to
// j - 1; it is only called when the window holds bars.
template <typename Extremes>
void storeHlBand(Bars bars, int j, int period, Extremes extremes) {
    if (period <= 0 || j == period) {
        bars[j].hlHigh = bars[j].hlLow = 0;
        return;
    }
    if (j < period) return;
    const auto [highest, lowest] = extremes(j - period);
    bars[j].hlHigh = toInt32(highest);
    bars[j].hlLow = toInt32(lowest);
}

// Step 10, bar by bar, with its own window extremes.
class HlBandStep {
  public:
    explicit HlBandStep(int period) : period_(period) {}

    void step(Bars bars, int j) {
        if (j >= 1 && period_ > 0) {
            highs_.push(j - 1, bars[j - 1].high);
            lows_.push(j - 1, bars[j - 1].low);
            highs_.dropBefore(j - period_);
            lows_.dropBefore(j - period_);
        }
        storeHlBand(bars, j, period_, [&](int) {
            return std::pair<int64_t, int64_t>{highs_.value(), lows_.value()};
        });
    }

  private:
    int period_;
    SlidingMax highs_;
    SlidingMin lows_;
};

void computeHlBand(Bars bars, int period);

}  // namespace tav::analysis
