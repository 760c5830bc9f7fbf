#pragma once

// The steps of the recompute pass, one indicator family per source file. Each
// is a free function over the bars of one series and writes only its own
// slots; the pass (recompute.cpp) calls them in their fixed order, because
// later steps read slots that earlier ones wrote.
//
// Conventions for every step: bar 0 is the oldest; "the n bars ending at k"
// are bars k-n+1 .. k; integer arithmetic truncates toward zero; products
// that can leave the 32-bit range are taken in 64 bits and the result is
// stored at the slot's width. A slot that a step does not reach keeps its old
// value (0 on a fresh series) unless the step says it clears it.

#include <cstdint>
#include <vector>

#include "analysis/slot_math.h"

namespace tav::analysis {

// ---- series_values.cpp ----

// meanClose, meanVolume and volumeGuide; all 1 when there is nothing to average.
struct SeriesValues {
    int32_t meanClose = 1;
    // 64-bit: three times a large mean volume does not fit 32 bits.
    int64_t meanVolume = 1;
    int64_t volumeGuide = 1;
};

// Step 1: the series-wide values, `change` and `body` of every bar.
SeriesValues computeSeriesValues(Bars bars);

// ---- turn_points.cpp ----

// Step 2: SP top/bottom marks (`turnMark`, `turnConfirmed`) with the turn
// percentage P.
void computeTurnPoints(Bars bars, int turnPercent);
// Step 3: `turnDistance`, `turnRatio` from the last confirmed top or bottom.
void computeTurnDistance(Bars bars);

// ---- psychological.cpp ----

// Step 4: `upBar` and `psychUpCount` (fixed window of 12 bars).
void computeUpBars(Bars bars);

// ---- williams_r.cpp ----

// Step 5.
void computeWilliamsR(Bars bars, int period);

// ---- rsi.cpp ----

// Up and down sums of one RSI window.
struct RsiWindow {
    int64_t up = 0;
    int64_t down = 0;
};

// RSI of `period` bars into `slot` for every bar k >= period; a bar whose close
// is 0 or whose window has no move is not written. `clearFirst` sets the slot
// of every bar to 0 first. Returns the window of the last bar (zero when it
// was not reached).
RsiWindow computeRsi(Bars bars, int period, int16_t DailyBar::*slot, bool clearFirst);
// The RSI of `bar` over `period` bars, re-summed; -1 when it is not defined
// (close 0 or no move). `window` receives the sums.
int64_t rsiAt(Bars bars, int bar, int period, RsiWindow* window = nullptr);

// ---- volatility_rsi.cpp ----

// Step 6 (first): `volatility5`, the sample deviation of the last five closes.
void computeVolatility(Bars bars);
// Step 6: `vlRsi`, the RSI over a window that follows the volatility.
void computeVlRsi(Bars bars, int period);

// ---- rci.cpp ----

// RCI of `period` bars into `slot` for every bar k >= period (clearing the
// slot to 0 first when asked). Periods 0 and 1 have no rank correlation: the
// slot is not written.
void computeRci(Bars bars, int period, int16_t DailyBar::*slot, bool clearFirst);
// The RCI of the `period` closes ending at `bar`, by counting ranks.
int16_t rciAt(Bars bars, int bar, int period);
// Exact RCI from the sum of squared rank differences with both ranks scaled
// by 10 (so the sum is 100 S).
int16_t rciFromScaledSum(int64_t scaledSquares, int period);

// ---- rate_of_change.cpp ----

// Step 6: `roc`.
void computeRoc(Bars bars, int period);

// ---- bar_range.cpp ----

// Step 7: `range`.
void computeRange(Bars bars);
// Step 9: `rangeAverage`, the mean range of 10 bars rounded to the price tick.
void computeRangeAverage(Bars bars);

// ---- dmi.cpp ----

// Step 8: `dx`, `plusDi`, `minusDi`.
void computeDmi(Bars bars, int period);
// Step 9: `adx`.
void computeAdx(Bars bars, int period);

// ---- moving_averages.cpp ----

// Price moving average of bar i over n bars (bars at index 0 or below count
// nothing; a zero close counts as the previous close; divisor n). n > 0.
int32_t movingAverageAt(Bars bars, int bar, int period);
// Step 9: a price moving average into `slot` for every bar.
void computeMovingAverage(Bars bars, int period, int32_t DailyBar::*slot);
// Step 9: a volume moving average into `slot` for every bar.
void computeVolumeAverage(Bars bars, int period, int64_t DailyBar::*slot);
// Step 9 (last): `deviationLong`, `deviationMid`.
void computeDeviations(Bars bars);

// ---- parabolic.cpp ----

struct ParabolicSettings {
    int initialAf = 14;
    int stepAf = 2;
    int maxAf = 20;
    int bandPercent = 15;
    bool onClose = false;
};

// Working state of the parabolic, reset before bar 0.
struct ParabolicState {
    uint8_t trend = 0;  // 0 rising (stop below the price), 1 falling
    uint8_t af = 0;     // acceleration factor in percent; 0 = not started
    int32_t ep = 0;     // extreme point
};

// Step 9: `sar`, `sarBand`, `sarTrend`.
void computeParabolic(Bars bars, const ParabolicSettings& settings, ParabolicState& state);

// ---- hl_band.cpp ----

// Step 10: `hlHigh`, `hlLow`.
void computeHlBand(Bars bars, int period);

// ---- ichimoku.cpp ----

struct IchimokuSettings {
    int kijunPeriod = 26;
    int tenkanPeriod = 9;
    int chikouShift = 26;
    int senkouPeriod = 52;
};

// Step 11: `kijun`, `tenkan`, `chikou`, `senkou1`, `senkou2`.
void computeIchimoku(Bars bars, const IchimokuSettings& settings);

// ---- macd.cpp ----

// Step 12: the two averages, `macd` and `macdSignal`.
void computeMacd(Bars bars, int longPeriod, int shortPeriod, int signalPeriod);
// The exponential average of one period into `slot` (part of step 12).
void computeMacdAverage(Bars bars, int period, float DailyBar::*slot);
// `macd` from the two averages (part of step 12).
void computeMacdLine(Bars bars);

// ---- stochastics.cpp ----

// One scratch entry per bar: close - lowest low and highest high - lowest low.
struct StochasticPair {
    int32_t num = 0;
    int32_t den = 0;
};

// Step 13: `stochK`, `stochD`, `stochSlowD`. `scratch` is reused between passes.
void computeStochastics(Bars bars, int period, int slowPeriod,
                        std::vector<StochasticPair>& scratch);

// ---- force_index.cpp ----

// Step 14: `forceIndex` (fixed window of 2 bars).
void computeForceIndex(Bars bars);

// ---- volume_ratios.cpp ----

// Step 15: `vr` and `wakoVr`.
void computeVolumeRatios(Bars bars, int vrPeriod, int wakoVrPeriod);
// Step 15: `pvr`.
void computePvr(Bars bars, int period);

// ---- turn_marks.cpp ----

// Step 16: the turning marks of the seven oscillators.
void computeTurnMarks(Bars bars);

// ---- Per-bar pieces shared by the pass and the plain reference pass ----

// williams_r.cpp: %R per mille from the window extremes (close included).
int16_t williamsValue(int64_t close, int64_t highest, int64_t lowest);
// rsi.cpp: the RSI of a bar from its window sums; -1 when not defined.
int64_t rsiFromWindow(const DailyBar& bar, const RsiWindow& window);
// volatility_rsi.cpp: the vlRsi window length of bar k.
int vlRsiWindow(Bars bars, int k, int period);

// dmi.cpp: the moves of the transition from bar t-1 to bar t, and their sums.
struct DmiMoves {
    int64_t plus = 0;
    int64_t minus = 0;
    int64_t trueRange = 0;
};
DmiMoves dmiMoves(Bars bars, int t);
// Writes `plusDi`, `minusDi` (when all sums are non-zero) and `dx`.
void storeDmi(DailyBar& bar, const DmiMoves& sums);

// moving_averages.cpp: the volume bar t contributes (the previous one when 0),
// and the stored average from the window sums.
int64_t volumeContribution(Bars bars, int t);
int64_t volumeAverageFromSums(int64_t sum, int64_t thousandsSum, bool thousands, int period);

// parabolic.cpp
int32_t parabolicStart(Bars bars, int bar);
int64_t parabolicBand(int64_t sar, uint8_t trend, int bandPercent);
void stepAcceleration(ParabolicState& state, const ParabolicSettings& settings);

// ichimoku.cpp: writes the Ichimoku slots of bar j from its three midpoints.
void storeIchimoku(Bars bars, int j, const IchimokuSettings& settings, int64_t kijunMid,
                   int64_t tenkanMid, int64_t senkouMid);

// macd.cpp: the `macd` value bar t contributes to the signal line, and the line.
int64_t macdContribution(Bars bars, int t);
void computeMacdSignal(Bars bars, int period);

// stochastics.cpp
int32_t stochasticK(const StochasticPair& pair);
int32_t stochasticD(int64_t numSum, int64_t denSum, int slowPeriod, int k);
int32_t stochasticSlowD(int64_t dSum, int slowPeriod, int k);

// volume_ratios.cpp
struct VolumeSums {
    int64_t up = 0;
    int64_t down = 0;
    int64_t unchanged = 0;
};
// Adds (sign 1) or removes (sign -1) the volume of bar t to its side.
void addVolumeMove(Bars bars, int t, VolumeSums& sums, int sign);
int16_t vrFromSums(const VolumeSums& sums);
int16_t wakoVrFromSums(const VolumeSums& sums);
// The smoothed `pvr` of bar j from its weighted close and volume sums.
int16_t pvrStep(Bars bars, int j, __int128 weightedSum, int64_t volumeSum);

}  // namespace tav::analysis
