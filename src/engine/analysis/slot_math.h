#pragma once

#include <array>
#include <cmath>
#include <cstdint>
#include <span>

#include "core/daily_bar.h"

namespace tav::analysis {

using Bars = std::span<DailyBar>;

// Stores into a 16-bit slot. Values out of range wrap (modulo 2^16) exactly
// as the slot always has; ROC, VR and the turn ratio do reach that range on
// real data, and readers expect the wrapped value.
inline int16_t toInt16(int64_t value) {
    return static_cast<int16_t>(value);
}

// Stores into a 32-bit slot; wraps modulo 2^32 like the slot.
inline int32_t toInt32(int64_t value) {
    return static_cast<int32_t>(value);
}

// Volumes are 64-bit and may come near 2^63, so sums and products of them
// are taken in 128 bits and brought back saturated. Within the 64-bit range
// every result is the one 64-bit arithmetic gives.
using Wide = __int128;

inline int64_t saturate64(Wide value) {
    if (value > INT64_MAX) return INT64_MAX;
    if (value < INT64_MIN) return INT64_MIN;
    return static_cast<int64_t>(value);
}

// value / divisor (divisor != 0), truncated toward zero, saturated; the
// 64-bit division whenever the value fits, as 128-bit division is slow.
inline int64_t divideSaturated(Wide value, int64_t divisor) {
    if (value >= INT64_MIN + 1 && value <= INT64_MAX)
        return static_cast<int64_t>(value) / divisor;
    return saturate64(value / divisor);
}

// Whether every volume sum and product of a pass over these bars stays
// within 64 bits: a window sum (or the series total) times 1000, a close
// difference times a volume and a window sum of closes times volumes, with
// room to spare. Then the sums can be taken in
// 64 bits and give exactly what the 128-bit ones give; real series always
// fit, and a series that does not takes the 128-bit path.
inline bool volumesFit64(std::span<const DailyBar> bars) {
    uint64_t largestVolume = 0;
    uint64_t largestClose = 0;
    for (const DailyBar& bar : bars) {
        const uint64_t volume = bar.volume < 0 ? 0 - static_cast<uint64_t>(bar.volume)
                                               : static_cast<uint64_t>(bar.volume);
        const uint64_t close = bar.close < 0 ? 0 - static_cast<uint64_t>(int64_t{bar.close})
                                             : static_cast<uint64_t>(bar.close);
        largestVolume = volume > largestVolume ? volume : largestVolume;
        largestClose = close > largestClose ? close : largestClose;
    }
    constexpr Wide kLimit = Wide{1} << 61;
    const Wide bars64 = static_cast<Wide>(bars.size()) + 1;
    return Wide{largestVolume} * 1000 * bars64 < kLimit &&
           Wide{largestVolume} * (largestClose + 1) * 256 < kLimit;
}

// Truncates toward zero; a value outside the 64-bit range (or not a number)
// gives 0 instead of undefined behaviour.
inline int64_t truncToInt64(long double value) {
    if (!(std::fabs(value) < 9.2e18L)) return 0;
    return static_cast<int64_t>(value);
}

// The same for a double (or a float) without the detour through extended
// precision: the bound is exact in double, and so is every comparison with it.
inline int64_t truncToInt64(double value) {
    if (!(std::fabs(value) < 9.2e18)) return 0;
    return static_cast<int64_t>(value);
}

// The close a bar contributes to an average: a bar without a close (0)
// stands in with the close of the bar before it. Only for bar >= 1.
inline int64_t closeOrPrevious(Bars bars, int bar) {
    return bars[bar].close != 0 ? bars[bar].close : bars[bar - 1].close;
}

inline int count(Bars bars) {
    return static_cast<int>(bars.size());
}

// A per-bar value of the last 256 bars, so that several windows (periods are
// bytes, so at most 255 bars) can add the value entering and subtract the one
// leaving without working either out again.
struct RecentValues {
    static constexpr int kSize = 256;
    std::array<int64_t, kSize> values{};
    int64_t& operator[](int bar) { return values[static_cast<unsigned>(bar) % kSize]; }
    int64_t operator[](int bar) const { return values[static_cast<unsigned>(bar) % kSize]; }
};

}  // namespace tav::analysis
