#include "analysis/rsi.h"

#include <algorithm>

namespace tav::analysis {

int64_t rsiAt(Bars bars, int bar, int period, RsiWindow* window) {
    RsiWindow sums;
    for (int t = std::max(1, bar - period + 1); t <= bar; ++t) {
        sums.up += upMove(bars, t);
        sums.down += downMove(bars, t);
    }
    if (window) *window = sums;
    return rsiFromWindow(bars[bar], sums);
}

RsiWindow computeRsi(Bars bars, int period, int16_t DailyBar::*slot, bool clearFirst) {
    RsiStep step(period, slot, clearFirst);
    RecentValues ups;
    RecentValues downs;
    for (int k = 0; k < count(bars); ++k) {
        recordMoves(bars, k, ups, downs);
        step.step(bars, k, ups, downs);
    }
    return step.lastWindow();
}

}  // namespace tav::analysis
