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

// The closes of the window, highest first, each with its bar. Insertion and
// removal shift at most a window's worth of entries in a fixed array.
class RankedWindow {
  public:
    struct Entry {
        int32_t close;
        int bar;
    };

    void clear() { size_ = 0; }

    void insert(int32_t close, int bar) {
        int at = size_;
        while (at > 0 && entries_[at - 1].close < close) {
            entries_[at] = entries_[at - 1];
            --at;
        }
        entries_[at] = {close, bar};
        ++size_;
    }

    void remove(int bar) {
        int at = 0;
        while (entries_[at].bar != bar)
            ++at;
        std::memmove(&entries_[at], &entries_[at + 1], sizeof(Entry) * (size_ - at - 1));
        --size_;
    }

    // Sum of the squared scaled rank differences for the window ending at `newest`.
    int64_t scaledSquares(int newest) const {
        int64_t squares = 0;
        int groupStart = 0;
        while (groupStart < size_) {
            int groupEnd = groupStart + 1;
            while (groupEnd < size_ && entries_[groupEnd].close == entries_[groupStart].close)
                ++groupEnd;
            const int64_t priceRank =
                10 + 10 * int64_t{groupStart} + 5 * int64_t{groupEnd - groupStart - 1};
            for (int at = groupStart; at < groupEnd; ++at) {
                const int64_t timeRank = int64_t{newest - entries_[at].bar + 1} * 10;
                squares += (timeRank - priceRank) * (timeRank - priceRank);
            }
            groupStart = groupEnd;
        }
        return squares;
    }

  private:
    std::array<Entry, 257> entries_{};
    int size_ = 0;
};

}  // namespace

void computeRci(Bars bars, int period, int16_t DailyBar::*slot, bool clearFirst) {
    if (clearFirst)
        for (DailyBar& bar : bars)
            bar.*slot = 0;
    if (period <= 1) return;
    RankedWindow window;
    for (int k = 0; k < count(bars); ++k) {
        window.insert(bars[k].close, k);
        if (k - period >= 0) window.remove(k - period);
        if (k >= period) bars[k].*slot = rciFromScaledSum(window.scaledSquares(k), period);
    }
}

}  // namespace tav::analysis
