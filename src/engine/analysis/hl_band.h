#pragma once

#include "analysis/sliding_extreme.h"
#include "analysis/slot_math.h"

namespace tav::analysis {

// Step 10, bar by bar: `hlHigh`, `hlLow` from bar n on, over the n bars before
// j (bar j itself not included); both 0 at j = n, where the window would reach
// bar 0. A zero period has an empty window: the band reads 0 on every bar.
class HlBandStep {
  public:
    explicit HlBandStep(int period) : period_(period) {}

    void step(Bars bars, int j) {
        if (period_ <= 0) {
            bars[j].hlHigh = bars[j].hlLow = 0;
            return;
        }
        if (j < 1) return;
        highs_.push(j - 1, bars[j - 1].high);
        lows_.push(j - 1, bars[j - 1].low);
        highs_.dropBefore(j - period_);
        lows_.dropBefore(j - period_);
        if (j < period_) return;
        const bool reachesStart = j == period_;
        bars[j].hlHigh = reachesStart ? 0 : toInt32(highs_.value());
        bars[j].hlLow = reachesStart ? 0 : toInt32(lows_.value());
    }

  private:
    int period_;
    SlidingMax highs_;
    SlidingMin lows_;
};

void computeHlBand(Bars bars, int period);

}  // namespace tav::analysis
