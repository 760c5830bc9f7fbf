#pragma once

#include <array>
#include <cmath>

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

// The vlRsi window length of bar k (k >= 9): n over the volatility relative to
// its 10-bar mean, kept within n/2 .. 2n.
int vlRsiWindow(Bars bars, int k, int period);

// Step 6, bar by bar: `vlRsi`, cleared to 0, for k >= n and k >= 10. The
// cumulative up and down moves of the last bars sit in a ring: any window of
// up to 2n (< kRing) bars is a difference of two entries.
class VlRsiStep {
  public:
    explicit VlRsiStep(int period) : period_(period) {}

    void step(Bars bars, int k) {
        if (k >= 1) {
            total_.up += upMove(bars, k);
            total_.down += downMove(bars, k);
        }
        up_[k % kRing] = total_.up;
        down_[k % kRing] = total_.down;
        bars[k].vlRsi = 0;
        if (k < period_ || k < kVolatilityMeanBars) return;
        RsiWindow sums = total_;
        if (const int before = k - vlRsiWindow(bars, k, period_); before >= 0) {
            sums.up -= up_[before % kRing];
            sums.down -= down_[before % kRing];
        }
        if (const int64_t value = rsiFromWindow(bars[k], sums); value >= 0)
            bars[k].vlRsi = toInt16(value);
    }

  private:
    static constexpr int kRing = 512;
    int period_;
    RsiWindow total_;
    std::array<int64_t, kRing> up_{};
    std::array<int64_t, kRing> down_{};
};

void computeVolatility(Bars bars);
void computeVlRsi(Bars bars, int period);

}  // namespace tav::analysis
