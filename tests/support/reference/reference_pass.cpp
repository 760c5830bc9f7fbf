// The plain formulation of the recompute pass: every window is re-summed or
// re-scanned on every bar, exactly as the rules read, and steps 6 and 9 run
// bar by bar. The production pass in recompute.cpp must match it bit for bit;
// the per-bar formulas themselves are shared.
#include "support/reference/reference_pass.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "analysis/tick.h"

namespace tav {

using namespace analysis;

namespace {

void plainTurnDistance(Bars bars) {
    for (int j = 0; j < count(bars); ++j) {
        int reference = -1;
        bool passedConfirmation = false;
        for (int t = j; t >= 0 && reference < 0; --t) {
            if (passedConfirmation && bars[t].turnMark != 0) reference = t;
            if (bars[t].turnConfirmed == 1) passedConfirmation = true;
        }
        if (reference < 0) continue;
        const int64_t r = int64_t{bars[reference].turnMark} * bars[reference].close;
        const int64_t x = bars[j].close != 0 || j == 0 ? bars[j].close : bars[j - 1].close;
        if (r < 0) {
            bars[j].turnDistance = toInt16(x - (-r));
            bars[j].turnRatio = toInt16(x * 100 / (-r));
        } else if (r > 0) {
            bars[j].turnDistance = toInt16(r - x);
            if (x != 0) bars[j].turnRatio = toInt16(r * 100 / x);
        }
    }
}

void plainWilliamsR(Bars bars, int n) {
    for (DailyBar& bar : bars)
        bar.williamsR = -1;
    for (int j = n; j < count(bars); ++j) {
        int64_t highest = bars[j].close;
        int64_t lowest = bars[j].close;
        for (int t = j - n; t <= j; ++t) {
            highest = std::max<int64_t>(highest, bars[t].high);
            lowest = std::min<int64_t>(lowest, bars[t].low);
        }
        bars[j].williamsR = williamsValue(bars[j].close, highest, lowest);
    }
}

void plainRsiAt(Bars bars, int k, int n, int16_t DailyBar::*slot, RsiWindow* window = nullptr) {
    if (k < n) return;
    if (int64_t value = rsiAt(bars, k, n, window); value >= 0) bars[k].*slot = toInt16(value);
}

void plainRciAt(Bars bars, int k, int n, int16_t DailyBar::*slot) {
    if (n > 1 && k >= n) bars[k].*slot = rciAt(bars, k, n);
}

void plainOscillators(Bars bars, const AnalysisSettings& s, AnalysisState& state) {
    computeVolatility(bars);
    for (int k = 0; k < count(bars); ++k) {
        DailyBar& bar = bars[k];
        bar.rsi = 0;
        plainRsiAt(bars, k, s.rsiPeriod, &DailyBar::rsi, &state.lastRsiWindow);
        plainRsiAt(bars, k, s.multiRsiLongPeriod, &DailyBar::rsiLong);
        plainRsiAt(bars, k, s.multiRsiMidPeriod, &DailyBar::rsiMid);
        plainRsiAt(bars, k, s.multiRsiShortPeriod, &DailyBar::rsiShort);
        bar.rci = 0;
        plainRciAt(bars, k, s.rciPeriod, &DailyBar::rci);
        plainRciAt(bars, k, s.multiRciLongPeriod, &DailyBar::rciLong);
        plainRciAt(bars, k, s.multiRciMidPeriod, &DailyBar::rciMid);
        plainRciAt(bars, k, s.multiRciShortPeriod, &DailyBar::rciShort);
        bar.roc = 0;
        if (k >= s.rocPeriod && bar.close > 0 && bars[k - s.rocPeriod].close > 0)
            bar.roc = toInt16(int64_t{bar.close} * 100 / bars[k - s.rocPeriod].close);
        bar.vlRsi = 0;
        if (k >= s.vlRsiPeriod && k >= 10) {
            const int64_t value = rsiAt(bars, k, vlRsiWindow(bars, k, s.vlRsiPeriod));
            if (value >= 0) bar.vlRsi = toInt16(value);
        }
    }
}

void plainDmi(Bars bars, int n) {
    for (int j = n + 1; j < count(bars); ++j) {
        DmiMoves sums;
        for (int t = j - n + 1; t <= j; ++t) {
            const DmiMoves moves = dmiMoves(bars, t);
            sums.plus += moves.plus;
            sums.minus += moves.minus;
            sums.trueRange += moves.trueRange;
        }
        storeDmi(bars[j], sums);
    }
}

int64_t plainVolumeAverage(Bars bars, int i, int n) {
    if (n <= 0) return 0;
    bool thousands = false;
    for (int t = std::max(0, i - n + 1); t <= i; ++t)
        if (bars[t].volume > 1'000'000) thousands = true;
    Wide sum = 0;
    Wide thousandsSum = 0;
    for (int t = i - n + 1; t <= i; ++t) {
        if (t < 1) continue;
        sum += volumeContribution(bars, t);
        thousandsSum += volumeContribution(bars, t) / 1000;
    }
    return volumeAverageFromSums(sum, thousandsSum, thousands, n);
}

// One bar of the parabolic, walking back for the trend length and scanning
// its windows.
void plainParabolicBar(Bars bars, int i, const AnalysisSettings& s, ParabolicState& state) {
    const ParabolicSettings settings{s.parabolicInitialAf, s.parabolicStepAf, s.parabolicMaxAf,
                                     s.parabolicBandPercent, s.parabolicOnClose};
    auto high = [&](int t) { return s.parabolicOnClose ? bars[t].close : bars[t].high; };
    auto low = [&](int t) { return s.parabolicOnClose ? bars[t].close : bars[t].low; };
    DailyBar& bar = bars[i];
    bar.sarTrend = 0;
    int64_t sar;
    if (i < 13) {
        sar = 0;
    } else if (state.af == 0) {
        state.af = static_cast<uint8_t>(s.parabolicInitialAf);
        int32_t highest = 0;
        for (int t = i - 12; t < i; ++t)
            highest = t == i - 12 ? bars[t].high : std::max(highest, bars[t].high);
        state.ep = highest;
        sar = state.ep;
    } else {
        int length = 1;
        for (int t = i - 1; t >= 1 && bars[t].sarTrend == state.trend; --t)
            ++length;
        const int64_t previous = bars[i - 1].sar;
        const bool rising = state.trend == 0;
        int64_t extreme = rising ? high(i) : low(i);
        for (int t = i - length + 1; t <= i; ++t)
            extreme =
                rising ? std::max<int64_t>(extreme, high(t)) : std::min<int64_t>(extreme, low(t));
        if (rising ? extreme > state.ep : extreme < state.ep) {
            state.ep = toInt32(extreme);
            stepAcceleration(state, settings);
        }
        const int64_t next = previous + state.af * (state.ep - previous) / 100;
        if (rising ? low(i) < next : high(i) > next) {
            state.trend = rising ? 1 : 0;
            int64_t reversal = 0;
            if (length < i) {
                reversal = rising ? high(i - 1) : low(i - 1);
                for (int t = i - length; t <= i - 1; ++t)
                    reversal = rising ? std::max<int64_t>(reversal, high(t))
                                      : std::min<int64_t>(reversal, low(t));
            }
            sar = reversal;
            state.ep = toInt32(sar);
            state.af = static_cast<uint8_t>(s.parabolicInitialAf);
        } else {
            sar = next;
        }
    }
    bar.sar = toInt32(sar);
    bar.sarBand = toInt32(parabolicBand(bar.sar, state.trend, s.parabolicBandPercent));
    bar.sarTrend = state.trend;
}

void plainAveragesBar(Bars bars, int i, const AnalysisSettings& s, AnalysisState& state) {
    DailyBar& bar = bars[i];
    auto average = [&](int n) { return n > 0 ? movingAverageAt(bars, i, n) : 0; };
    bar.maLong = average(s.maLongPeriod);
    bar.maMid = average(s.maMidPeriod);
    bar.maShort = average(s.maShortPeriod);
    if (s.waveLineDays != 0) bar.waveLine = average(s.waveLineDays);
    bar.bollingerMid = average(s.bollingerPeriod);
    bar.volumeMaShort = plainVolumeAverage(bars, i, s.volumeMaShortPeriod);
    bar.volumeMaLong = plainVolumeAverage(bars, i, s.volumeMaLongPeriod);

    bar.rangeAverage = 0;
    if (i > 10) {
        int64_t sum = 0;
        for (int t = i - 9; t <= i; ++t)
            sum += bars[t].range;
        bar.rangeAverage = roundToTickForClose(toInt32(sum / 10), bar.close);
    }

    const int n = s.dmiPeriod;
    bar.adx = 0;
    if (n > 0 && i > n) {
        int64_t sum = 0;
        for (int t = i - n + 1; t <= i; ++t)
            sum += bars[t].dx;
        bar.adx = toInt32(sum / n);
    }

    plainParabolicBar(bars, i, s, state.parabolic);

    if (i >= 26 && bar.maShort != 0) {
        bar.deviationLong = toInt16((int64_t{bar.maShort} - bar.maLong) * 1000 / bar.maShort);
        bar.deviationMid = toInt16((int64_t{bar.maShort} - bar.maMid) * 1000 / bar.maShort);
    } else {
        bar.deviationLong = -10000;
    }
}

void plainHlBand(Bars bars, int n) {
    for (int j = std::max(n, 0); j < count(bars); ++j) {
        if (n <= 0 || j == n) {
            bars[j].hlHigh = bars[j].hlLow = 0;
            continue;
        }
        int32_t highest = bars[j - n].high;
        int32_t lowest = bars[j - n].low;
        for (int t = j - n; t <= j - 1; ++t) {
            highest = std::max(highest, bars[t].high);
            lowest = std::min(lowest, bars[t].low);
        }
        bars[j].hlHigh = highest;
        bars[j].hlLow = lowest;
    }
}

int64_t plainMidpoint(Bars bars, int j, int n) {
    const int first = std::max(0, j - n);
    int64_t highest = bars[first].high;
    int64_t lowest = bars[first].low;
    for (int t = first; t <= j; ++t) {
        highest = std::max<int64_t>(highest, bars[t].high);
        lowest = std::min<int64_t>(lowest, bars[t].low);
    }
    return (highest + lowest) / 2;
}

void plainIchimoku(Bars bars, const AnalysisSettings& s) {
    const IchimokuSettings settings{s.kijunPeriod, s.tenkanPeriod, s.chikouShift, s.senkouPeriod};
    for (int j = s.senkouPeriod; j < count(bars); ++j)
        storeIchimoku(bars, j, settings, plainMidpoint(bars, j, s.kijunPeriod),
                      plainMidpoint(bars, j, s.tenkanPeriod),
                      plainMidpoint(bars, j, s.senkouPeriod));
}

void plainMacdSignal(Bars bars, int n) {
    for (int j = 1; j < count(bars); ++j) {
        if (n <= 0) {
            bars[j].macdSignal = 0;
            continue;
        }
        int64_t sum = 0;
        for (int t = j - n + 1; t <= j; ++t)
            if (t >= 1) sum += macdContribution(bars, t);
        bars[j].macdSignal = toInt32(sum / n);
    }
}

void plainStochastics(Bars bars, int n, int m, std::vector<StochasticPair>& scratch) {
    scratch.assign(bars.size(), StochasticPair{});
    for (int j = std::max(1, n); j < count(bars); ++j) {
        int64_t highest = bars[j - n].high;
        int64_t lowest = bars[j - n].low;
        for (int t = j - n; t <= j; ++t) {
            highest = std::max<int64_t>(highest, bars[t].high);
            lowest = std::min<int64_t>(lowest, bars[t].low);
        }
        scratch[j].num = toInt32(bars[j].close - lowest);
        scratch[j].den = toInt32(highest - lowest);
    }
    for (int k = n + 1; k < count(bars); ++k) {
        bars[k].stochK = stochasticK(scratch[k]);
        int64_t numSum = 0;
        int64_t denSum = 0;
        if (m < k) {
            for (int t = k - m + 1; t <= k; ++t) {
                numSum += scratch[t].num;
                denSum += scratch[t].den;
            }
        }
        bars[k].stochD = stochasticD(numSum, denSum, m, k);
        int64_t dSum = 0;
        if (m < k)
            for (int t = k - m + 1; t <= k; ++t)
                dSum += bars[t].stochD;
        bars[k].stochSlowD = stochasticSlowD(dSum, m, k);
    }
}

VolumeSums plainVolumeSums(Bars bars, int k, int n) {
    VolumeSums sums;
    if (n >= k) return sums;
    for (int t = k - n + 1; t <= k; ++t)
        addVolumeMove(bars, t, sums, 1);
    return sums;
}

void plainVolumeRatios(Bars bars, const AnalysisSettings& s) {
    for (int k = 0; k < count(bars); ++k) {
        if (k >= s.vrPeriod) bars[k].vr = vrFromSums(plainVolumeSums(bars, k, s.vrPeriod));
        if (k >= s.wakoVrPeriod)
            bars[k].wakoVr = wakoVrFromSums(plainVolumeSums(bars, k, s.wakoVrPeriod));
    }
    const int n = s.pvrPeriod;
    for (DailyBar& bar : bars)
        bar.pvr = 0;
    if (n <= 0) return;
    for (int j = n; j < count(bars); ++j) {
        if (bars[j].close <= 0 || bars[j - n].close <= 0) continue;
        __int128 weightedSum = 0;
        Wide volumeSum = 0;
        for (int t = j - n + 1; t <= j; ++t) {
            if (t < 1) continue;
            weightedSum += static_cast<__int128>(closeOrPrevious(bars, t)) * bars[t].volume;
            volumeSum += bars[t].volume;
        }
        bars[j].pvr = pvrStep(bars, j, weightedSum, volumeSum);
    }
}

// Each oscillator walks all bars before the next one starts.
template <int... kOscillators>
void plainTurnMarks(Bars bars, std::integer_sequence<int, kOscillators...>) {
    auto walk = [&](auto mark) {
        for (int k = 1; k < count(bars); ++k)
            mark(k);
    };
    (walk([&](int k) { markTurnAt<kOscillators>(bars, k); }), ...);
}

void plainTurnMarks(Bars bars) {
    plainTurnMarks(bars, std::make_integer_sequence<int, kTurnZones.size()>{});
}

}  // namespace

void recomputeIndicatorsPlain(std::span<DailyBar> bars, const AnalysisSettings& s,
                              AnalysisState& state) {
    state.parabolic = {};
    state.lastRsiWindow = {};

    state.values = computeSeriesValues(bars);
    computeTurnPoints(bars, s.spTurnPercent);
    plainTurnDistance(bars);
    computeUpBars(bars);
    plainWilliamsR(bars, s.williamsPeriod);
    plainOscillators(bars, s, state);
    computeRange(bars);
    plainDmi(bars, s.dmiPeriod);
    for (int i = 0; i < count(bars); ++i)
        plainAveragesBar(bars, i, s, state);
    plainHlBand(bars, s.hlBandPeriod);
    plainIchimoku(bars, s);
    computeMacdAverage(bars, s.macdLongPeriod, &DailyBar::macdLongEma);
    computeMacdAverage(bars, s.macdShortPeriod, &DailyBar::macdShortEma);
    computeMacdLine(bars);
    plainMacdSignal(bars, s.macdSignalPeriod);
    std::vector<StochasticPair> stochasticPairs;
    plainStochastics(bars, s.stochPeriod, s.stochSlowPeriod, stochasticPairs);
    computeForceIndex(bars);
    plainVolumeRatios(bars, s);
    plainTurnMarks(bars);
}

}  // namespace tav
