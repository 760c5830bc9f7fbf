#pragma once

// Shared checks of the history-page fuzz targets.
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "quotes/history_parsers.h"

namespace tav::fuzz {

// The bars of a page: at most `rows`, every date terminated, at most one
// split mark; normalising them keeps their number.
inline void checkPage(PageParse& parsed, std::size_t rows) {
    if (parsed.bars.size() > rows) std::abort();
    int marks = 0;
    for (const DailyBar& bar : parsed.bars) {
        if (bar.date[sizeof bar.date - 1] != '\0') std::abort();
        if (bar.splitRatio != 0) ++marks;
    }
    if (marks > 1) std::abort();
    std::size_t count = parsed.bars.size();
    normaliseBatch(parsed.bars, true);
    if (parsed.bars.size() != count) std::abort();
}

// The first byte picks the code and period, the rest is the page.
struct FuzzPage {
    StockCode code;
    PeriodMode period;
    std::string_view text;
};

inline FuzzPage fuzzPage(const uint8_t* data, size_t size, const StockCode (&codes)[4]) {
    if (size == 0) return {codes[0], PeriodMode::Daily, {}};
    return {codes[data[0] & 3], static_cast<PeriodMode>((data[0] >> 2) % 3),
            std::string_view(reinterpret_cast<const char*>(data + 1), size - 1)};
}

}  // namespace tav::fuzz
