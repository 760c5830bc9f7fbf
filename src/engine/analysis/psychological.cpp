#include "analysis/psychological.h"

namespace tav::analysis {

void computeUpBars(Bars bars) {
    UpBarStep step;
    for (int k = 0; k < count(bars); ++k)
        step.step(bars, k);
}

}  // namespace tav::analysis
