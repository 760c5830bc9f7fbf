#include "analysis/volatility_rsi.h"

#include <algorithm>
#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tav::analysis {

namespace {

// Two bars side by side, one per lane; every lane takes the scalar operations.
constexpr int kLanes = 2;
using Doubles = double __attribute__((vector_size(kLanes * sizeof(double))));

Doubles loadDoubles(const double* values) {
    Doubles lanes;
    std::memcpy(&lanes, values, sizeof lanes);
    return lanes;
}

// The correctly rounded square root of each lane, as std::sqrt gives it.
Doubles squareRoot(Doubles values) {
#if defined(__SSE2__)
    return reinterpret_cast<Doubles>(_mm_sqrt_pd(reinterpret_cast<__m128d>(values)));
#else
    Doubles roots;
    for (int lane = 0; lane < kLanes; ++lane)
        roots[lane] = std::sqrt(values[lane]);
    return roots;
#endif
}

constexpr int kBlock = 64;

}  // namespace

void computeVolatilityRange(Bars bars, int begin, int end) {
    constexpr int kBefore = kVolatilityBars - 1;
    begin = std::max(begin, kBefore);
    double closes[kBlock + kBefore];
    while (begin < end) {
        const int blockEnd = std::min(end, begin + kBlock);
        // closes[i] is the close of bar begin - 4 + i.
        for (int t = begin - kBefore; t < blockEnd; ++t)
            closes[t - begin + kBefore] = bars[t].close;
        int k = begin;
        for (; k + kLanes <= blockEnd; k += kLanes) {
            Doubles mean = {};
            Doubles squares = {};
#pragma GCC unroll 5
            for (int i = 0; i < kVolatilityBars; ++i) {
                const Doubles x = loadDoubles(closes + (k - begin) + i);
                const Doubles delta = x - mean;
                mean += delta / static_cast<double>(i + 1);
                squares += delta * (x - mean);
            }
            const Doubles variance = squares / static_cast<double>(kVolatilityBars - 1);
            const Doubles deviation = squareRoot(variance);
            for (int lane = 0; lane < kLanes; ++lane)
                bars[k + lane].volatility5 = deviation[lane];
        }
        for (; k < blockEnd; ++k)
            volatilityStep(bars, k);
        begin = blockEnd;
    }
}

VlRsiScale vlRsiScale(Bars bars, int k, int period) {
    // Re-summed per bar, oldest first: a running double sum would not give
    // the same bits.
    double sum = 0.0;
    for (int t = k - kVolatilityMeanBars + 1; t <= k; ++t)
        sum += bars[t].volatility5;
    const double mean = 0.1 * sum;
    return {mean, period / (bars[k].volatility5 / mean + 0.1)};
}

void vlRsiScales(Bars bars, int begin, int end, int period, VlRsiScale* scales) {
    constexpr int kBefore = kVolatilityMeanBars - 1;
    // volatilities[i] is the volatility of bar begin - 9 + i.
    double volatilities[kVlRsiScalesAtOnce + kBefore];
    for (int t = begin - kBefore; t < end; ++t)
        volatilities[t - begin + kBefore] = bars[t].volatility5;
    int k = begin;
    for (; k + kLanes <= end; k += kLanes) {
        const double* oldest = volatilities + (k - begin);
        Doubles sum = {};
#pragma GCC unroll 10
        for (int t = 0; t < kVolatilityMeanBars; ++t)
            sum += loadDoubles(oldest + t);
        const Doubles mean = 0.1 * sum;
        const Doubles length =
            static_cast<double>(period) / (loadDoubles(oldest + kBefore) / mean + 0.1);
        for (int lane = 0; lane < kLanes; ++lane)
            scales[k - begin + lane] = {mean[lane], length[lane]};
    }
    for (; k < end; ++k)
        scales[k - begin] = vlRsiScale(bars, k, period);
}

void computeVolatility(Bars bars) {
    for (int k = 0; k < count(bars); ++k)
        volatilityStep(bars, k);
}

void computeVlRsi(Bars bars, int period) {
    VlRsiStep step(period);
    for (int k = 0; k < count(bars); ++k)
        step.step(bars, k);
}

}  // namespace tav::analysis
