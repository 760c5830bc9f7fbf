#pragma once

#include <array>
#include <span>
#include <string>
#include <string_view>

#include "core/daily_bar.h"
#include "simulation/trade_insight.h"

namespace tav {

inline constexpr int kTripColumnCount = 12;

// The trade list's columns: English names for exports, Japanese headers for
// the desktop list and its clipboard text.
extern const std::array<std::string_view, kTripColumnCount> kTripColumnNames;
extern const std::array<std::string_view, kTripColumnCount> kTripColumnHeaders;

// The cell texts of one round trip. `tacticNames` by tactic index (a missing
// name prints the 1-based number); `labels` picks the Japanese side and reason
// words instead of the English ones.
std::array<std::string, kTripColumnCount> tripCells(const RoundTrip& trip,
                                                    std::span<const DailyBar> bars,
                                                    std::span<const std::string> tacticNames,
                                                    bool labels);

// CSV (UTF-8, a header line, fields with a comma or quote quoted) of the
// round trips, and of the equity curve: date, equity, drawdown.
std::string tripsCsv(const TradeInsight& insight, std::span<const DailyBar> bars,
                     std::span<const std::string> tacticNames);
std::string equityCsv(const TradeInsight& insight, std::span<const DailyBar> bars);

// Tab-separated text of the given trips in the given order, with the Japanese
// header line, for the clipboard.
std::string tripsTabText(std::span<const RoundTrip> trips, std::span<const DailyBar> bars,
                         std::span<const std::string> tacticNames);

}  // namespace tav
