#include "analysis/tick.h"

#include <array>
#include <utility>

namespace tav {

namespace {

// Upper close of each tick band, and its tick.
constexpr std::array<std::pair<int32_t, int32_t>, 6> kTickBands = {{
    {2'000, 1},
    {3'000, 5},
    {30'000, 10},
    {50'000, 50},
    {100'000, 100},
    {1'000'000, 1'000},
}};
constexpr int32_t kTopTick = 10'000;

}  // namespace

int32_t tickSizeForClose(int32_t close) {
    for (const auto& [upper, tick] : kTickBands)
        if (close <= upper) return tick;
    return kTopTick;
}

int32_t roundToTickForClose(int32_t value, int32_t close) {
    const int64_t tick = tickSizeForClose(close);
    const int64_t quotient = value / tick;
    const int64_t remainder = value - quotient * tick;
    // With a tick of 1 half a tick is 0, so the on-tick case must come first.
    if (remainder == 0) return value;
    const int64_t rounded = remainder < tick / 2 ? quotient * tick : quotient * tick + tick;
    return static_cast<int32_t>(rounded);
}

}  // namespace tav
