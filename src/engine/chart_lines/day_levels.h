#pragma once

// The day-trading level list of one bar: pivot levels and the chart's lines,
// sorted by price, and its text export "Layer.txt".

#include <array>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "core/daily_bar.h"

namespace tav {

class ProgramFolder;

struct LevelEntry {
    std::string_view name;  // UTF-8
    // Missing when the level needs a bar the series does not have (the
    // cloud 50 bars back on a short series).
    std::optional<int32_t> value;
    // Pivot levels and the day's prices stand at column 0 in "Layer.txt",
    // the chart's lines at column 22.
    bool priceLevel = false;
};

constexpr int kLevelCount = 20;
using LevelList = std::array<LevelEntry, kLevelCount>;

// The seven pivot levels of a high, low and close, HBOP first.
std::array<LevelEntry, 7> pivotLevels(int32_t high, int32_t low, int32_t close);

// The list for bar k, sorted highest first (stable; missing values last).
// When bar k is the newest bar of the series and provisional, the high, low
// and close of bar k - 1 stand in for the day's range and the close is
// named "現在値".
LevelList levelList(std::span<const DailyBar> bars, int bar);

// The "Layer.txt" bytes (Shift-JIS): per entry 32 columns of spaces with the
// value at column 11 and the name at column 0 or 22, then "\n"; a blank line
// at the end.
std::string layerFileText(const LevelList& levels);

// Writes "Layer.txt" in the program folder; its path, or nothing on failure.
std::optional<std::string> writeLayerFile(const ProgramFolder& folder, const LevelList& levels);

}  // namespace tav
