#include <algorithm>
#include <array>
#include <cstring>

#include "analysis/indicators.h"

namespace tav::analysis {

// Ranks are kept scaled by 10 (time rank (n - i) * 10, price rank 10 + 10 *
// higher closes, ties sharing the mean r + 5 (m - 1)) so that everything is an
// integer: with d the scaled difference, S = sum(d^2) / 100 and
//   RCI = (1 - 6 S / ((n^2 - 1) n)) * 1000 = (1000 D - 60 sum(d^2)) / D,
// D = (n^2 - 1) n, truncated toward zero. Single-precision ranks are exact for
// these values but the final formula in float is not (399 instead of 400 for
// n = 5, S = 12), so the last step is done exactly.
int16_t rciFromScaledSum(int64_t scaledSquares, int period) {
    const int64_t n = period;
    const int64_t divisor = (n * n - 1) * n;
    return toInt16((1000 * divisor - 60 * scaledSquares) / divisor);
}

int16_t rciAt(Bars bars, int bar, int period) {
    const int first = bar - period + 1;
    int64_t squares = 0;
    for (int i = 0; i < period; ++i) {
        const int32_t close = bars[first + i].close;
        int higher = 0;
        int equal = 0;
        for (int other = 0; other < period; ++other) {
            const int32_t otherClose = bars[first + other].close;
            if (otherClose > close) ++higher;
            if (otherClose == close) ++equal;
        }
        const int64_t timeRank = int64_t{period - i} * 10;
        const int64_t priceRank = 10 + 10 * int64_t{higher} + 5 * int64_t{equal - 1};
        squares += (timeRank - priceRank) * (timeRank - priceRank);
    }
    return rciFromScaledSum(squares, period);
}

namespace {

// The closes of the window in a ring, each with the number of closes in the
// window above it and equal to it (itself included). Sliding one bar adjusts
// every count by comparing with the close that enters and the one that
// leaves, so the sum of squared rank differences costs one sweep of the
// window per bar, without sorting. Each squared difference is below 2^23 and
// a window holds at most 255 of them, so 32 bits hold the sum.
class RankedWindow {
public:
    explicit RankedWindow(int period) : period_(period) {}

    // Adds the close of the next bar, dropping the oldest once the window is
    // full, and returns the scaled sum of squared rank differences of the full
    // window (0 while it is still filling).
    int32_t push(int32_t close) {
        if (size_ < period_) {
            int32_t higher = 0;
            int32_t equal = 1;
            for (int p = 0; p < size_; ++p) {
                const int32_t own = closes_[p];
                higher_[p] += close > own;
                equal_[p] += close == own;
                higher += own > close;
                equal += own == close;
            }
            closes_[size_] = close;
            higher_[size_] = higher;
            equal_[size_] = equal;
            ++size_;
            return 0;
        }
        // The oldest close sits at head_; the new one takes its place and
        // becomes the newest (time rank 10), every other close moves one up.
        const int32_t leaving = closes_[head_];
        int32_t higher = 0;
        int32_t equal = 1;
        int32_t squares = 0;
        auto slide = [&](int p, int position) {
            const int32_t own = closes_[p];
            higher_[p] += (close > own) - (leaving > own);
            equal_[p] += (close == own) - (leaving == own);
            higher += own > close;
            equal += own == close;
            const int32_t difference = (period_ - position) * 10 - rank(higher_[p], equal_[p]);
            squares += difference * difference;
        };
        for (int p = head_ + 1; p < period_; ++p) slide(p, p - head_ - 1);
        for (int p = 0; p < head_; ++p) slide(p, p + period_ - head_ - 1);
        closes_[head_] = close;
        higher_[head_] = higher;
        equal_[head_] = equal;
        const int32_t difference = 10 - rank(higher, equal);
        squares += difference * difference;
        head_ = head_ + 1 == period_ ? 0 : head_ + 1;
        return squares;
    }

private:
    // 10 + 10 per higher close, ties sharing the mean rank r + 5 (m - 1).
    static int32_t rank(int32_t higher, int32_t equal) { return 5 + 10 * higher + 5 * equal; }

    int period_;
    int size_ = 0;
    int head_ = 0;
    std::array<int32_t, 256> closes_{};
    std::array<int32_t, 256> higher_{};
    std::array<int32_t, 256> equal_{};
};

}  // namespace

void computeRci(Bars bars, int period, int16_t DailyBar::*slot, bool clearFirst) {
    if (clearFirst)
        for (DailyBar& bar : bars)
            bar.*slot = 0;
    if (period <= 1) return;
    RankedWindow window(period);
    for (int k = 0; k < count(bars); ++k) {
        const int32_t squares = window.push(bars[k].close);
        if (k >= period) bars[k].*slot = rciFromScaledSum(squares, period);
    }
}

}  // namespace tav::analysis
