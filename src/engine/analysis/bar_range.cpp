#include "analysis/indicators.h"
#include "analysis/tick.h"

namespace tav::analysis {

namespace {
constexpr int kRangeAverageBars = 10;
}

void computeRange(Bars bars) {
    for (int k = 1; k < count(bars); ++k)
        if (bars[k - 1].close != 0) bars[k].range = toInt32(int64_t{bars[k].high} - bars[k].low);
}

void computeRangeAverage(Bars bars) {
    int64_t sum = 0;
    for (int k = 0; k < count(bars); ++k) {
        sum += bars[k].range;
        if (k >= kRangeAverageBars) sum -= bars[k - kRangeAverageBars].range;
        bars[k].rangeAverage =
            k <= kRangeAverageBars
                ? 0
                : roundToTickForClose(toInt32(sum / kRangeAverageBars), bars[k].close);
    }
}

}  // namespace tav::analysis
