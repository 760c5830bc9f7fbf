#include <algorithm>

#include "analysis/indicators.h"
#include "analysis/sliding_extreme.h"

namespace tav::analysis {

// %R per mille from the window extremes, rounded half up to tens; -1 when a
// price is missing.
int16_t williamsValue(int64_t close, int64_t highest, int64_t lowest) {
    if (close == 0 || highest == 0 || lowest == 0) return -1;
    int64_t a = (highest - close) * 1000;
    if (a == 0 || highest == lowest) return 0;
    a /= highest - lowest;
    return toInt16((a / 10 + (a % 10 > 4 ? 1 : 0)) * 10);
}

void computeWilliamsR(Bars bars, int period) {
    SlidingMax highs;
    SlidingMin lows;
    for (int j = 0; j < count(bars); ++j) {
        bars[j].williamsR = -1;
        highs.push(j, bars[j].high);
        lows.push(j, bars[j].low);
        highs.dropBefore(j - period);
        lows.dropBefore(j - period);
        if (j < period) continue;
        const int64_t close = bars[j].close;
        bars[j].williamsR =
            williamsValue(close, std::max(highs.value(), close), std::min(lows.value(), close));
    }
}

}  // namespace tav::analysis
