#include "analysis/volume_ratios.h"

#include <cstdint>

namespace tav::analysis {

int16_t pvrStep(Bars bars, int j, __int128 weightedSum, Wide volumeSum) {
    int64_t average = 1;
    if (weightedSum != 0 && volumeSum != 0) {
        // 128-bit division is slow; take the 64-bit one whenever both fit.
        if (weightedSum > INT64_MIN && weightedSum <= INT64_MAX && volumeSum > INT64_MIN &&
            volumeSum <= INT64_MAX)
            average = static_cast<int64_t>(weightedSum) / static_cast<int64_t>(volumeSum);
        else
            average = saturate64(weightedSum / volumeSum);
    }
    // An average that truncates to 0 would divide by zero: it counts as 1, as
    // an empty window does.
    if (average == 0) average = 1;
    const __int128 scaled = (static_cast<__int128>(bars[j].close) - average) * 1000;
    const int64_t distance = scaled > INT64_MIN && scaled <= INT64_MAX
                                 ? static_cast<int64_t>(scaled) / average
                                 : static_cast<int64_t>(scaled / average);
    const int64_t previous = bars[j - 1].pvr;
    const double smoothed =
        (static_cast<double>(distance) - static_cast<double>(previous)) * 0.2 + previous;
    return toInt16(truncToInt64(smoothed));
}

void computeVolumeRatios(Bars bars, int vrPeriod, int wakoVrPeriod) {
    VolumeRatioStep step(vrPeriod, wakoVrPeriod);
    for (int k = 0; k < count(bars); ++k)
        step.step(bars, k);
}

void computePvr(Bars bars, int period) {
    PvrStep step(period);
    for (int j = 0; j < count(bars); ++j)
        step.step(bars, j);
}

}  // namespace tav::analysis
