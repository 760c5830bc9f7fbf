#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "analysis/indicators.h"

namespace tav::analysis {

namespace {
constexpr int kVolatilityBars = 5;
constexpr int kVolatilityMeanBars = 10;
}  // namespace

void computeVolatility(Bars bars) {
    for (int k = kVolatilityBars - 1; k < count(bars); ++k) {
        // Running-mean update, oldest close first; the order of these
        // operations fixes the bits of the result.
        double mean = 0.0;
        double squares = 0.0;
        for (int i = 0; i < kVolatilityBars; ++i) {
            const double x = bars[k - kVolatilityBars + 1 + i].close;
            const double delta = x - mean;
            mean += delta / (i + 1);
            squares += delta * (x - mean);
        }
        bars[k].volatility5 = std::sqrt(squares / (kVolatilityBars - 1));
    }
}

int vlRsiWindow(Bars bars, int k, int period) {
    // Re-summed per bar, oldest first: a running double sum would not give
    // the same bits.
    double sum = 0.0;
    for (int t = k - kVolatilityMeanBars + 1; t <= k; ++t)
        sum += bars[t].volatility5;
    const double mean = 0.1 * sum;
    int window;
    if (mean == 0.0) {
        window = period / 2;
    } else {
        const double length = period / (bars[k].volatility5 / mean + 0.1);
        window = std::abs(static_cast<int>(truncToInt64(length)));
        window = std::max(window, period / 2);
    }
    return std::min(window, 2 * period);
}

void computeVlRsi(Bars bars, int period) {
    // Cumulative up and down moves of the last bars in a ring: any window of
    // up to 2n (< kRing) bars is a difference of two entries.
    constexpr int kRing = 512;
    std::array<int64_t, kRing> cumulativeUp{};
    std::array<int64_t, kRing> cumulativeDown{};
    RsiWindow total;
    for (int k = 0; k < count(bars); ++k) {
        if (k >= 1) {
            const int64_t move = int64_t{bars[k].close} - bars[k - 1].close;
            if (move > 0) total.up += move;
            if (move < 0) total.down -= move;
        }
        cumulativeUp[k % kRing] = total.up;
        cumulativeDown[k % kRing] = total.down;
        bars[k].vlRsi = 0;
        if (k < period || k < kVolatilityMeanBars) continue;
        const int window = vlRsiWindow(bars, k, period);
        RsiWindow sums = total;
        if (const int before = k - window; before >= 0) {
            sums.up -= cumulativeUp[before % kRing];
            sums.down -= cumulativeDown[before % kRing];
        }
        if (const int64_t value = rsiFromWindow(bars[k], sums); value >= 0)
            bars[k].vlRsi = toInt16(value);
    }
}

}  // namespace tav::analysis
