#pragma once

#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "chart_lines/day_levels.h"
#include "core/stock_code.h"

// "Layer.txt" of a whole watchlist: the day-trading levels of several
// securities side by side, in blocks of five (A4 portrait) or six columns.
namespace tav {

class ProgramFolder;

inline constexpr std::string_view kLayerFileName = "Layer.txt";

// One security's column.
struct LevelColumn {
    StockCode code = 0;
    std::string name;  // UTF-8, as the master list names it
    LevelList levels;
};

// The label a level carries in a column (10 Shift-JIS bytes at most).
std::string_view columnLabel(std::string_view levelName);

// The first bytes of a name that fit `maxBytes` Shift-JIS bytes without
// cutting a double-byte character, as Shift-JIS.
std::string cutSjisName(std::string_view utf8Name, std::size_t maxBytes);

// The file bytes (Shift-JIS). Each block: a 132-column header with
// "code name" at every 22nd column, "\n\n"; 20 rows with each column's label
// at 22k and value at 22k + 11, 110 columns and "\n" for blocks of 5, 132
// columns and "\n\n" for blocks of 6; then "\n". A last partial block keeps the
// width of a full one.
std::string layerBlocksText(std::span<const LevelColumn> columns, int blockSize);

// Replaces "Layer.txt" in the program folder atomically; its path, or nothing
// when it could not be written (the old file stays).
std::optional<std::string> writeLayerBlocks(const ProgramFolder& folder,
                                            std::span<const LevelColumn> columns, int blockSize);

}  // namespace tav
