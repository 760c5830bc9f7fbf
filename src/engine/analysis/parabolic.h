#pragma once

#include <algorithm>

#include "analysis/slot_math.h"

namespace tav::analysis {

struct ParabolicSettings {
    int initialAf = 14;
    int stepAf = 2;
    int maxAf = 20;
    int bandPercent = 15;
    bool onClose = false;  // closes stand for both highs and lows
};

// Working state of the parabolic, reset before bar 0.
struct ParabolicState {
    uint8_t trend = 0;  // 0 rising (stop below the price), 1 falling
    uint8_t af = 0;     // acceleration factor in percent; 0 = not started
    int32_t ep = 0;     // extreme point
};

constexpr int kParabolicFirstBar = 13;

// The start value on the first bar: the highest bar high of the 12 bars before
// it (the bar highs also when the parabolic follows closes).
int32_t parabolicStart(Bars bars, int bar);

inline int64_t parabolicBand(int64_t sar, uint8_t trend, int bandPercent) {
    const int64_t band = sar * bandPercent / 100;
    return trend == 1 ? sar - band : sar + band;
}

// An 8-bit factor: it grows while below the maximum, so it can end above it
// by less than one step.
inline void stepAcceleration(ParabolicState& state, const ParabolicSettings& settings) {
    if (state.af < settings.maxAf) state.af = static_cast<uint8_t>(state.af + settings.stepAf);
}

// Step 9, bar by bar: `sar`, `sarBand`, `sarTrend`.
//
// L, the length of the current trend including bar i, counts the bars before
// i back to bar 1 whose `sarTrend` equals the trend. Those bars are exactly
// the current run of equal `sarTrend` values, so the step keeps the run's
// length and its extremes instead of walking back: the L bars ending at i are
// the run plus bar i, the L bars ending at i - 1 the run plus the bar before it.
class ParabolicStep {
  public:
    explicit ParabolicStep(const ParabolicSettings& settings) : settings_(settings) {}

    // The working state after the last bar stepped.
    const ParabolicState& state() const { return state_; }

    void step(Bars bars, int i) {
        DailyBar& bar = bars[i];
        bar.sarTrend = 0;
        int64_t sar;
        if (i < kParabolicFirstBar) {
            sar = 0;
        } else if (state_.af == 0) {
            state_.af = static_cast<uint8_t>(settings_.initialAf);
            state_.ep = parabolicStart(bars, i);
            sar = state_.ep;
        } else {
            sar = follow(bars, i);
        }
        bar.sar = toInt32(sar);
        bar.sarBand = toInt32(parabolicBand(bar.sar, state_.trend, settings_.bandPercent));
        bar.sarTrend = state_.trend;
        // What the next bar reads of this one, kept rather than read back.
        const uint8_t trendBefore = lastTrend_;
        lastSar_ = bar.sar;
        lastTrend_ = bar.sarTrend;

        if (i == 0) return;  // bar 0 never belongs to a run
        if (run_ > 0 && bar.sarTrend == trendBefore) {
            ++run_;
            runHigh_ = std::max(runHigh_, high(bars, i));
            runLow_ = std::min(runLow_, low(bars, i));
        } else {
            run_ = 1;
            runHigh_ = high(bars, i);
            runLow_ = low(bars, i);
        }
    }

  private:
    int64_t high(Bars bars, int t) const {
        return settings_.onClose ? bars[t].close : bars[t].high;
    }
    int64_t low(Bars bars, int t) const { return settings_.onClose ? bars[t].close : bars[t].low; }

    int64_t follow(Bars bars, int i) {
        const int length = 1 + run_;
        const int64_t previous = lastSar_;
        // The L bars ending at i - 1 reach bar 0 when L >= i: the new stop is 0 then.
        const bool windowReachesStart = length >= i;
        if (state_.trend == 0) {
            const int64_t extreme = std::max(runHigh_, high(bars, i));
            if (extreme > state_.ep) {
                state_.ep = toInt32(extreme);
                stepAcceleration(state_, settings_);
            }
            const int64_t next = previous + state_.af * (state_.ep - previous) / 100;
            if (low(bars, i) >= next) return next;
            state_.trend = 1;
            const int64_t sar = windowReachesStart ? 0 : std::max(runHigh_, high(bars, i - length));
            state_.ep = toInt32(sar);
            state_.af = static_cast<uint8_t>(settings_.initialAf);
            return sar;
        }
        const int64_t extreme = std::min(runLow_, low(bars, i));
        if (extreme < state_.ep) {
            state_.ep = toInt32(extreme);
            stepAcceleration(state_, settings_);
        }
        const int64_t next = previous + state_.af * (state_.ep - previous) / 100;
        if (high(bars, i) <= next) return next;
        state_.trend = 0;
        const int64_t sar = windowReachesStart ? 0 : std::min(runLow_, low(bars, i - length));
        state_.ep = toInt32(sar);
        state_.af = static_cast<uint8_t>(settings_.initialAf);
        return sar;
    }

    ParabolicSettings settings_;
    ParabolicState state_;
    int32_t lastSar_ = 0;    // `sar` of the bar before
    uint8_t lastTrend_ = 0;  // `sarTrend` of the bar before
    int run_ = 0;            // bars before the current one (back to bar 1) sharing its trend
    int64_t runHigh_ = 0;
    int64_t runLow_ = 0;
};

void computeParabolic(Bars bars, const ParabolicSettings& settings, ParabolicState& state);

}  // namespace tav::analysis
