#include "analysis/indicators.h"

namespace tav::analysis {

namespace {

constexpr int64_t kThousandsVolume = 1'000'000;  // above this the mean is taken in thousands
constexpr int kDeviationFirstBar = 26;           // fixed: does not follow the periods

}  // namespace

int32_t movingAverageAt(Bars bars, int bar, int period) {
    int64_t sum = 0;
    for (int t = bar - period + 1; t <= bar; ++t)
        if (t >= 1) sum += closeOrPrevious(bars, t);
    return toInt32(sum / period);
}

void computeMovingAverage(Bars bars, int period, int32_t DailyBar::*slot) {
    // A zero period has no average: the line reads 0 on every bar.
    if (period <= 0) {
        for (DailyBar& bar : bars)
            bar.*slot = 0;
        return;
    }
    int64_t sum = 0;
    for (int i = 0; i < count(bars); ++i) {
        if (i >= 1) sum += closeOrPrevious(bars, i);
        if (const int leaving = i - period; leaving >= 1) sum -= closeOrPrevious(bars, leaving);
        bars[i].*slot = toInt32(sum / period);
    }
}

int64_t volumeContribution(Bars bars, int t) {
    return bars[t].volume != 0 ? bars[t].volume : bars[t - 1].volume;
}

int64_t volumeAverageFromSums(int64_t sum, int64_t thousandsSum, bool thousands, int period) {
    const int64_t mean = thousands ? thousandsSum / period * 1000 : sum / period;
    // Taken as a 32-bit value, sign-extended into the 64-bit slot.
    return toInt32(mean);
}

void computeVolumeAverage(Bars bars, int period, int64_t DailyBar::*slot) {
    if (period <= 0) {
        for (DailyBar& bar : bars)
            bar.*slot = 0;
        return;
    }
    // Both sums slide; which one is used depends on whether the window (bar 0
    // included) holds a volume above a million.
    int64_t sum = 0;
    int64_t thousandsSum = 0;
    int largeVolumes = 0;
    for (int i = 0; i < count(bars); ++i) {
        if (bars[i].volume > kThousandsVolume) ++largeVolumes;
        if (i >= 1) {
            const int64_t volume = volumeContribution(bars, i);
            sum += volume;
            thousandsSum += volume / 1000;
        }
        if (const int leaving = i - period; leaving >= 0) {
            if (bars[leaving].volume > kThousandsVolume) --largeVolumes;
            if (leaving >= 1) {
                const int64_t volume = volumeContribution(bars, leaving);
                sum -= volume;
                thousandsSum -= volume / 1000;
            }
        }
        bars[i].*slot = volumeAverageFromSums(sum, thousandsSum, largeVolumes > 0, period);
    }
}

void computeDeviations(Bars bars) {
    for (int i = 0; i < count(bars); ++i) {
        DailyBar& bar = bars[i];
        if (i >= kDeviationFirstBar && bar.maShort != 0) {
            // int16 slots: a short average far from the long one wraps, as it always has.
            bar.deviationLong = toInt16((int64_t{bar.maShort} - bar.maLong) * 1000 / bar.maShort);
            bar.deviationMid = toInt16((int64_t{bar.maShort} - bar.maMid) * 1000 / bar.maShort);
        } else {
            bar.deviationLong = -10000;
        }
    }
}

}  // namespace tav::analysis
