#pragma once

#include <cstdint>
#include <cstdio>
#include <initializer_list>
#include <vector>

#include "core/daily_bar.h"

namespace tav::test {

// Bars whose open, high, low and close all equal the given closes, with one
// volume for every bar.
inline std::vector<DailyBar> barsFromCloses(std::initializer_list<int32_t> closes,
                                            int64_t volume = 1000) {
    std::vector<DailyBar> bars;
    for (int32_t close : closes) {
        DailyBar bar{};
        std::snprintf(bar.date, sizeof bar.date, "2024%04u",
                      static_cast<unsigned>(bars.size() % 9000 + 101));
        bar.open = bar.high = bar.low = bar.close = close;
        bar.volume = volume;
        bars.push_back(bar);
    }
    return bars;
}

// `count` bars with the same close.
inline std::vector<DailyBar> flatBars(int count, int32_t close, int64_t volume = 1000) {
    std::vector<DailyBar> bars(count);
    for (DailyBar& bar : bars) {
        bar.open = bar.high = bar.low = bar.close = close;
        bar.volume = volume;
    }
    return bars;
}

}  // namespace tav::test
