#pragma once

#include "analysis/moving_averages.h"
#include "analysis/slot_math.h"

namespace tav::analysis {

// Step 12, bar by bar from bar 1: one exponential average of the close into
// `slot`. Seeded on bar n - 1 with the moving average; from bar n on updated
// with the factor 2 / (n + 1) rounded to single precision, the update itself
// in extended precision and stored in single precision; 0 before bar n - 1.
// A period of 1 gives a factor of 1, so the average is the close itself from
// bar 1 on. A zero period would weigh the close by 2 and the previous average
// by -1, which diverges: such an average reads 0.
class MacdAverageStep {
  public:
    MacdAverageStep(int period, float DailyBar::*slot)
        : period_(period), slot_(slot), weight_(2.0f / static_cast<float>(period + 1)) {}

    void step(Bars bars, int j) {
        if (j < 1) return;
        float value = 0.0f;
        if (period_ <= 0) {
            value = 0.0f;
        } else if (j == period_ - 1) {
            value = static_cast<float>(movingAverageAt(bars, j, period_));
        } else if (j >= period_) {
            value =
                static_cast<float>((1.0L - weight_) * static_cast<long double>(bars[j - 1].*slot_) +
                                   weight_ * static_cast<long double>(bars[j].close));
        }
        bars[j].*slot_ = value;
    }

  private:
    int period_;
    float DailyBar::*slot_;
    long double weight_;  // exactly the single-precision factor
};

// Step 12, one bar from bar 1: `macd` = (short - long) x 10 in single
// precision, as the two averages are stored, truncated toward zero.
inline void macdLineStep(Bars bars, int j) {
    if (j < 1) return;
    const float scaled = (bars[j].macdShortEma - bars[j].macdLongEma) * 10.0f;
    bars[j].macd = toInt32(truncToInt64(scaled));
}

// The `macd` value bar t contributes to the signal line: the previous bar's when 0.
inline int64_t macdContribution(Bars bars, int t) {
    return bars[t].macd != 0 ? bars[t].macd : bars[t - 1].macd;
}

// Step 12, bar by bar from bar 1: `macdSignal`, the simple average of `macd`
// computed like the price average (the sum slides exactly). A zero period reads 0.
class MacdSignalStep {
  public:
    explicit MacdSignalStep(int period) : period_(period) {}

    void step(Bars bars, int j) {
        if (j < 1) return;
        if (period_ <= 0) {
            bars[j].macdSignal = 0;
            return;
        }
        sum_ += macdContribution(bars, j);
        if (const int leaving = j - period_; leaving >= 1) sum_ -= macdContribution(bars, leaving);
        bars[j].macdSignal = toInt32(sum_ / period_);
    }

  private:
    int period_;
    int64_t sum_ = 0;
};

void computeMacdAverage(Bars bars, int period, float DailyBar::*slot);
void computeMacdLine(Bars bars);
void computeMacdSignal(Bars bars, int period);
void computeMacd(Bars bars, int longPeriod, int shortPeriod, int signalPeriod);

}  // namespace tav::analysis
