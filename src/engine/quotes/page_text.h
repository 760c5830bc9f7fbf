#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/stock_code.h"

// Scanning of fetched pages. Pages are Shift-JIS; markers are written in UTF-8
// here and converted once. Every helper stays inside the text it is given.
namespace tav::page {

// The Shift-JIS bytes of a UTF-8 marker.
std::string sjis(std::string_view utf8);

// The lines of a page, as the parsers see them: the text up to each "\n" (a
// "\r" before it dropped); a last line without "\n" is never seen, and empty
// lines are skipped. The page ends at its first NUL byte.
class Lines {
  public:
    explicit Lines(std::string_view page);
    std::optional<std::string_view> next();
    // Skips n lines; false when the page ended first.
    bool skip(int n);

  private:
    std::string_view page_;
    std::size_t pos_ = 0;
};

// A cell text is kept in 64 bytes: longer cells are cut.
inline constexpr std::size_t kCellBytes = 63;

bool contains(std::string_view line, std::string_view marker);

// The text from `from` up to the next `end` marker. nullopt when `from` lies
// outside the line or the marker is missing (unless toEndIfMissing, when the
// text runs to the end of the line). endPos is where the marker starts.
struct Cell {
    std::string_view text;
    std::size_t endPos = 0;
};
std::optional<Cell> cellAt(std::string_view line, std::size_t from, std::string_view end,
                           bool toEndIfMissing = false);

// The cell cut to kCellBytes, never inside a double-byte character.
std::string_view cut(std::string_view cell);

// How decimals in a number cell are read.
enum class NumberStyle {
    Japanese,  // cut at the last "." (decimals dropped)
    Points,    // every "." removed (value scaled by the decimals shown)
};

// "," removed, decimals per style, the digits of forex code 1022 right-padded
// to five, then a C-style decimal conversion.
int64_t cleanNumber(std::string_view cell, NumberStyle style, bool padTo5 = false);

// A price as the 32-bit bar field holds it (saturated).
int32_t priceValue(int64_t value);

inline constexpr int64_t kPlaceholderVolume = 100000;

// Volume of an index bar on the Japanese sites: 100000 when the page gives 0,
// otherwise 0.
int64_t indexVolume(StockCode code, int64_t parsed);

}  // namespace tav::page
