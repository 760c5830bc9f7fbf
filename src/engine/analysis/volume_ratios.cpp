#include "analysis/volume_ratios.h"

#include <cstdint>

namespace tav::analysis {

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
