#include "simulation/position_sizing.h"

#include <algorithm>
#include <limits>

namespace tav {

namespace {

constexpr int64_t kMaxUnits = std::numeric_limits<int32_t>::max();

int64_t bounded(int64_t units) {
    return std::clamp<int64_t>(units, 0, kMaxUnits);
}

}  // namespace

int64_t sizeFor(const SplitSettings& split, const SizingState& state, int64_t price, bool adding) {
    const int64_t unitCost = price * std::max<int32_t>(state.unitShares, 1);
    if (unitCost <= 0) return 0;
    const int64_t held = state.units * state.entryPrice * std::max<int32_t>(state.unitShares, 1);
    const int64_t free = state.equity - held;
    const int64_t target = int64_t{split.amount} + int64_t{state.splitCount} * split.step;
    switch (split.method) {
        case kSplitNone:
            return bounded(state.equity / unitCost);
        case kSplitUnits: {
            // The unit count is kept in 16 bits, as the setting defines it.
            const int64_t n = std::max<int16_t>(static_cast<int16_t>(target), 0);
            return free >= unitCost * n ? bounded(n) : 0;
        }
        case kSplitPercent: {
            if (target < 0) return 0;
            int64_t money = 0;
            if (adding) {
                money = target * (state.equity + held) / 100;
            } else {
                money = std::max(target * state.capital / 100, unitCost);
            }
            return free >= money ? bounded(money / unitCost) : 0;
        }
        case kSplitYen: {
            if (target < 0) return 0;
            const int64_t money = std::max(target, unitCost);
            return free >= money ? bounded(money / unitCost) : 0;
        }
        default:
            return 0;
    }
}

int64_t commissionFor(const SimulationSettings& settings, int64_t amount) {
    int64_t fee = 0;
    switch (settings.commissionKind) {
        case kCommissionRate:
            fee = amount * settings.commissionValue / 10000;
            break;
        case kCommissionFixed:
            fee = settings.commissionValue;
            break;
        default:
            return 0;
    }
    if (settings.commissionMinimum > 0 && fee < settings.commissionMinimum)
        fee = settings.commissionMinimum;
    return fee;
}

}  // namespace tav
