#include "analysis/macd.h"

namespace tav::analysis {

void computeMacdAverage(Bars bars, int period, float DailyBar::*slot) {
    MacdAverageStep step(period, slot);
    for (int j = 0; j < count(bars); ++j)
        step.step(bars, j);
}

void computeMacdLine(Bars bars) {
    for (int j = 0; j < count(bars); ++j)
        macdLineStep(bars, j);
}

void computeMacdSignal(Bars bars, int period) {
    MacdSignalStep step(period);
    for (int j = 0; j < count(bars); ++j)
        step.step(bars, j);
}

void computeMacd(Bars bars, int longPeriod, int shortPeriod, int signalPeriod) {
    computeMacdAverage(bars, longPeriod, &DailyBar::macdLongEma);
    computeMacdAverage(bars, shortPeriod, &DailyBar::macdShortEma);
    computeMacdLine(bars);
    computeMacdSignal(bars, signalPeriod);
}

}  // namespace tav::analysis
