#include "analysis/recompute.h"

namespace tav {

using namespace analysis;

void recomputeIndicators(std::span<DailyBar> bars, const AnalysisSettings& s,
                         AnalysisState& state) {
    state.parabolic = {};
    state.lastRsiWindow = {};

    state.values = computeSeriesValues(bars);  // 1
    computeTurnPoints(bars, s.spTurnPercent);  // 2
    computeTurnDistance(bars);                 // 3
    computeUpBars(bars);                       // 4
    computeWilliamsR(bars, s.williamsPeriod);  // 5

    // 6. Each oscillator reads only closes and volatility5, so one sweep per
    // oscillator gives what one sweep per bar would.
    computeVolatility(bars);
    state.lastRsiWindow = computeRsi(bars, s.rsiPeriod, &DailyBar::rsi, true);
    computeRsi(bars, s.multiRsiLongPeriod, &DailyBar::rsiLong, false);
    computeRsi(bars, s.multiRsiMidPeriod, &DailyBar::rsiMid, false);
    computeRsi(bars, s.multiRsiShortPeriod, &DailyBar::rsiShort, false);
    computeRci(bars, s.rciPeriod, &DailyBar::rci, true);
    computeRci(bars, s.multiRciLongPeriod, &DailyBar::rciLong, false);
    computeRci(bars, s.multiRciMidPeriod, &DailyBar::rciMid, false);
    computeRci(bars, s.multiRciShortPeriod, &DailyBar::rciShort, false);
    computeRoc(bars, s.rocPeriod);
    computeVlRsi(bars, s.vlRsiPeriod);

    computeRange(bars);             // 7
    computeDmi(bars, s.dmiPeriod);  // 8

    // 9. Within a bar these read only earlier steps and their own earlier
    // bars (the deviations read this bar's averages), so they run one sweep each.
    computeMovingAverage(bars, s.maLongPeriod, &DailyBar::maLong);
    computeMovingAverage(bars, s.maMidPeriod, &DailyBar::maMid);
    computeMovingAverage(bars, s.maShortPeriod, &DailyBar::maShort);
    if (s.waveLineDays != 0) computeMovingAverage(bars, s.waveLineDays, &DailyBar::waveLine);
    computeMovingAverage(bars, s.bollingerPeriod, &DailyBar::bollingerMid);
    computeVolumeAverage(bars, s.volumeMaShortPeriod, &DailyBar::volumeMaShort);
    computeVolumeAverage(bars, s.volumeMaLongPeriod, &DailyBar::volumeMaLong);
    computeRangeAverage(bars);
    computeAdx(bars, s.dmiPeriod);
    computeParabolic(bars,
                     {s.parabolicInitialAf, s.parabolicStepAf, s.parabolicMaxAf,
                      s.parabolicBandPercent, s.parabolicOnClose},
                     state.parabolic);
    computeDeviations(bars);

    computeHlBand(bars, s.hlBandPeriod);                                                    // 10
    computeIchimoku(bars, {s.kijunPeriod, s.tenkanPeriod, s.chikouShift, s.senkouPeriod});  // 11
    computeMacd(bars, s.macdLongPeriod, s.macdShortPeriod, s.macdSignalPeriod);             // 12
    computeStochastics(bars, s.stochPeriod, s.stochSlowPeriod, state.stochasticScratch);    // 13
    computeForceIndex(bars);                                                                // 14
    computeVolumeRatios(bars, s.vrPeriod, s.wakoVrPeriod);                                  // 15
    computePvr(bars, s.pvrPeriod);
    computeTurnMarks(bars);  // 16
}

}  // namespace tav
