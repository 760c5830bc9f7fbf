#include "analysis/recompute.h"

namespace tav {

using namespace analysis;

// A bar record spans several cache lines and a series more than the caches
// hold, so the pass runs its steps in three sweeps rather than one sweep per
// indicator. Interleaving is sound because no step reads a slot of a later
// step, and every step at bar k reads only bars up to k of the steps before
// it (and its own). The turn distance is the exception: a confirmation marks
// an earlier bar, so it runs once all marks are set.
void recomputeIndicators(std::span<DailyBar> bars, const AnalysisSettings& s,
                         AnalysisState& state) {
    state.lastRsiWindow = {};
    const int count = analysis::count(bars);

    // Steps 1, 2 and 4 to 8.
    SeriesValuesStep seriesValues;
    TurnPointStep turnPoints(s.spTurnPercent);
    UpBarStep upBars;
    WilliamsStep williams(s.williamsPeriod);
    RsiStep rsi(s.rsiPeriod, &DailyBar::rsi, true);
    RsiStep rsiLong(s.multiRsiLongPeriod, &DailyBar::rsiLong, false);
    RsiStep rsiMid(s.multiRsiMidPeriod, &DailyBar::rsiMid, false);
    RsiStep rsiShort(s.multiRsiShortPeriod, &DailyBar::rsiShort, false);
    RciStep rci(s.rciPeriod, &DailyBar::rci, true);
    RciStep rciLong(s.multiRciLongPeriod, &DailyBar::rciLong, false);
    RciStep rciMid(s.multiRciMidPeriod, &DailyBar::rciMid, false);
    RciStep rciShort(s.multiRciShortPeriod, &DailyBar::rciShort, false);
    VlRsiStep vlRsi(s.vlRsiPeriod);
    DmiStep dmi(s.dmiPeriod);
    for (int k = 0; k < count; ++k) {
        seriesValues.step(bars, k);
        turnPoints.step(bars, k);
        upBars.step(bars, k);
        williams.step(bars, k);
        volatilityStep(bars, k);
        rsi.step(bars, k);
        rsiLong.step(bars, k);
        rsiMid.step(bars, k);
        rsiShort.step(bars, k);
        rci.step(bars, k);
        rciLong.step(bars, k);
        rciMid.step(bars, k);
        rciShort.step(bars, k);
        rocStep(bars, k, s.rocPeriod);
        vlRsi.step(bars, k);
        rangeStep(bars, k);
        dmi.step(bars, k);
    }
    state.values = seriesValues.result();
    state.lastRsiWindow = rsi.lastWindow();

    computeTurnDistance(bars);  // step 3

    // Steps 9 to 16.
    MovingAverageStep maLong(s.maLongPeriod, &DailyBar::maLong);
    MovingAverageStep maMid(s.maMidPeriod, &DailyBar::maMid);
    MovingAverageStep maShort(s.maShortPeriod, &DailyBar::maShort);
    MovingAverageStep waveLine(s.waveLineDays, &DailyBar::waveLine);
    MovingAverageStep bollingerMid(s.bollingerPeriod, &DailyBar::bollingerMid);
    VolumeAverageStep volumeMaShort(s.volumeMaShortPeriod, &DailyBar::volumeMaShort);
    VolumeAverageStep volumeMaLong(s.volumeMaLongPeriod, &DailyBar::volumeMaLong);
    RangeAverageStep rangeAverage;
    AdxStep adx(s.dmiPeriod);
    ParabolicStep parabolic({s.parabolicInitialAf, s.parabolicStepAf, s.parabolicMaxAf,
                             s.parabolicBandPercent, s.parabolicOnClose},
                            state.parabolic);
    HlBandStep hlBand(s.hlBandPeriod);
    IchimokuStep ichimoku({s.kijunPeriod, s.tenkanPeriod, s.chikouShift, s.senkouPeriod});
    MacdAverageStep macdLong(s.macdLongPeriod, &DailyBar::macdLongEma);
    MacdAverageStep macdShort(s.macdShortPeriod, &DailyBar::macdShortEma);
    MacdSignalStep macdSignal(s.macdSignalPeriod);
    StochasticStep stochastics(s.stochPeriod, s.stochSlowPeriod);
    ForceIndexStep forceIndex;
    VolumeRatioStep volumeRatios(s.vrPeriod, s.wakoVrPeriod);
    PvrStep pvr(s.pvrPeriod);
    const bool waveLineShown = s.waveLineDays != 0;
    for (int i = 0; i < count; ++i) {
        maLong.step(bars, i);
        maMid.step(bars, i);
        maShort.step(bars, i);
        if (waveLineShown) waveLine.step(bars, i);
        bollingerMid.step(bars, i);
        volumeMaShort.step(bars, i);
        volumeMaLong.step(bars, i);
        rangeAverage.step(bars, i);
        adx.step(bars, i);
        parabolic.step(bars, i);
        deviationStep(bars, i);
        hlBand.step(bars, i);
        ichimoku.step(bars, i);
        macdLong.step(bars, i);
        macdShort.step(bars, i);
        macdLineStep(bars, i);
        macdSignal.step(bars, i);
        stochastics.step(bars, i);
        forceIndex.step(bars, i);
        volumeRatios.step(bars, i);
        pvr.step(bars, i);
        turnMarkStep(bars, i);
    }
}

}  // namespace tav
