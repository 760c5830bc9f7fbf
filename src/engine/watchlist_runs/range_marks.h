#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

#include "core/daily_bar.h"

// The range column of the watchlist pane: where the last close stands against
// a band taken from the bars before it.
namespace tav {

inline constexpr int kRangeTypeCount = 10;

// Marks of the entry list (they colour the entry's text).
inline constexpr uint8_t kMarkAboveRange = 3;
inline constexpr uint8_t kMarkBelowRange = 4;

// The "レンジ種別指定" menu texts, by range type.
inline constexpr std::array<std::string_view, kRangeTypeCount> kRangeTypeLabels = {
    "昨日の高値－安値",     "ピボットのＳ１－Ｂ１", "ピボットのＳ２－Ｂ２", "ピボットのHBOP-LBOP",
    "３日間の高値－安値",   "５日間の高値－安値",   "７日間の高値－安値",   "１０日間の高値－安値",
    "１５日間の高値－安値", "２０日間の高値－安値"};

struct RangeBand {
    int32_t upper = 0;
    int32_t lower = 0;
};

// The band of range type `type` for the last bar: types 0-3 from the bar
// before it (the previous range and its pivot levels), types 4-9 the highest
// high and lowest low of the 3, 5, 7, 10, 15 or 20 bars before it. Nothing
// when the series is too short for the type (types 4-9 need more than n bars
// before the last) or the type is unknown.
std::optional<RangeBand> rangeBand(std::span<const DailyBar> bars, int type);

// 4 when the last close is below the band, else 3 when above it, else 0;
// 0 also without a band.
uint8_t rangeMark(std::span<const DailyBar> bars, int type);

}  // namespace tav
