#pragma once

// A deterministic made-up daily series for the pane tests and the paint benchmark.

#include <algorithm>
#include <cstdint>
#include <string>
#include <vector>

#include "core/daily_bar.h"

namespace tav::test {

inline std::vector<DailyBar> sampleBars(int count, int32_t start = 1500) {
    std::vector<DailyBar> bars(count);
    uint32_t seed = 12345;
    auto next = [&seed](int range) {
        seed = seed * 1103515245u + 12345u;
        return static_cast<int>((seed >> 4) % static_cast<uint32_t>(range));
    };
    int32_t close = start;
    int year = 2020, month = 1, day = 6;
    for (int i = 0; i < count; ++i) {
        DailyBar& bar = bars[i];
        setBarDate(bar, std::to_string(year * 10000 + month * 100 + day));
        if (++day > 28) {
            day = 1;
            if (++month > 12) {
                month = 1;
                ++year;
            }
        }
        bar.open = close + next(21) - 10;
        close = std::max(100, close + next(41) - 20);
        bar.close = close;
        bar.high = std::max(bar.open, bar.close) + next(15);
        bar.low = std::min(bar.open, bar.close) - next(15);
        bar.volume = 100000 + next(900000);
    }
    return bars;
}

}  // namespace tav::test
