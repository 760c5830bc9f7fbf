#include <cmath>
#include <cstdlib>

#include "core/fields.h"
#include "quotes/date_converters.h"
#include "quotes/history_parsers.h"
#include "quotes/page_text.h"

namespace tav {

namespace {

constexpr std::size_t kRows = 50;
constexpr std::string_view kRowStart = R"(align=right bgcolor="#ffffff"><td>)";
constexpr std::string_view kSmall = "<small>";
constexpr std::string_view kSmallEnd = "</small>";
// Offsets from the start of a cell's "</small>" to the next cell's text.
constexpr std::size_t kNextCell = 24;
constexpr std::size_t kCloseCell = 27;
constexpr std::size_t kVolumeCell = 28;

struct SplitMark {
    int16_t ratio = 0;
    std::string date;
    std::size_t row = 0;  // the row after the split row
};

// "分割: 1株 -> 2株": ratio = trunc(to * 100) / from, 100 when that is 0. A
// count of 0 or below, a missing "株" or a ratio the bar field cannot hold
// drops the mark.
std::optional<int16_t> splitRatio(std::string_view line, std::size_t splitPos) {
    static const std::string kShares = page::sjis("株");
    auto from = page::cellAt(line, splitPos + 6, kShares);
    if (!from) return std::nullopt;
    auto to = page::cellAt(line, from->endPos + 6, kShares);
    if (!to) return std::nullopt;
    int64_t fromCount = parseLeadingInt64(page::cut(from->text));
    std::string toText(page::cut(to->text));
    double toCount = std::strtod(toText.c_str(), nullptr);
    if (fromCount <= 0 || !std::isfinite(toCount) || toCount < 0 || toCount > 1e9)
        return std::nullopt;
    int64_t ratio = static_cast<int64_t>(toCount * 100) / fromCount;
    if (ratio == 0) ratio = 100;
    if (ratio > INT16_MAX) return std::nullopt;
    return static_cast<int16_t>(ratio);
}

// One table row; false when it is malformed.
bool parseRow(std::string_view line, StockCode code, PeriodMode period, DailyBar& bar) {
    std::size_t small = line.find(kSmall);
    if (small == std::string_view::npos) return false;
    auto date = page::cellAt(line, small + kSmall.size(), kSmallEnd);
    if (!date) return false;
    auto dateText = japaneseDateText(page::cut(date->text), period);
    if (!dateText) return false;
    auto open = page::cellAt(line, date->endPos + kNextCell, kSmallEnd);
    if (!open) return false;
    auto high = page::cellAt(line, open->endPos + kNextCell, kSmallEnd);
    if (!high) return false;
    auto low = page::cellAt(line, high->endPos + kNextCell, kSmallEnd);
    if (!low) return false;
    auto close = page::cellAt(line, low->endPos + kCloseCell, "<", true);
    if (!close) return false;
    int64_t volume = 0;
    if (close->endPos + kVolumeCell < line.size()) {
        auto cell = page::cellAt(line, close->endPos + kVolumeCell, "<", true);
        volume = page::cleanNumber(cell->text, page::NumberStyle::Japanese);
    }
    setBarDate(bar, *dateText);
    bar.open = page::priceValue(page::cleanNumber(open->text, page::NumberStyle::Japanese));
    bar.high = page::priceValue(page::cleanNumber(high->text, page::NumberStyle::Japanese));
    bar.low = page::priceValue(page::cleanNumber(low->text, page::NumberStyle::Japanese));
    bar.close = page::priceValue(page::cleanNumber(close->text, page::NumberStyle::Japanese));
    bar.volume = page::indexVolume(code, volume);
    return true;
}

}  // namespace

PageParse parseYahooJapan(std::string_view pageText, StockCode code, PeriodMode period) {
    static const std::string kOpen = page::sjis("始値");
    static const std::string kHigh = page::sjis("高値");
    static const std::string kLow = page::sjis("安値");
    static const std::string kClose = page::sjis("終値");
    static const std::string kAdjusted = page::sjis("調整後終値");
    static const std::string kSplit = page::sjis("分割:");
    static const std::string kNext = page::sjis("次の");
    static const std::string kItems = page::sjis("件");
    static const std::string kFontStart = "<font size=-1>";

    const std::string noData = codeText(code) + " のデータはありません。";
    const std::string noDataSjis = page::sjis(noData);

    PageParse result;
    std::vector<DailyBar> rows;
    std::optional<SplitMark> split;
    bool inTable = false;
    page::Lines lines(pageText);
    while (auto line = lines.next()) {
        if (line->size() > noDataSjis.size() && page::contains(*line, noDataSjis)) {
            result.errorText = noData;
            return result;
        }
        if (!inTable) {
            if (line->starts_with("<tr bgcolor=") &&
                (page::contains(*line, kAdjusted) || page::contains(*line, kOpen)) &&
                page::contains(*line, kOpen) && page::contains(*line, kHigh) &&
                page::contains(*line, kLow) && page::contains(*line, kClose)) {
                lines.skip(1);
                inTable = true;
            }
            continue;
        }
        if (!line->starts_with(kRowStart)) {
            if (rows.empty()) return result;
            result.furtherPage = page::contains(*line, kNext) && page::contains(*line, kItems);
            if (split) {
                // A split on the last row of a full page marks a row of the
                // next page: that mark is dropped.
                if (split->row < rows.size()) {
                    std::size_t row = split->row;
                    bool onSplitDay = !split->date.empty() && split->date == rows[row].dateText();
                    bool longPeriod = period != PeriodMode::Daily;
                    if (!split->date.empty() && (onSplitDay || longPeriod) && row + 1 < rows.size())
                        ++row;
                    rows[row].splitRatio = split->ratio;
                }
            }
            result.bars = std::move(rows);
            return result;
        }
        if (rows.size() >= kRows) continue;
        DailyBar bar{};
        const bool counted = parseRow(*line, code, period, bar);
        if (std::size_t pos = line->find(kSplit); pos != std::string_view::npos) {
            if (auto ratio = splitRatio(*line, pos)) {
                // The mark goes on the row after the split row; a split row
                // without prices is not counted, so that is the next row.
                SplitMark mark{*ratio, {}, rows.size() + (counted ? 1 : 0)};
                std::size_t font = line->find(kFontStart);
                if (font != std::string_view::npos) {
                    auto cell = page::cellAt(*line, font + kFontStart.size(), "</font>");
                    if (cell) {
                        if (auto date = japaneseDateText(page::cut(cell->text), period))
                            mark.date = *date;
                    }
                }
                split = mark;
            }
        }
        if (counted)
            rows.push_back(bar);
        else if (line->find(kSplit) == std::string_view::npos)
            ++result.unreadRows;
    }
    return result;
}

}  // namespace tav
