#pragma once

#include <cstdint>

#include "simulation/simulation_settings.h"
#include "simulation/strategy.h"

namespace tav {

// What sizing reads of a run. Money is 64-bit throughout: equity, the value
// held and unit costs overflow 32 bits at ordinary sizes.
struct SizingState {
    int64_t equity = 0;
    int64_t units = 0;  // held
    int32_t entryPrice = 0;
    int32_t unitShares = 1;
    int32_t splitCount = 0;
    int32_t capital = 0;
};

// Units to buy or sell short at trade price `price`: all in without splitting,
// otherwise by the split method, for the first purchase or for an add. Never
// negative (a negative equity buys nothing) and at most the 32-bit range.
int64_t sizeFor(const SplitSettings& split, const SizingState& state, int64_t price, bool adding);

// The fee on a trade of `amount` yen, raised to the minimum when one is set.
// No commission means no fee, minimum or not.
int64_t commissionFor(const SimulationSettings& settings, int64_t amount);

}  // namespace tav
