#include "analysis/dmi.h"

namespace tav::analysis {

void computeDmi(Bars bars, int period) {
    DmiStep step(period);
    for (int j = 0; j < count(bars); ++j)
        step.step(bars, j);
}

void computeAdx(Bars bars, int period) {
    AdxStep step(period);
    for (int j = 0; j < count(bars); ++j)
        step.step(bars, j);
}

}  // namespace tav::analysis
