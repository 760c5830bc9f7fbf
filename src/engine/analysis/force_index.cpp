#include "analysis/force_index.h"

namespace tav::analysis {

void computeForceIndex(Bars bars) {
    ForceIndexStep step;
    for (int j = 0; j < count(bars); ++j)
        step.step(bars, j);
}

}  // namespace tav::analysis
