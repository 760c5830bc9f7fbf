#pragma once

#include <algorithm>
#include <array>
#include <cmath>
#include <cstdlib>

#include "analysis/rsi.h"
#include "analysis/slot_math.h"

namespace tav::analysis {

constexpr int kVolatilityBars = 5;
constexpr int kVolatilityMeanBars = 10;

// Step 6 (first), one bar: `volatility5`, the sample deviation (divisor 4) of
// the closes of bars k-4 .. k by a running-mean update, oldest close first;
// the order of these operations fixes the bits of the result.
inline void volatilityStep(Bars bars, int k) {
    if (k < kVolatilityBars - 1) return;
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

// `volatilityStep` for bars begin .. end-1, several bars at a time: each bar
// takes exactly the operations of `volatilityStep` in the same order.
void computeVolatilityRange(Bars bars, int begin, int end);

// What the vlRsi window of bar k (k >= 9) follows: the mean volatility of
// the 10 bars ending at k (summed oldest first) and n / (v / mean + 0.1),
// which only counts when the mean is not 0.
struct VlRsiScale {
    double mean;
    double length;
};
VlRsiScale vlRsiScale(Bars bars, int k, int period);

// `vlRsiScale` of bars begin .. end-1 (each at least 9, at most
// kVlRsiScalesAtOnce of them), several bars at a time, each bar's operations
// in the same order.
constexpr int kVlRsiScalesAtOnce = 64;
void vlRsiScales(Bars bars, int begin, int end, int period, VlRsiScale* scales);

// The window length: the scale's length kept within n/2 .. 2n; n/2 when the
// mean is 0.
inline int vlRsiWindowFrom(const VlRsiScale& scale, int period) {
    int window;
    if (scale.mean == 0.0) {
        window = period / 2;
    } else {
        window = std::abs(static_cast<int>(truncToInt64(scale.length)));
        window = std::max(window, period / 2);
    }
    return std::min(window, 2 * period);
}

inline int vlRsiWindow(Bars bars, int k, int period) {
    return vlRsiWindowFrom(vlRsiScale(bars, k, period), period);
}

// Step 6, bar by bar: `vlRsi`, cleared to 0, for k >= n and k >= 10. The
// cumulative up and down moves of the last bars sit in a ring: any window of
// up to 2n (< kRing) bars is a difference of two entries.
class VlRsiStep {
  public:
    explicit VlRsiStep(int period) : period_(period) {}

    // The bars begin .. end-1, their window lengths worked out together first.
    void run(Bars bars, int begin, int end) {
        const int first = std::max({begin, period_, kVolatilityMeanBars});
        VlRsiScale scales[kVlRsiScalesAtOnce];
        for (int k = begin; k < end;) {
            const int blockEnd = std::min(end, k + kVlRsiScalesAtOnce);
            const int scalesFrom = std::max(k, first);
            if (scalesFrom < blockEnd) vlRsiScales(bars, scalesFrom, blockEnd, period_, scales);
            for (; k < blockEnd; ++k)
                step(bars, k, k >= first ? vlRsiWindowFrom(scales[k - scalesFrom], period_) : 0);
        }
    }

    void step(Bars bars, int k) {
        step(bars, k, k >= period_ && k >= kVolatilityMeanBars ? vlRsiWindow(bars, k, period_) : 0);
    }

  private:
    // `window` is the window length of bar k once k >= n and k >= 10.
    void step(Bars bars, int k, int window) {
        if (k >= 1) {
            total_.up += upMove(bars, k);
            total_.down += downMove(bars, k);
        }
        up_[k % kRing] = total_.up;
        down_[k % kRing] = total_.down;
        bars[k].vlRsi = 0;
        if (k < period_ || k < kVolatilityMeanBars) return;
        RsiWindow sums = total_;
        if (const int before = k - window; before >= 0) {
            sums.up -= up_[before % kRing];
            sums.down -= down_[before % kRing];
        }
        if (const int64_t value = rsiFromWindow(bars[k], sums); value >= 0)
            bars[k].vlRsi = toInt16(value);
    }

    static constexpr int kRing = 512;
    int period_;
    RsiWindow total_;
    std::array<int64_t, kRing> up_{};
    std::array<int64_t, kRing> down_{};
};

void computeVolatility(Bars bars);
void computeVlRsi(Bars bars, int period);

}  // namespace tav::analysis
