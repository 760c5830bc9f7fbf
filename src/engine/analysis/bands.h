#pragma once

#include <array>
#include <cstdint>
#include <span>

#include "core/daily_bar.h"

namespace tav {

// Seven price levels for one bar, from -3 to +3 steps.
using BandLevels = std::array<int32_t, 7>;

// Bollinger levels of bar i: `bollingerMid` + k s for k = -3 .. +3, where s is
// the sample standard deviation (truncated) of the closes of the n bars ending
// at i (those at index 0 and above). Fewer than two closes have no deviation:
// every level is the middle line then. All zero for a bar outside the series.
BandLevels bollingerLevels(std::span<const DailyBar> bars, int period, int bar);

// Envelope levels of bar i: (100 + k p) `maMid` / 100 for k = -3 .. +3. With
// p = 0 all seven equal `maMid`. All zero for a bar outside the series.
BandLevels envelopeLevels(std::span<const DailyBar> bars, int percent, int bar);

}  // namespace tav
