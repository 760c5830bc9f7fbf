#include <algorithm>

#include "analysis/indicators.h"

namespace tav::analysis {

namespace {

int64_t upMove(Bars bars, int t) {
    const int64_t move = int64_t{bars[t].close} - bars[t - 1].close;
    return move > 0 ? move : 0;
}

int64_t downMove(Bars bars, int t) {
    const int64_t move = int64_t{bars[t - 1].close} - bars[t].close;
    return move > 0 ? move : 0;
}

}  // namespace

int64_t rsiFromWindow(const DailyBar& bar, const RsiWindow& window) {
    const int64_t total = window.up + window.down;
    if (bar.close == 0 || total == 0) return -1;
    return window.up * 1000 / total;
}

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
    // Integer sums slide exactly: add the move entering the window, subtract
    // the one leaving it.
    RsiWindow sums;
    RsiWindow last;
    for (int k = 0; k < count(bars); ++k) {
        if (clearFirst) bars[k].*slot = 0;
        if (k >= 1) {
            sums.up += upMove(bars, k);
            sums.down += downMove(bars, k);
        }
        if (const int leaving = k - period; leaving >= 1) {
            sums.up -= upMove(bars, leaving);
            sums.down -= downMove(bars, leaving);
        }
        if (k < period) continue;
        last = sums;
        if (int64_t value = rsiFromWindow(bars[k], sums); value >= 0)
            bars[k].*slot = toInt16(value);
    }
    return last;
}

}  // namespace tav::analysis
