#include "analysis/bar_range.h"

namespace tav::analysis {

void computeRange(Bars bars) {
    for (int k = 0; k < count(bars); ++k)
        rangeStep(bars, k);
}

void computeRangeAverage(Bars bars) {
    RangeAverageStep step;
    for (int k = 0; k < count(bars); ++k)
        step.step(bars, k);
}

}  // namespace tav::analysis
