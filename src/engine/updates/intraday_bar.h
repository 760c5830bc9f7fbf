#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "core/bar_series.h"

// Today's provisional bar: shown and analysed, never written to a data file,
// dropped before the next update.
namespace tav {

struct IntradayQuote {
    int32_t open = 0;
    int32_t high = 0;
    int32_t low = 0;
    int32_t close = 0;
    int64_t volume = 0;
};

inline constexpr std::string_view kRealtimeFileName = "Realtime.txt";

// The first line of "Realtime.txt" whose code field is the code
// ("code,open,high,low,close,volume"); nullopt when there is none.
std::optional<IntradayQuote> realtimeQuote(std::string_view fileBytes, StockCode code);

// Adds or replaces today's provisional bar at the end of the series: the
// real-time line when it has a close, else the given quote when all four of
// its prices are set. Nothing happens on an empty series or while the cursor
// is not on the last bar. True when the series changed.
bool addIntradayBar(BarSeries& series, const std::optional<IntradayQuote>& realtime,
                    const IntradayQuote& given, std::string_view today);

}  // namespace tav
