#include "analysis/indicators.h"

namespace tav::analysis {

namespace {
constexpr int kPsychWindow = 12;
}

void computeUpBars(Bars bars) {
    // A running count over bars max(1, k-11) .. k. The bar leaving the window
    // is subtracted by its flag as stored, so a flag left over from an
    // earlier pass counts as it is.
    int count = 0;
    for (int k = 1; k < analysis::count(bars); ++k) {
        if (bars[k].close > bars[k - 1].close) {
            bars[k].upBar = 1;
            ++count;
        }
        if (k > kPsychWindow) count -= bars[k - kPsychWindow].upBar;
        bars[k].psychUpCount = static_cast<uint8_t>(count);
    }
}

}  // namespace tav::analysis
