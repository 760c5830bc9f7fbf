#include "quotes/date_converters.h"
#include "quotes/history_parsers.h"
#include "quotes/infoseek_table.h"

namespace tav {

namespace infoseek {

namespace {

constexpr int kRowLines = 7;  // date, close, open, high, low, volume, one more
constexpr std::size_t kRows = 50;

// The text after the line's first ">" up to the next "<".
std::optional<std::string_view> cellText(std::string_view line) {
    std::size_t gt = line.find('>');
    if (gt == std::string_view::npos) return std::nullopt;
    return page::cellAt(line, gt + 1, "<", true)->text;
}

enum class RowRead { Bar, NoTrade, Unreadable };

// One row from its seven lines.
RowRead parseRow(const Layout& layout, const std::string_view (&cells)[kRowLines], StockCode code,
                 DailyBar& bar) {
    const auto style = layout.forex ? page::NumberStyle::Points : page::NumberStyle::Japanese;
    const bool pad = layout.forex && code == 1022;
    std::size_t gt = cells[0].find('>');
    if (gt == std::string_view::npos) return RowRead::Unreadable;
    auto dateCell = page::cellAt(cells[0], gt + 1, "</td>");
    if (!dateCell) return RowRead::Unreadable;
    auto date = slashDateText(page::cut(dateCell->text));
    if (!date) return RowRead::Unreadable;

    auto closeText = cellText(cells[1]);
    if (!closeText) return RowRead::Unreadable;
    int64_t close = closeText->starts_with('-') ? 0 : page::cleanNumber(*closeText, style, pad);
    if (close == 0 && layout.zeroCloseDropsRow) return RowRead::NoTrade;
    int64_t prices[3] = {};
    for (int i = 0; i < 3; ++i) {
        auto text = cellText(cells[2 + i]);
        if (!text) return RowRead::Unreadable;
        prices[i] = text->starts_with('-') ? close : page::cleanNumber(*text, style, pad);
    }
    auto volumeText = cellText(cells[5]);
    if (!volumeText) return RowRead::Unreadable;
    int64_t volume = volumeText->starts_with('-')
                         ? 0
                         : page::cleanNumber(*volumeText, page::NumberStyle::Japanese);

    setBarDate(bar, *date);
    bar.open = page::priceValue(prices[0]);
    bar.high = page::priceValue(prices[1]);
    bar.low = page::priceValue(prices[2]);
    bar.close = page::priceValue(close);
    bar.volume = layout.forex ? page::kPlaceholderVolume : page::indexVolume(code, volume);
    return RowRead::Bar;
}

}  // namespace

PageParse parseTable(const Layout& layout, std::string_view pageText, StockCode code) {
    static const std::string kNoData = page::sjis("と一致するデータが見つかりませんでした。");
    PageParse result;
    std::vector<DailyBar> rows;
    bool inTable = false;
    page::Lines lines(pageText);
    while (auto line = lines.next()) {
        if (line->size() > kNoData.size() && page::contains(*line, kNoData)) {
            result.errorText =
                "「" + codeText(code) + "」" + "と一致するデータが見つかりませんでした。";
            return result;
        }
        if (!inTable) {
            if (*line == layout.header) {
                lines.skip(1);
                inTable = true;
            }
            continue;
        }
        if (line->starts_with(layout.tableEnd)) {
            result.furtherPage = layout.furtherPage(lines);
            if (!rows.empty()) result.bars = std::move(rows);
            return result;
        }
        if (!line->starts_with(layout.rowStart)) continue;
        std::string_view cells[kRowLines];
        for (auto& cell : cells) {
            auto next = lines.next();
            if (!next) return result;
            cell = *next;
        }
        DailyBar bar{};
        if (rows.size() >= kRows) continue;
        RowRead read = parseRow(layout, cells, code, bar);
        if (read == RowRead::Bar)
            rows.push_back(bar);
        else if (read == RowRead::Unreadable)
            ++result.unreadRows;
    }
    return result;
}

}  // namespace infoseek

PageParse parseInfoseekStock(std::string_view pageText, StockCode code) {
    static const infoseek::Layout kLayout = [] {
        infoseek::Layout layout;
        layout.header = page::sjis("    <th>出来高</th>");
        layout.rowStart = std::string(12, ' ') + R"(<tr align="right" bgcolor=)";
        layout.tableEnd = "    </table>";
        layout.furtherPage = [](page::Lines& lines) {
            std::optional<std::string_view> line;
            for (int i = 0; i < 8; ++i)
                if (!(line = lines.next())) return false;
            return page::contains(*line, "/MnStock/mn_slast.html");
        };
        return layout;
    }();
    return infoseek::parseTable(kLayout, pageText, code);
}

}  // namespace tav
