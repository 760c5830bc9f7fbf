#include "analysis/hl_band.h"

namespace tav::analysis {

void computeHlBand(Bars bars, int period) {
    HlBandStep step(period);
    for (int j = 0; j < count(bars); ++j)
        step.step(bars, j);
}

}  // namespace tav::analysis
