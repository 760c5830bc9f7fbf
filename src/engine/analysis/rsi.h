#pragma once

#include "analysis/slot_math.h"

namespace tav::analysis {

// Up and down sums of one RSI window.
struct RsiWindow {
    int64_t up = 0;
    int64_t down = 0;
};

inline int64_t upMove(Bars bars, int t) {
    const int64_t move = int64_t{bars[t].close} - bars[t - 1].close;
    return move > 0 ? move : 0;
}

inline int64_t downMove(Bars bars, int t) {
    const int64_t move = int64_t{bars[t - 1].close} - bars[t].close;
    return move > 0 ? move : 0;
}

// The RSI of a bar from its window sums; -1 when not defined (close 0 or no move).
inline int64_t rsiFromWindow(const DailyBar& bar, const RsiWindow& window) {
    const int64_t total = window.up + window.down;
    if (bar.close == 0 || total == 0) return -1;
    return window.up * 1000 / total;
}

// The RSI of `bar` over `period` bars, re-summed; -1 when it is not defined.
// `window` receives the sums.
int64_t rsiAt(Bars bars, int bar, int period, RsiWindow* window = nullptr);

// Step 6, bar by bar: the RSI of `period` bars into `slot` for k >= period; a
// bar whose close is 0 or whose window has no move is not written.
// `clearFirst` sets the slot to 0 first. The sums slide exactly (integers).
class RsiStep {
  public:
    RsiStep(int period, int16_t DailyBar::*slot, bool clearFirst)
        : period_(period), slot_(slot), clearFirst_(clearFirst) {}

    // `ups` and `downs` hold the moves of bar k and the bars before it (0 for bar 0).
    void step(Bars bars, int k, const RecentValues& ups, const RecentValues& downs) {
        if (clearFirst_) bars[k].*slot_ = 0;
        sums_.up += ups[k];
        sums_.down += downs[k];
        if (const int leaving = k - period_; leaving >= 0) {
            sums_.up -= ups[leaving];
            sums_.down -= downs[leaving];
        }
        if (k < period_) return;
        last_ = sums_;
        if (const int64_t value = rsiFromWindow(bars[k], sums_); value >= 0)
            bars[k].*slot_ = toInt16(value);
    }
    // The window of the last bar that reached the computation.
    const RsiWindow& lastWindow() const { return last_; }

  private:
    int period_;
    int16_t DailyBar::*slot_;
    bool clearFirst_;
    RsiWindow sums_;
    RsiWindow last_;
};

// Records the up and down move of bar k for the RSI steps.
inline void recordMoves(Bars bars, int k, RecentValues& ups, RecentValues& downs) {
    ups[k] = k >= 1 ? upMove(bars, k) : 0;
    downs[k] = k >= 1 ? downMove(bars, k) : 0;
}

// Returns the window of the last bar (zero when it was not reached).
RsiWindow computeRsi(Bars bars, int period, int16_t DailyBar::*slot, bool clearFirst);

}  // namespace tav::analysis
