#include "analysis/moving_averages.h"

namespace tav::analysis {

int32_t movingAverageAt(Bars bars, int bar, int period) {
    int64_t sum = 0;
    for (int t = bar - period + 1; t <= bar; ++t)
        if (t >= 1) sum += closeOrPrevious(bars, t);
    return toInt32(sum / period);
}

void computeMovingAverage(Bars bars, int period, int32_t DailyBar::*slot) {
    MovingAverageStep step(period, slot);
    RecentValues contributions;
    for (int i = 0; i < count(bars); ++i) {
        contributions[i] = closeContribution(bars, i);
        step.step(bars, i, contributions);
    }
}

void computeVolumeAverage(Bars bars, int period, int64_t DailyBar::*slot) {
    VolumeAverageStep step(period, slot);
    for (int i = 0; i < count(bars); ++i)
        step.step(bars, i);
}

void computeDeviations(Bars bars) {
    for (int i = 0; i < count(bars); ++i)
        deviationStep(bars, i);
}

}  // namespace tav::analysis
