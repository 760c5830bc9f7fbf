#include "analysis/indicators.h"

namespace tav::analysis {

void computeMacdAverage(Bars bars, int period, float DailyBar::*slot) {
    // A zero period would weigh the close by 2 and the previous average by
    // -1, which diverges: such an average reads 0.
    if (period <= 0) {
        for (int j = 1; j < count(bars); ++j)
            bars[j].*slot = 0.0f;
        return;
    }
    // The factor is rounded to single precision; the update itself runs in
    // extended precision and is stored in single precision. A period of 1
    // gives a factor of 1: the average is the close itself from bar 1 on.
    const float alpha = 2.0f / static_cast<float>(period + 1);
    const long double weight = alpha;
    for (int j = 1; j < count(bars); ++j) {
        float value = 0.0f;
        if (j == period - 1) {
            value = static_cast<float>(movingAverageAt(bars, j, period));
        } else if (j >= period) {
            value =
                static_cast<float>((1.0L - weight) * static_cast<long double>(bars[j - 1].*slot) +
                                   weight * static_cast<long double>(bars[j].close));
        }
        bars[j].*slot = value;
    }
}

void computeMacdLine(Bars bars) {
    for (int j = 1; j < count(bars); ++j) {
        // Single-precision difference and scaling, as the two averages are stored.
        const float scaled = (bars[j].macdShortEma - bars[j].macdLongEma) * 10.0f;
        bars[j].macd = toInt32(truncToInt64(scaled));
    }
}

int64_t macdContribution(Bars bars, int t) {
    return bars[t].macd != 0 ? bars[t].macd : bars[t - 1].macd;
}

void computeMacdSignal(Bars bars, int period) {
    if (period <= 0) {
        for (int j = 1; j < count(bars); ++j)
            bars[j].macdSignal = 0;
        return;
    }
    int64_t sum = 0;
    for (int j = 1; j < count(bars); ++j) {
        sum += macdContribution(bars, j);
        if (const int leaving = j - period; leaving >= 1) sum -= macdContribution(bars, leaving);
        bars[j].macdSignal = toInt32(sum / period);
    }
}

void computeMacd(Bars bars, int longPeriod, int shortPeriod, int signalPeriod) {
    computeMacdAverage(bars, longPeriod, &DailyBar::macdLongEma);
    computeMacdAverage(bars, shortPeriod, &DailyBar::macdShortEma);
    computeMacdLine(bars);
    computeMacdSignal(bars, signalPeriod);
}

}  // namespace tav::analysis
