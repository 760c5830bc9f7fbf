#include "analysis/indicators.h"
#include "analysis/sliding_extreme.h"

namespace tav::analysis {

int32_t stochasticK(const StochasticPair& pair) {
    if (pair.num == 0 || pair.den == 0) return 0;
    return toInt32(int64_t{pair.num} * 1000 / pair.den);
}

int32_t stochasticD(int64_t numSum, int64_t denSum, int slowPeriod, int k) {
    if (slowPeriod >= k || numSum == 0 || denSum == 0) return 0;
    return toInt32(numSum * 1000 / denSum);
}

int32_t stochasticSlowD(int64_t dSum, int slowPeriod, int k) {
    if (slowPeriod >= k || dSum == 0) return 0;
    return toInt32(dSum / slowPeriod);
}

void computeStochastics(Bars bars, int period, int slowPeriod,
                        std::vector<StochasticPair>& scratch) {
    // Reused between passes: resizing within the capacity allocates nothing.
    scratch.assign(bars.size(), StochasticPair{});
    SlidingMax highs;
    SlidingMin lows;
    for (int j = 0; j < count(bars); ++j) {
        highs.push(j, bars[j].high);
        lows.push(j, bars[j].low);
        highs.dropBefore(j - period);
        lows.dropBefore(j - period);
        if (j < 1 || j < period) continue;
        scratch[j].num = toInt32(bars[j].close - lows.value());
        scratch[j].den = toInt32(highs.value() - lows.value());
    }
    // The m-bar sums slide (integers). stochD of bars up to n is not written
    // here but still enters the slow sum as it stands.
    int64_t numSum = 0;
    int64_t denSum = 0;
    int64_t dSum = 0;
    for (int k = 0; k < count(bars); ++k) {
        numSum += scratch[k].num;
        denSum += scratch[k].den;
        if (const int leaving = k - slowPeriod; leaving >= 0) {
            numSum -= scratch[leaving].num;
            denSum -= scratch[leaving].den;
        }
        if (k > period) {
            bars[k].stochK = stochasticK(scratch[k]);
            bars[k].stochD = stochasticD(numSum, denSum, slowPeriod, k);
        }
        dSum += bars[k].stochD;
        if (const int leaving = k - slowPeriod; leaving >= 0) dSum -= bars[leaving].stochD;
        if (k > period) bars[k].stochSlowD = stochasticSlowD(dSum, slowPeriod, k);
    }
}

}  // namespace tav::analysis
