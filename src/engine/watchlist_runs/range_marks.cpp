#include "watchlist_runs/range_marks.h"

#include <algorithm>
#include <limits>

namespace tav {

namespace {

// Bars looked back over by types 4-9.
constexpr int kLookback[kRangeTypeCount] = {0, 0, 0, 0, 3, 5, 7, 10, 15, 20};

int32_t clampPrice(int64_t value) {
    return static_cast<int32_t>(std::clamp<int64_t>(value, std::numeric_limits<int32_t>::min(),
                                                    std::numeric_limits<int32_t>::max()));
}

}  // namespace

std::optional<RangeBand> rangeBand(std::span<const DailyBar> bars, int type) {
    if (type < 0 || type >= kRangeTypeCount) return std::nullopt;
    const int last = static_cast<int>(bars.size()) - 1;
    if (last < 1) return std::nullopt;

    const int lookback = kLookback[type];
    if (lookback > 0) {
        // The band of too short a series would be 0 and put every close above it.
        if (last <= lookback) return std::nullopt;
        int32_t high = std::numeric_limits<int32_t>::min();
        int32_t low = std::numeric_limits<int32_t>::max();
        for (int i = last - lookback; i < last; ++i) {
            high = std::max(high, bars[i].high);
            low = std::min(low, bars[i].low);
        }
        return RangeBand{high, low};
    }

    const DailyBar& before = bars[last - 1];
    const int64_t h = before.high;
    const int64_t l = before.low;
    const int64_t p = (h + l + before.close) / 3;
    switch (type) {
        case 0: return RangeBand{before.high, before.low};
        case 1: return RangeBand{clampPrice(2 * p - l), clampPrice(2 * p - h)};
        case 2: return RangeBand{clampPrice(p + h - l), clampPrice(p - h + l)};
        default: return RangeBand{clampPrice(2 * p + h - 2 * l), clampPrice(2 * p + l - 2 * h)};
    }
}

uint8_t rangeMark(std::span<const DailyBar> bars, int type) {
    const auto band = rangeBand(bars, type);
    if (!band) return 0;
    const int32_t close = bars.back().close;
    if (close < band->lower) return kMarkBelowRange;
    if (close > band->upper) return kMarkAboveRange;
    return 0;
}

}  // namespace tav
