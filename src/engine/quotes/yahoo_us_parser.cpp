#include "quotes/date_converters.h"
#include "quotes/history_parsers.h"
#include "quotes/page_text.h"

namespace tav {

namespace {

constexpr std::size_t kRows = 66;
constexpr std::string_view kRowMarker = "nowrap align";
constexpr std::string_view kCellMarker = "align";
constexpr std::string_view kNext = ">Next<";
// The row offset of the "Next" link on the last page.
constexpr std::string_view kLastOffset = "999999";

// The next cell after `from`: the next "align", its ">" and the text up to "<".
std::optional<page::Cell> nextCell(std::string_view line, std::size_t from) {
    std::size_t align = line.find(kCellMarker, from);
    if (align == std::string_view::npos) return std::nullopt;
    std::size_t gt = line.find('>', align);
    if (gt == std::string_view::npos) return std::nullopt;
    return page::cellAt(line, gt + 1, "<", true);
}

int64_t number(const page::Cell& cell) {
    return page::cleanNumber(cell.text, page::NumberStyle::Points);
}

}  // namespace

PageParse parseYahooUS(std::string_view pageText, StockCode code) {
    const std::string noData = codeText(code) + " のデータはありません。";
    const std::string noDataSjis = page::sjis(noData);
    PageParse result;
    page::Lines lines(pageText);
    auto reportsNoData = [&](std::string_view line) {
        if (line.size() > noDataSjis.size() && page::contains(line, noDataSjis)) {
            result.errorText = noData;
            return true;
        }
        return false;
    };

    std::optional<std::string_view> line;
    std::size_t offset = 0;
    while ((line = lines.next())) {
        if (reportsNoData(*line)) return result;
        if (std::size_t header = line->find("Adj Close*"); header != std::string_view::npos) {
            offset = header;
            break;
        }
    }
    if (!line) return result;

    std::vector<DailyBar> rows;
    while (true) {
        std::size_t rowPos = line->find(kRowMarker, offset);
        if (rowPos == std::string_view::npos) break;
        std::size_t gt = line->find('>', rowPos);
        if (gt == std::string_view::npos) break;
        auto dateCell = page::cellAt(*line, gt + 1, "<", true);
        auto open = nextCell(*line, dateCell->endPos);
        if (!open) break;
        if (open->text.empty()) {
            // The row goes on in the next line; the scan resumes there at the
            // offset reached in this one.
            std::size_t carried = open->endPos;
            if (!(line = lines.next())) return result;
            offset = std::min(carried, line->size());
            continue;
        }
        if (number(*open) == 0) {
            offset = dateCell->endPos;
            continue;
        }
        auto high = nextCell(*line, open->endPos);
        auto low = high ? nextCell(*line, high->endPos) : std::nullopt;
        auto close = low ? nextCell(*line, low->endPos) : std::nullopt;
        auto volume = close ? nextCell(*line, close->endPos) : std::nullopt;
        if (!volume) break;
        offset = volume->endPos;
        auto date = usDateText(page::cut(dateCell->text));
        if (rows.size() >= kRows) continue;
        if (!date) {
            ++result.unreadRows;
            continue;
        }
        DailyBar bar{};
        setBarDate(bar, *date);
        bar.open = page::priceValue(number(*open));
        bar.high = page::priceValue(number(*high));
        bar.low = page::priceValue(number(*low));
        bar.close = page::priceValue(number(*close));
        if (!volume->text.empty()) {
            int64_t parsed = number(*volume);
            bar.volume = parsed == 0 ? page::kPlaceholderVolume : parsed;
        }
        rows.push_back(bar);
    }

    while ((line = lines.next())) {
        if (reportsNoData(*line)) return result;
        std::size_t next = line->find(kNext);
        if (next == std::string_view::npos || next == 0) continue;
        // The six characters before the link's closing quote; a link too near
        // the line start to hold them is taken as the last page.
        result.furtherPage =
            next >= kLastOffset.size() + 1 &&
            line->substr(next - kLastOffset.size() - 1, kLastOffset.size()) != kLastOffset;
        if (!rows.empty()) result.bars = std::move(rows);
        return result;
    }
    return result;
}

PageParse parseHistoryPage(QuoteSite site, std::string_view page, StockCode code,
                           PeriodMode period) {
    switch (site) {
        case QuoteSite::YahooJapan:
            return parseYahooJapan(page, code, period);
        case QuoteSite::InfoseekStock:
            return parseInfoseekStock(page, code);
        case QuoteSite::InfoseekForex:
            return parseInfoseekForex(page, code);
        case QuoteSite::YahooUs:
            return parseYahooUS(page, code);
    }
    return {};
}

}  // namespace tav
