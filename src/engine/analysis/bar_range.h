#pragma once

#include "analysis/slot_math.h"
#include "analysis/tick.h"

namespace tav::analysis {

constexpr int kRangeAverageBars = 10;

// Step 7, one bar: `range` when the previous close is not 0.
inline void rangeStep(Bars bars, int k) {
    if (k >= 1 && bars[k - 1].close != 0)
        bars[k].range = toInt32(int64_t{bars[k].high} - bars[k].low);
}

// Step 9, bar by bar: `rangeAverage`, the mean range of the 10 bars ending at
// k rounded to the price tick; 0 up to bar 10.
class RangeAverageStep {
  public:
    void step(Bars bars, int k) {
        sum_ += bars[k].range;
        if (k >= kRangeAverageBars) sum_ -= bars[k - kRangeAverageBars].range;
        bars[k].rangeAverage =
            k <= kRangeAverageBars
                ? 0
                : roundToTickForClose(toInt32(sum_ / kRangeAverageBars), bars[k].close);
    }

  private:
    int64_t sum_ = 0;
};

void computeRange(Bars bars);
void computeRangeAverage(Bars bars);

}  // namespace tav::analysis
