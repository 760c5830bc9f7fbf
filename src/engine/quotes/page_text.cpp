#include "quotes/page_text.h"

#include <limits>

#include "core/fields.h"
#include "core/text.h"

namespace tav::page {

std::string sjis(std::string_view utf8) {
    return text::sjisFromUtf8(utf8);
}

Lines::Lines(std::string_view page) : page_(page.substr(0, page.find('\0'))) {}

std::optional<std::string_view> Lines::next() {
    while (pos_ < page_.size()) {
        std::size_t newline = page_.find('\n', pos_);
        if (newline == std::string_view::npos) {
            pos_ = page_.size();
            return std::nullopt;
        }
        std::string_view line = page_.substr(pos_, newline - pos_);
        pos_ = newline + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (!line.empty()) return line;
    }
    return std::nullopt;
}

bool Lines::skip(int n) {
    for (int i = 0; i < n; ++i)
        if (!next()) return false;
    return true;
}

bool contains(std::string_view line, std::string_view marker) {
    return line.find(marker) != std::string_view::npos;
}

std::optional<Cell> cellAt(std::string_view line, std::size_t from, std::string_view end,
                           bool toEndIfMissing) {
    if (from > line.size()) return std::nullopt;
    std::size_t endPos = line.find(end, from);
    if (endPos == std::string_view::npos) {
        if (!toEndIfMissing) return std::nullopt;
        endPos = line.size();
    }
    return Cell{line.substr(from, endPos - from), endPos};
}

std::string_view cut(std::string_view cell) {
    return cell.substr(0, text::sjisCutLength(cell, kCellBytes));
}

int64_t cleanNumber(std::string_view cell, NumberStyle style, bool padTo5) {
    std::string digits;
    for (char c : cut(cell))
        if (c != ',') digits += c;
    if (style == NumberStyle::Japanese) {
        if (auto point = digits.rfind('.'); point != std::string::npos) digits.resize(point);
    } else {
        std::erase(digits, '.');
    }
    if (padTo5) {
        if (digits.size() == 2)
            digits += "000";
        else if (digits.size() == 3)
            digits += "00";
        else if (digits.size() == 4)
            digits += "0";
    }
    return parseLeadingInt64(digits);
}

int32_t priceValue(int64_t value) {
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

int64_t indexVolume(StockCode code, int64_t parsed) {
    if (code != 1010 && code != 1001) return parsed;
    return parsed == 0 ? kPlaceholderVolume : 0;
}

}  // namespace tav::page
