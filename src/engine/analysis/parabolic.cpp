#include <algorithm>

#include "analysis/indicators.h"

namespace tav::analysis {

namespace {

constexpr int kParabolicFirstBar = 13;
constexpr int kStartWindow = 12;  // bars before the first bar that give the start value

}  // namespace

int32_t parabolicStart(Bars bars, int bar) {
    // Always the bar highs, also when the parabolic follows closes.
    int32_t highest = bars[bar - kStartWindow].high;
    for (int t = bar - kStartWindow + 1; t < bar; ++t)
        highest = std::max(highest, bars[t].high);
    return highest;
}

int64_t parabolicBand(int64_t sar, uint8_t trend, int bandPercent) {
    const int64_t band = sar * bandPercent / 100;
    return trend == 1 ? sar - band : sar + band;
}

void stepAcceleration(ParabolicState& state, const ParabolicSettings& settings) {
    // An 8-bit factor: it can end above the maximum by less than one step.
    if (state.af < settings.maxAf) state.af = static_cast<uint8_t>(state.af + settings.stepAf);
}

void computeParabolic(Bars bars, const ParabolicSettings& settings, ParabolicState& state) {
    state = {};
    auto high = [&](int t) { return settings.onClose ? bars[t].close : bars[t].high; };
    auto low = [&](int t) { return settings.onClose ? bars[t].close : bars[t].low; };

    // The run of bars before the current one (back to bar 1) that share the
    // current trend, with its highest "high" and lowest "low". It gives L and
    // the extremes of the L-bar windows without walking back.
    int run = 0;
    int64_t runHigh = 0;
    int64_t runLow = 0;
    for (int i = 0; i < count(bars); ++i) {
        DailyBar& bar = bars[i];
        bar.sarTrend = 0;
        int64_t sar;
        if (i < kParabolicFirstBar) {
            sar = 0;
        } else if (state.af == 0) {
            state.af = static_cast<uint8_t>(settings.initialAf);
            state.ep = parabolicStart(bars, i);
            sar = state.ep;
        } else {
            const int length = 1 + run;  // L: the current trend including bar i
            const int64_t previous = bars[i - 1].sar;
            // The L bars ending at i - 1 reach bar 0 when L >= i: the new stop is 0 then.
            const bool windowReachesStart = length >= i;
            if (state.trend == 0) {
                const int64_t extreme = std::max(runHigh, int64_t{high(i)});
                if (extreme > state.ep) {
                    state.ep = toInt32(extreme);
                    stepAcceleration(state, settings);
                }
                const int64_t next = previous + state.af * (state.ep - previous) / 100;
                if (low(i) < next) {
                    state.trend = 1;
                    sar = windowReachesStart ? 0 : std::max(runHigh, int64_t{high(i - length)});
                    state.ep = toInt32(sar);
                    state.af = static_cast<uint8_t>(settings.initialAf);
                } else {
                    sar = next;
                }
            } else {
                const int64_t extreme = std::min(runLow, int64_t{low(i)});
                if (extreme < state.ep) {
                    state.ep = toInt32(extreme);
                    stepAcceleration(state, settings);
                }
                const int64_t next = previous + state.af * (state.ep - previous) / 100;
                if (high(i) > next) {
                    state.trend = 0;
                    sar = windowReachesStart ? 0 : std::min(runLow, int64_t{low(i - length)});
                    state.ep = toInt32(sar);
                    state.af = static_cast<uint8_t>(settings.initialAf);
                } else {
                    sar = next;
                }
            }
        }
        bar.sar = toInt32(sar);
        bar.sarBand = toInt32(parabolicBand(bar.sar, state.trend, settings.bandPercent));
        bar.sarTrend = state.trend;

        if (i == 0) continue;  // bar 0 never belongs to a run
        if (run > 0 && bar.sarTrend == bars[i - 1].sarTrend) {
            ++run;
            runHigh = std::max(runHigh, int64_t{high(i)});
            runLow = std::min(runLow, int64_t{low(i)});
        } else {
            run = 1;
            runHigh = high(i);
            runLow = low(i);
        }
    }
}

}  // namespace tav::analysis
