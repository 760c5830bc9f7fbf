#include <cstdint>

#include "analysis/indicators.h"

namespace tav::analysis {

void addVolumeMove(Bars bars, int t, VolumeSums& sums, int sign) {
    const int64_t volume = sign * bars[t].volume;
    if (bars[t].close > bars[t - 1].close)
        sums.up += volume;
    else if (bars[t].close < bars[t - 1].close)
        sums.down += volume;
    else
        sums.unchanged += volume;
}

int16_t vrFromSums(const VolumeSums& sums) {
    const int64_t half = sums.unchanged / 2;
    const int64_t up = sums.up + half;
    const int64_t down = sums.down + half;
    if (up == 0 || down == 0) return 0;
    // int16 slot: a ratio above 327.67 times wraps, as it always has.
    return toInt16(up * 100 / down);
}

int16_t wakoVrFromSums(const VolumeSums& sums) {
    const int64_t numerator = sums.up - sums.down - sums.unchanged;
    const int64_t denominator = sums.up + sums.down + sums.unchanged;
    if (numerator == 0 || denominator == 0) return 0;
    return toInt16(numerator * 1000 / denominator);
}

namespace {

// Up, down and unchanged volume of the n bars ending at k, sliding forward.
// The sums only count once n < k; before that they read as 0.
struct SlidingVolumeSums {
    VolumeSums sums;
    int period = 0;

    VolumeSums advance(Bars bars, int k) {
        if (k >= 1) addVolumeMove(bars, k, sums, 1);
        if (const int leaving = k - period; leaving >= 1) addVolumeMove(bars, leaving, sums, -1);
        return period < k ? sums : VolumeSums{};
    }
};

}  // namespace

void computeVolumeRatios(Bars bars, int vrPeriod, int wakoVrPeriod) {
    SlidingVolumeSums vr;
    SlidingVolumeSums wako;
    vr.period = vrPeriod;
    wako.period = wakoVrPeriod;
    for (int k = 0; k < count(bars); ++k) {
        const VolumeSums vrSums = vr.advance(bars, k);
        const VolumeSums wakoSums = wako.advance(bars, k);
        if (k >= vrPeriod) bars[k].vr = vrFromSums(vrSums);
        if (k >= wakoVrPeriod) bars[k].wakoVr = wakoVrFromSums(wakoSums);
    }
}

int16_t pvrStep(Bars bars, int j, __int128 weightedSum, int64_t volumeSum) {
    int64_t average = 1;
    if (weightedSum != 0 && volumeSum != 0) {
        // 128-bit division is slow; take the 64-bit one whenever the sum fits.
        if (weightedSum >= INT64_MIN && weightedSum <= INT64_MAX)
            average = static_cast<int64_t>(weightedSum) / volumeSum;
        else
            average = static_cast<int64_t>(weightedSum / volumeSum);
    }
    // An average that truncates to 0 would divide by zero: it counts as 1, as
    // an empty window does.
    if (average == 0) average = 1;
    const __int128 scaled = (static_cast<__int128>(bars[j].close) - average) * 1000;
    const int64_t distance = scaled >= INT64_MIN && scaled <= INT64_MAX
                                 ? static_cast<int64_t>(scaled) / average
                                 : static_cast<int64_t>(scaled / average);
    const int64_t previous = bars[j - 1].pvr;
    const double smoothed = static_cast<double>(distance - previous) * 0.2 + previous;
    return toInt16(truncToInt64(smoothed));
}

void computePvr(Bars bars, int period) {
    for (DailyBar& bar : bars)
        bar.pvr = 0;
    // A zero period has no window (and would read the bar before bar 0).
    if (period <= 0) return;
    // Weighted sums slide exactly in 128 bits (close x volume x 255 bars can
    // pass 64 bits).
    __int128 weightedSum = 0;
    int64_t volumeSum = 0;
    for (int j = 1; j < count(bars); ++j) {
        weightedSum += static_cast<__int128>(closeOrPrevious(bars, j)) * bars[j].volume;
        volumeSum += bars[j].volume;
        if (const int leaving = j - period; leaving >= 1) {
            weightedSum -=
                static_cast<__int128>(closeOrPrevious(bars, leaving)) * bars[leaving].volume;
            volumeSum -= bars[leaving].volume;
        }
        if (j < period || bars[j].close <= 0 || bars[j - period].close <= 0) continue;
        bars[j].pvr = pvrStep(bars, j, weightedSum, volumeSum);
    }
}

}  // namespace tav::analysis
