#pragma once

#include "analysis/slot_math.h"

namespace tav::analysis {

// Step 4, bar by bar: `upBar` and `psychUpCount`, a running count over bars
// max(1, k-11) .. k (the window is fixed at 12 bars). The bar leaving the
// window is subtracted by its flag as stored, so a flag left over from an
// earlier pass counts as it is.
class UpBarStep {
  public:
    static constexpr int kWindow = 12;

    void step(Bars bars, int k) {
        if (k == 0) return;
        if (bars[k].close > bars[k - 1].close) {
            bars[k].upBar = 1;
            ++count_;
        }
        if (k > kWindow) count_ -= bars[k - kWindow].upBar;
        bars[k].psychUpCount = static_cast<uint8_t>(count_);
    }

  private:
    int count_ = 0;
};

void computeUpBars(Bars bars);

}  // namespace tav::analysis
