#pragma once

#include <algorithm>
#include <limits>

namespace tav::desktop {

// The first bar on which an average holds a value from its full window. The
// stored slots carry partial values before it (ramping up from zero, or a
// MACD of the short average minus nothing); drawing them would flatten the
// scale, so lines start here. A period of 0 defines nothing.
namespace warm_up {
constexpr int kNever = std::numeric_limits<int>::max();

// Moving averages of prices and volumes: bar 0 adds nothing to the window.
constexpr int average(int period) { return period > 0 ? period : kNever; }
// MACD: both exponential averages are seeded on bar period - 1.
constexpr int macd(int longPeriod, int shortPeriod) {
    return longPeriod > 0 && shortPeriod > 0 ? std::max(longPeriod, shortPeriod) - 1 : kNever;
}
// The signal line (and the histogram) averages that many defined MACD bars.
constexpr int macdSignal(int longPeriod, int shortPeriod, int signalPeriod) {
    const int first = macd(longPeriod, shortPeriod);
    return first == kNever || signalPeriod <= 0 ? kNever : first + signalPeriod - 1;
}
// Rate of change: bar `period` is the first with a bar that far back.
constexpr int roc(int period) {
    return period >= 0 ? period : kNever;
}
// Stochastics: %D sums the last `slowPeriod` pairs, which exist from bar
// max(1, period); it is written from bar period + 1 on.
constexpr int stochD(int period, int slowPeriod) {
    if (period < 0 || slowPeriod <= 0) return kNever;
    return std::max({period + 1, std::max(period, 1) + slowPeriod - 1, slowPeriod + 1});
}
// Slow %D averages `slowPeriod` defined %D values.
constexpr int stochSlowD(int period, int slowPeriod) {
    const int first = stochD(period, slowPeriod);
    return first == kNever ? kNever : first + slowPeriod - 1;
}
}  // namespace warm_up

}  // namespace tav::desktop
