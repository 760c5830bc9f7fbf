#include "analysis/williams_r.h"

namespace tav::analysis {

void computeWilliamsR(Bars bars, int period) {
    WilliamsStep step(period);
    for (int j = 0; j < count(bars); ++j)
        step.step(bars, j);
}

}  // namespace tav::analysis
