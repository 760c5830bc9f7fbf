#pragma once

#include "analysis/slot_math.h"

namespace tav::analysis {

// Step 6, one bar: `roc`, cleared to 0, for k >= n when both closes are positive.
inline void rocStep(Bars bars, int k, int period) {
    bars[k].roc = 0;
    if (k < period || bars[k].close <= 0 || bars[k - period].close <= 0) return;
    // int16 slot: a close more than 327 times the earlier one wraps, as it always has.
    bars[k].roc = toInt16(int64_t{bars[k].close} * 100 / bars[k - period].close);
}

void computeRoc(Bars bars, int period);

}  // namespace tav::analysis
