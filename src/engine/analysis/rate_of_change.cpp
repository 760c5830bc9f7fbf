#include "analysis/indicators.h"

namespace tav::analysis {

void computeRoc(Bars bars, int period) {
    for (int k = 0; k < count(bars); ++k) {
        bars[k].roc = 0;
        if (k < period || bars[k].close <= 0 || bars[k - period].close <= 0) continue;
        // int16 slot: a close more than 327 times the earlier one wraps, as it always has.
        bars[k].roc = toInt16(int64_t{bars[k].close} * 100 / bars[k - period].close);
    }
}

}  // namespace tav::analysis
