#include "analysis/rate_of_change.h"

namespace tav::analysis {

void computeRoc(Bars bars, int period) {
    for (int k = 0; k < count(bars); ++k)
        rocStep(bars, k, period);
}

}  // namespace tav::analysis
