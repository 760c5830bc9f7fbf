#pragma once

#include <type_traits>

#include "analysis/slot_math.h"

namespace tav::analysis {

constexpr int64_t kThousandsVolume = 1'000'000;  // above this the mean is taken in thousands
constexpr int kDeviationFirstBar = 26;           // fixed: does not follow the periods

// Price moving average of bar i over n > 0 bars: bars at index 0 or below
// count nothing, a zero close counts as the previous close, the divisor is n.
int32_t movingAverageAt(Bars bars, int bar, int period);

// What bar i adds to a price average: its close, the previous close when 0,
// nothing for bar 0.
inline int64_t closeContribution(Bars bars, int i) {
    return i >= 1 ? closeOrPrevious(bars, i) : 0;
}

// Step 9, bar by bar: a price moving average into `slot`; the sum slides
// exactly. A zero period has no average: the line reads 0 on every bar.
class MovingAverageStep {
  public:
    MovingAverageStep(int period, int32_t DailyBar::*slot) : period_(period), slot_(slot) {}

    // `contributions` holds what bar i and the bars before it add (0 for bar 0).
    void step(Bars bars, int i, const RecentValues& contributions) {
        if (period_ <= 0) {
            bars[i].*slot_ = 0;
            return;
        }
        sum_ += contributions[i];
        if (const int leaving = i - period_; leaving >= 0) sum_ -= contributions[leaving];
        bars[i].*slot_ = toInt32(sum_ / period_);
    }

  private:
    int period_;
    int32_t DailyBar::*slot_;
    int64_t sum_ = 0;
};

// The volume bar t contributes to a volume average: the previous bar's when 0.
inline int64_t volumeContribution(Bars bars, int t) {
    return bars[t].volume != 0 ? bars[t].volume : bars[t - 1].volume;
}

// The stored volume average from the window sums: in thousands mode the mean
// of the thousands times 1000; taken as a 32-bit value, sign-extended.
// Sums of 64 bits are those of a series that fits (`volumesFit64`).
template <class Sum>
int64_t volumeAverageFromSums(Sum sum, Sum thousandsSum, bool thousands, int period) {
    if constexpr (std::is_same_v<Sum, int64_t>) {
        return toInt32(thousands ? thousandsSum / period * 1000 : sum / period);
    } else {
        const int64_t mean = thousands
                                 ? saturate64(Wide{divideSaturated(thousandsSum, period)} * 1000)
                                 : divideSaturated(sum, period);
        return toInt32(mean);
    }
}

// Step 9, bar by bar: a volume moving average into `slot`. Both sums slide;
// which one is used depends on whether the window (bar 0 included) holds a
// volume above a million. A zero period reads 0. The sums are 128-bit unless
// the series fits 64 (`volumesFit64`).
template <class Sum = Wide>
class VolumeAverageStep {
  public:
    VolumeAverageStep(int period, int64_t DailyBar::*slot) : period_(period), slot_(slot) {}

    void step(Bars bars, int i) {
        if (period_ <= 0) {
            bars[i].*slot_ = 0;
            return;
        }
        if (bars[i].volume > kThousandsVolume) ++largeVolumes_;
        if (i >= 1) {
            const int64_t volume = volumeContribution(bars, i);
            sum_ += volume;
            thousandsSum_ += volume / 1000;
        }
        if (const int leaving = i - period_; leaving >= 0) {
            if (bars[leaving].volume > kThousandsVolume) --largeVolumes_;
            if (leaving >= 1) {
                const int64_t volume = volumeContribution(bars, leaving);
                sum_ -= volume;
                thousandsSum_ -= volume / 1000;
            }
        }
        bars[i].*slot_ = volumeAverageFromSums(sum_, thousandsSum_, largeVolumes_ > 0, period_);
    }

  private:
    int period_;
    int64_t DailyBar::*slot_;
    Sum sum_ = 0;
    Sum thousandsSum_ = 0;
    int largeVolumes_ = 0;
};

// Step 9 (last), one bar: `deviationLong` and `deviationMid` from bar 26 on
// when `maShort` is not 0; otherwise `deviationLong` = -10000 (not defined)
// and `deviationMid` keeps its value.
inline void deviationStep(Bars bars, int i) {
    DailyBar& bar = bars[i];
    if (i >= kDeviationFirstBar && bar.maShort != 0) {
        // int16 slots: a short average far from the long one wraps, as it always has.
        bar.deviationLong = toInt16((int64_t{bar.maShort} - bar.maLong) * 1000 / bar.maShort);
        bar.deviationMid = toInt16((int64_t{bar.maShort} - bar.maMid) * 1000 / bar.maShort);
    } else {
        bar.deviationLong = -10000;
    }
}

void computeMovingAverage(Bars bars, int period, int32_t DailyBar::*slot);
void computeVolumeAverage(Bars bars, int period, int64_t DailyBar::*slot);
void computeDeviations(Bars bars);

}  // namespace tav::analysis
