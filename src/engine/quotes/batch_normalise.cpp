#include <algorithm>
#include <limits>

#include "quotes/history_parsers.h"

namespace tav {

namespace {

// Past this the prices are all 0 anyway; keeps the products inside 64 bits.
constexpr int64_t kMaxFactor = int64_t{1} << 40;

int64_t saturate(__int128 value) {
    constexpr auto kMax = std::numeric_limits<int64_t>::max();
    constexpr auto kMin = std::numeric_limits<int64_t>::min();
    return value > kMax ? kMax : value < kMin ? kMin : static_cast<int64_t>(value);
}

}  // namespace

bool normaliseBatch(std::vector<DailyBar>& batch, bool splitAdjust) {
    bool adjusted = false;
    if (splitAdjust) {
        // Running product of the ratios in percent: a 1:2 split then a 1:3
        // split divide the older prices by 6.
        int64_t factor = 100;
        for (DailyBar& bar : batch) {
            if (bar.splitRatio > 0) {
                adjusted = true;
                factor = std::clamp<int64_t>(factor * bar.splitRatio / 100, 1, kMaxFactor);
            }
            if (!adjusted) continue;
            for (int32_t* price : {&bar.open, &bar.high, &bar.low, &bar.close})
                *price = static_cast<int32_t>(int64_t{*price} * 100 / factor);
            bar.volume = saturate(static_cast<__int128>(bar.volume) * factor / 100);
        }
    }
    std::reverse(batch.begin(), batch.end());
    return adjusted;
}

}  // namespace tav
