#pragma once

#include <array>
#include <utility>
#include <vector>

#include "analysis/sliding_extreme.h"
#include "analysis/slot_math.h"

namespace tav::analysis {

// One entry per bar: close - lowest low and highest high - lowest low.
struct StochasticPair {
    int32_t num = 0;
    int32_t den = 0;
};

inline int32_t stochasticK(const StochasticPair& pair) {
    if (pair.num == 0 || pair.den == 0) return 0;
    return toInt32(int64_t{pair.num} * 1000 / pair.den);
}

inline int32_t stochasticD(int64_t numSum, int64_t denSum, int slowPeriod, int k) {
    if (slowPeriod >= k || numSum == 0 || denSum == 0) return 0;
    return toInt32(numSum * 1000 / denSum);
}

inline int32_t stochasticSlowD(int64_t dSum, int slowPeriod, int k) {
    if (slowPeriod >= k || dSum == 0) return 0;
    return toInt32(dSum / slowPeriod);
}

// Step 13, bar by bar: `stochK`, `stochD`, `stochSlowD` for k > n. The pairs
// of the last m bars are all the m-bar sums need, so they live in a fixed ring
// (0 for bars before max(1, n)) instead of a per-bar array; the sums slide
// exactly. `stochD` of the bars up to n is not written here but enters the
// slow sum as it stands.
// `extremes(firstBar)` gives the highest high and lowest low from firstBar to
// k; it is called for k >= max(1, n).
class StochasticStep {
  public:
    StochasticStep(int period, int slowPeriod) : period_(period), slowPeriod_(slowPeriod) {}

    template <typename Extremes>
    void step(Bars bars, int k, Extremes extremes) {
        StochasticPair pair;
        if (k >= 1 && k >= period_) {
            const auto [highest, lowest] = extremes(k - period_);
            pair.num = toInt32(bars[k].close - lowest);
            pair.den = toInt32(highest - lowest);
        }
        pairs_[k % kRing] = pair;
        numSum_ += pair.num;
        denSum_ += pair.den;
        if (const int leaving = k - slowPeriod_; leaving >= 0) {
            numSum_ -= pairs_[leaving % kRing].num;
            denSum_ -= pairs_[leaving % kRing].den;
        }
        if (k > period_) {
            bars[k].stochK = stochasticK(pair);
            bars[k].stochD = stochasticD(numSum_, denSum_, slowPeriod_, k);
        }
        dSum_ += bars[k].stochD;
        if (const int leaving = k - slowPeriod_; leaving >= 0) dSum_ -= bars[leaving].stochD;
        if (k > period_) bars[k].stochSlowD = stochasticSlowD(dSum_, slowPeriod_, k);
    }

  private:
    static constexpr int kRing = 256;
    int period_;
    int slowPeriod_;
    std::array<StochasticPair, kRing> pairs_{};
    int64_t numSum_ = 0;
    int64_t denSum_ = 0;
    int64_t dSum_ = 0;
};

void computeStochastics(Bars bars, int period, int slowPeriod);

}  // namespace tav::analysis
