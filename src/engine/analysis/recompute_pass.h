#pragma once

#include <algorithm>
#include <cstdint>
#include <span>
#include <utility>

#include "analysis/block_extremes.h"
#include "analysis/recompute.h"

// The production pass itself, for the two translation units that instantiate
// it: 64-bit volume sums in recompute.cpp, 128-bit ones in recompute_wide.cpp.
// Each unit holds one instantiation so the compiler inlines the steps into it
// as it would into a single pass.
namespace tav::analysis {

inline int64_t midpoint(std::pair<int64_t, int64_t> extremes) {
    return (extremes.first + extremes.second) / 2;
}

// The steps run interleaved in two sweeps (and the RCIs' walk) rather than
// one sweep per indicator, so each bar record is visited a few times instead
// of dozens and the steps can share per-bar values and window queues.
// Interleaving gives the same slots as the fixed order because no step reads
// a slot of a later step, and every step at bar k reads only bars up to k of
// the steps before it (and its own). The turn distance is the exception: a
// confirmation marks an earlier bar, so it waits for the second sweep, when
// all marks are set. Williams %R joins the second sweep: only the turning
// marks read it.
//
// A sweep goes through the bars a chunk at a time, small enough to stay in
// the first-level cache while a loop per family or group of families passes
// over it: small loops overlap from bar to bar where one long one cannot.
// Steps that share a ring of the last 256 bars stay in one loop.
//
// Sum is the width of the volume sums: 64 bits for a series that fits
// (`volumesFit64`), else 128.
constexpr int kChunkBars = 64;

template <class Sum>
void recomputeWith(std::span<DailyBar> bars, const AnalysisSettings& s, AnalysisState& state) {
    state.lastRsiWindow = {};
    const int count = analysis::count(bars);

    // The RCIs (step 6) read only closes, and no later step of this sweep
    // reads them: they run on their own, in one walk of their own.
    const RciLine rciLines[kRciLines] = {
        {s.rciPeriod, &DailyBar::rci, true},
        {s.multiRciLongPeriod, &DailyBar::rciLong, false},
        {s.multiRciMidPeriod, &DailyBar::rciMid, false},
        {s.multiRciShortPeriod, &DailyBar::rciShort, false},
    };
    computeRcis(bars, rciLines);

    // Steps 1, 2, 4 and 6 to 8.
    SeriesValuesStep<Sum> seriesValues;
    TurnPointStep turnPoints(s.spTurnPercent);
    UpBarStep upBars;
    RsiStep rsi(s.rsiPeriod, &DailyBar::rsi, true);
    RsiStep rsiLong(s.multiRsiLongPeriod, &DailyBar::rsiLong, false);
    RsiStep rsiMid(s.multiRsiMidPeriod, &DailyBar::rsiMid, false);
    RsiStep rsiShort(s.multiRsiShortPeriod, &DailyBar::rsiShort, false);
    VlRsiStep vlRsi(s.vlRsiPeriod);
    DmiStep dmi(s.dmiPeriod);
    RecentValues ups;
    RecentValues downs;
    for (int begin = 0; begin < count; begin += kChunkBars) {
        const int end = std::min(count, begin + kChunkBars);
        computeVolatilityRange(bars, begin, end);
        // The RSIs share the moves of the last 256 bars: one loop.
        for (int k = begin; k < end; ++k) {
            recordMoves(bars, k, ups, downs);
            rsi.step(bars, k, ups, downs);
            rsiLong.step(bars, k, ups, downs);
            rsiMid.step(bars, k, ups, downs);
            rsiShort.step(bars, k, ups, downs);
            rocStep(bars, k, s.rocPeriod);
        }
        for (int k = begin; k < end; ++k) {
            seriesValues.step(bars, k);
            turnPoints.step(bars, k);
            upBars.step(bars, k);
            rangeStep(bars, k);
            dmi.step(bars, k);
        }
        vlRsi.run(bars, begin, end);
    }
    state.values = seriesValues.result();
    state.lastRsiWindow = rsi.lastWindow();

    // Steps 3, 5 and 9 to 16. Williams %R, the HL band, Ichimoku and the
    // stochastics take their highs and lows from one shared table.
    MovingAverageStep maLong(s.maLongPeriod, &DailyBar::maLong);
    MovingAverageStep maMid(s.maMidPeriod, &DailyBar::maMid);
    MovingAverageStep maShort(s.maShortPeriod, &DailyBar::maShort);
    MovingAverageStep waveLine(s.waveLineDays, &DailyBar::waveLine);
    MovingAverageStep bollingerMid(s.bollingerPeriod, &DailyBar::bollingerMid);
    VolumeAverageStep<Sum> volumeMaShort(s.volumeMaShortPeriod, &DailyBar::volumeMaShort);
    VolumeAverageStep<Sum> volumeMaLong(s.volumeMaLongPeriod, &DailyBar::volumeMaLong);
    RangeAverageStep rangeAverage;
    AdxStep adx(s.dmiPeriod);
    ParabolicStep parabolic({s.parabolicInitialAf, s.parabolicStepAf, s.parabolicMaxAf,
                             s.parabolicBandPercent, s.parabolicOnClose});
    const IchimokuSettings ichimoku{s.kijunPeriod, s.tenkanPeriod, s.chikouShift, s.senkouPeriod};
    // Every window reaches one bar further back than its period.
    BlockExtremes highsAndLows(std::max({s.williamsPeriod, s.stochPeriod, s.kijunPeriod,
                                         s.tenkanPeriod, s.senkouPeriod, s.hlBandPeriod}) +
                               1);
    const BlockExtremes::Window hlBandWindow(s.hlBandPeriod);
    const BlockExtremes::Window williamsWindow(s.williamsPeriod + 1);
    const BlockExtremes::Window kijunWindow(ichimoku.kijunPeriod + 1);
    const BlockExtremes::Window tenkanWindow(ichimoku.tenkanPeriod + 1);
    const BlockExtremes::Window senkouWindow(ichimoku.senkouPeriod + 1);
    const BlockExtremes::Window stochasticWindow(s.stochPeriod + 1);
    MacdAverageStep macdLong(s.macdLongPeriod, &DailyBar::macdLongEma);
    MacdAverageStep macdShort(s.macdShortPeriod, &DailyBar::macdShortEma);
    MacdSignalStep macdSignal(s.macdSignalPeriod);
    StochasticStep stochastics(s.stochPeriod, s.stochSlowPeriod);
    ForceIndexStep<Sum> forceIndex;
    VolumeRatioStep<Sum> volumeRatios(s.vrPeriod, s.wakoVrPeriod);
    PvrStep<Sum> pvr(s.pvrPeriod);
    const bool waveLineShown = s.waveLineDays != 0;
    TurnDistanceStep turnDistance;  // step 3: every turning point is marked by now
    RecentValues closes;            // what each bar adds to a price average
    for (int begin = 0; begin < count; begin += kChunkBars) {
        const int end = std::min(count, begin + kChunkBars);
        // The windows of the last 256 bars' highs and lows: one loop.
        for (int i = begin; i < end; ++i) {
            highsAndLows.push(i, bars[i].high, bars[i].low);
            // The HL band reads the bars before i.
            storeHlBand(bars, i, s.hlBandPeriod,
                        [&](int) { return highsAndLows.extremes(hlBandWindow, i - 1); });
            if (i >= s.williamsPeriod) {
                const auto [highest, lowest] = highsAndLows.extremes(williamsWindow, i);
                storeWilliams(bars, i, s.williamsPeriod, highest, lowest);
            } else {
                bars[i].williamsR = -1;
            }
            if (i >= ichimoku.senkouPeriod)
                storeIchimoku(bars, i, ichimoku, midpoint(highsAndLows.extremes(kijunWindow, i)),
                              midpoint(highsAndLows.extremes(tenkanWindow, i)),
                              midpoint(highsAndLows.extremes(senkouWindow, i)));
            stochastics.step(bars, i,
                             [&](int) { return highsAndLows.extremes(stochasticWindow, i); });
            rangeAverage.step(bars, i);
            adx.step(bars, i);
        }
        // The price averages share what each bar adds: one loop, with the
        // volume averages.
        for (int i = begin; i < end; ++i) {
            closes[i] = closeContribution(bars, i);
            maLong.step(bars, i, closes);
            maMid.step(bars, i, closes);
            maShort.step(bars, i, closes);
            if (waveLineShown) waveLine.step(bars, i, closes);
            bollingerMid.step(bars, i, closes);
            deviationStep(bars, i);
            volumeMaShort.step(bars, i);
            volumeMaLong.step(bars, i);
            // Each MACD average follows the one before: a chain that the
            // averages around it hide.
            macdLong.step(bars, i);
            macdShort.step(bars, i);
            macdLineStep(bars, i);
            macdSignal.step(bars, i);
            turnDistance.step(bars, i);
        }
        for (int i = begin; i < end; ++i) {
            forceIndex.step(bars, i);
            volumeRatios.step(bars, i);
            pvr.step(bars, i);
            // The parabolic's stop follows the one before: a chain that the
            // volume work around it hides.
            parabolic.step(bars, i);
        }
        computeTurnMarksRange(bars, begin, end);
    }
    state.parabolic = parabolic.state();
}

// The pass with 128-bit volume sums, for a series that does not fit 64 bits.
void recomputeWide(std::span<DailyBar> bars, const AnalysisSettings& s, AnalysisState& state);

}  // namespace tav::analysis
