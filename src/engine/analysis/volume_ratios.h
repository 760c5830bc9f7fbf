#pragma once

#include <cstdint>

#include "analysis/slot_math.h"

namespace tav::analysis {

// Volumes of the up, down and unchanged bars of a window: 128-bit sums, or
// 64-bit ones for a series that fits (`volumesFit64`).
template <class Sum>
struct BasicVolumeSums {
    Sum up = 0;
    Sum down = 0;
    Sum unchanged = 0;
};
using VolumeSums = BasicVolumeSums<Wide>;

// Adds (sign 1) or removes (sign -1) the volume of bar t (t >= 1) on its side.
// Kept inline: it runs four times a bar, and as a call it costs more than its body.
template <class Sum>
[[gnu::always_inline]] inline void addVolumeMove(Bars bars, int t, BasicVolumeSums<Sum>& sums, int sign) {
    // Without branches: the direction of a move is as good as random.
    const Sum volume = Sum{sign} * bars[t].volume;
    const int32_t close = bars[t].close;
    const int32_t before = bars[t - 1].close;
    sums.up += close > before ? volume : 0;
    sums.down += close < before ? volume : 0;
    sums.unchanged += close == before ? volume : 0;
}

template <class Sum>
int16_t vrFromSums(const BasicVolumeSums<Sum>& sums) {
    const Sum half = sums.unchanged / 2;
    const Sum up = sums.up + half;
    const Sum down = sums.down + half;
    if (up == 0 || down == 0) return 0;
    // int16 slot: a ratio above 327.67 times wraps, as it always has.
    return toInt16(saturate64(up * 100 / down));
}

template <class Sum>
int16_t wakoVrFromSums(const BasicVolumeSums<Sum>& sums) {
    const Sum numerator = sums.up - sums.down - sums.unchanged;
    const Sum denominator = sums.up + sums.down + sums.unchanged;
    if (numerator == 0 || denominator == 0) return 0;
    return toInt16(saturate64(numerator * 1000 / denominator));
}

// Up, down and unchanged volume of the n bars ending at k, sliding forward.
// The sums only count once n < k; before that they read as 0.
template <class Sum>
class SlidingVolumeSums {
  public:
    explicit SlidingVolumeSums(int period) : period_(period) {}

    BasicVolumeSums<Sum> advance(Bars bars, int k) {
        if (k >= 1) addVolumeMove(bars, k, sums_, 1);
        if (const int leaving = k - period_; leaving >= 1) addVolumeMove(bars, leaving, sums_, -1);
        return period_ < k ? sums_ : BasicVolumeSums<Sum>{};
    }

  private:
    int period_;
    BasicVolumeSums<Sum> sums_;
};

// Step 15, bar by bar: `vr` and `wakoVr` for k at or above their periods.
template <class Sum = Wide>
class VolumeRatioStep {
  public:
    VolumeRatioStep(int vrPeriod, int wakoVrPeriod)
        : vrPeriod_(vrPeriod), wakoVrPeriod_(wakoVrPeriod), vr_(vrPeriod), wako_(wakoVrPeriod) {}

    void step(Bars bars, int k) {
        const BasicVolumeSums<Sum> vrSums = vr_.advance(bars, k);
        const BasicVolumeSums<Sum> wakoSums = wako_.advance(bars, k);
        if (k >= vrPeriod_) bars[k].vr = vrFromSums(vrSums);
        if (k >= wakoVrPeriod_) bars[k].wakoVr = wakoVrFromSums(wakoSums);
    }

  private:
    int vrPeriod_;
    int wakoVrPeriod_;
    SlidingVolumeSums<Sum> vr_;
    SlidingVolumeSums<Sum> wako_;
};

// The smoothed `pvr` of bar j from the weighted close and volume sums of its
// window. The sums are 128-bit, or 64-bit ones for a series that fits
// (`volumesFit64`); both give the same value.
template <class Sum>
int16_t pvrStep(Bars bars, int j, Sum weightedSum, Sum volumeSum) {
    int64_t average = 1;
    if (weightedSum != 0 && volumeSum != 0) {
        // 128-bit division is slow; take the 64-bit one whenever both fit.
        if (weightedSum > INT64_MIN && weightedSum <= INT64_MAX && volumeSum > INT64_MIN &&
            volumeSum <= INT64_MAX)
            average = static_cast<int64_t>(weightedSum) / static_cast<int64_t>(volumeSum);
        else
            average = saturate64(Wide{weightedSum} / Wide{volumeSum});
    }
    // An average that truncates to 0 would divide by zero: it counts as 1, as
    // an empty window does.
    if (average == 0) average = 1;
    int64_t distance;
    int64_t difference;
    int64_t scaled;
    if (!__builtin_sub_overflow(int64_t{bars[j].close}, average, &difference) &&
        !__builtin_mul_overflow(difference, 1000, &scaled) && scaled != INT64_MIN) {
        distance = scaled / average;
    } else {
        const Wide wideScaled = (Wide{bars[j].close} - average) * 1000;
        distance = static_cast<int64_t>(wideScaled / average);
    }
    const int64_t previous = bars[j - 1].pvr;
    const double smoothed =
        (static_cast<double>(distance) - static_cast<double>(previous)) * 0.2 + previous;
    return toInt16(truncToInt64(smoothed));
}

// Step 15, bar by bar: `pvr`, cleared to 0, for j >= n when close[j] and
// close[j - n] are positive. The weighted sums slide exactly, in 128 bits
// (close x volume x 255 bars can pass 64 bits) unless the series fits 64
// (`volumesFit64`). A zero period has no window (and would read the bar
// before bar 0): `pvr` stays 0.
template <class Sum = Wide>
class PvrStep {
  public:
    explicit PvrStep(int period) : period_(period) {}

    void step(Bars bars, int j) {
        bars[j].pvr = 0;
        if (period_ <= 0 || j < 1) return;
        weightedSum_ += Sum{closeOrPrevious(bars, j)} * bars[j].volume;
        volumeSum_ += bars[j].volume;
        if (const int leaving = j - period_; leaving >= 1) {
            weightedSum_ -= Sum{closeOrPrevious(bars, leaving)} * bars[leaving].volume;
            volumeSum_ -= bars[leaving].volume;
        }
        if (j < period_ || bars[j].close <= 0 || bars[j - period_].close <= 0) return;
        bars[j].pvr = pvrStep(bars, j, weightedSum_, volumeSum_);
    }

  private:
    int period_;
    Sum weightedSum_ = 0;
    Sum volumeSum_ = 0;
};

void computeVolumeRatios(Bars bars, int vrPeriod, int wakoVrPeriod);
void computePvr(Bars bars, int period);

}  // namespace tav::analysis
