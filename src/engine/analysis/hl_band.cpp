#include "analysis/indicators.h"
#include "analysis/sliding_extreme.h"

namespace tav::analysis {

void computeHlBand(Bars bars, int period) {
    // A zero period has an empty window: the band reads 0 on every bar, as it
    // does where the window would reach bar 0.
    if (period <= 0) {
        for (DailyBar& bar : bars)
            bar.hlHigh = bar.hlLow = 0;
        return;
    }
    SlidingMax highs;
    SlidingMin lows;
    for (int j = 1; j < count(bars); ++j) {
        // The window is the n bars before j; bar j itself is not included.
        highs.push(j - 1, bars[j - 1].high);
        lows.push(j - 1, bars[j - 1].low);
        highs.dropBefore(j - period);
        lows.dropBefore(j - period);
        if (j < period) continue;
        const bool reachesStart = j == period;
        bars[j].hlHigh = reachesStart ? 0 : toInt32(highs.value());
        bars[j].hlLow = reachesStart ? 0 : toInt32(lows.value());
    }
}

}  // namespace tav::analysis
