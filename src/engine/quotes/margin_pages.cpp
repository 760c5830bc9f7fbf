#include "quotes/margin_pages.h"

#include <cstdlib>

#include "core/fields.h"
#include "core/text.h"
#include "quotes/date_converters.h"
#include "quotes/page_text.h"
#include "quotes/quote_addresses.h"

namespace tav {

namespace {

constexpr std::size_t kDateTextBytes = 14;
constexpr std::size_t kTextBytes = 19;

std::string shown(std::string_view cell, std::size_t bytes) {
    return text::utf8FromSjis(cell.substr(0, text::sjisCutLength(cell, bytes)));
}

int32_t balance(std::string_view cell) {
    std::string digits;
    for (char c : page::cut(cell))
        if (c != ',') digits += c;
    return parseLeadingInt32(digits);
}

// Fills a record from its four cells (Shift-JIS).
MarginRecord makeRecord(std::string_view date, std::string dateDigits, std::string_view sell,
                        std::string_view buy, std::string_view ratio) {
    MarginRecord record;
    record.dateText = shown(date, kDateTextBytes);
    record.sellText = shown(sell, kTextBytes);
    record.buyText = shown(buy, kTextBytes);
    record.ratioText = shown(ratio, kTextBytes);
    record.date = std::move(dateDigits);
    if (record.date.size() > 8) record.date.resize(8);
    record.sell = balance(sell);
    record.buy = balance(buy);
    std::string ratioText(page::cut(ratio));
    record.ratio = std::strtod(ratioText.c_str(), nullptr);
    return record;
}

}  // namespace

std::vector<MarginRecord> parseYahooMargin(std::string_view pageText) {
    static const std::string kSell = page::sjis("売残");
    static const std::string kBuy = page::sjis("買残");
    static const std::string kRatio = page::sjis("信用倍率");
    constexpr std::string_view kSmall = "<small>";
    constexpr std::string_view kSmallEnd = "</small>";
    constexpr std::size_t kNextCell = 24;

    std::vector<MarginRecord> records;
    page::Lines lines(pageText);
    bool header = false;
    while (!header) {
        auto line = lines.next();
        if (!line) return records;
        if (!page::contains(*line, "<th><small>") || !page::contains(*line, kSell)) continue;
        auto buy = lines.next();
        if (!buy || !page::contains(*buy, kBuy)) continue;
        auto ratio = lines.next();
        if (!ratio || !page::contains(*ratio, kRatio)) continue;
        header = lines.skip(2);
    }
    while (auto line = lines.next()) {
        if (!line->starts_with("align=right  bgcolor=")) break;
        std::size_t small = line->find(kSmall);
        if (small == std::string_view::npos) continue;
        auto date = page::cellAt(*line, small + kSmall.size(), kSmallEnd);
        auto sell = date ? page::cellAt(*line, date->endPos + kNextCell, kSmallEnd) : std::nullopt;
        auto buy = sell ? page::cellAt(*line, sell->endPos + kNextCell, kSmallEnd) : std::nullopt;
        auto ratio = buy ? page::cellAt(*line, buy->endPos + kNextCell, kSmallEnd) : std::nullopt;
        if (!ratio) continue;
        if (records.size() >= kMaxMarginRecords) continue;
        auto digits = japaneseDateText(page::cut(date->text), PeriodMode::Daily);
        records.push_back(
            makeRecord(date->text, digits.value_or(""), sell->text, buy->text, ratio->text));
    }
    return records;
}

std::vector<MarginRecord> parseInfoseekMargin(std::string_view pageText) {
    static const std::string kSell = page::sjis("信用売残");
    static const std::string kBuy = page::sjis("信用買残");
    static const std::string kRatio = page::sjis("貸借倍率");

    std::vector<MarginRecord> records;
    page::Lines lines(pageText);
    bool header = false;
    while (!header) {
        auto line = lines.next();
        if (!line) return records;
        if (!page::contains(line->substr(0, 10), "<th ") || !page::contains(*line, kSell)) continue;
        auto buy = lines.next();
        if (!buy || !page::contains(*buy, kBuy)) continue;
        auto ratio = lines.next();
        header = ratio && page::contains(*ratio, kRatio);
    }
    auto tdCell = [](std::optional<std::string_view> line) -> std::optional<std::string_view> {
        if (!line) return std::nullopt;
        std::size_t td = line->find("<td>");
        if (td == std::string_view::npos) return std::nullopt;
        auto cell = page::cellAt(*line, td + 4, "</td>");
        if (!cell) return std::nullopt;
        return cell->text;
    };
    while (true) {
        auto rowEnd = lines.next();
        if (!rowEnd || !page::contains(*rowEnd, "</tr>")) break;
        auto rowStart = lines.next();
        if (!rowStart || !page::contains(*rowStart, "<tr ")) break;
        auto dateLine = lines.next();
        auto sell = tdCell(lines.next());
        auto buy = tdCell(lines.next());
        auto ratio = tdCell(lines.next());
        if (!dateLine) break;
        std::size_t center = dateLine->find("center");
        if (center == std::string_view::npos) continue;
        auto date = page::cellAt(*dateLine, center + 8, "</td>");
        if (!date || !sell || !buy || !ratio || records.size() >= kMaxMarginRecords) continue;
        std::string digits(page::cut(date->text));
        std::erase(digits, '-');
        records.push_back(makeRecord(date->text, digits, *sell, *buy, *ratio));
    }
    return records;
}

std::vector<MarginRecord> fetchMargin(QuoteContext& context, StockCode code,
                                      const SecurityInfo& security, const LocalDate& today) {
    const DateSpan span = spanEnding(today, 1, 0);
    const std::string symbol = marketSymbol(code, security.market);
    std::string url =
        context.useInfoseek
            ? infoseekMarginAddress(context.endpoints.address(Endpoints::kMarginInfoseek), symbol,
                                    span)
            : yahooMarginAddress(context.endpoints.address(Endpoints::kMarginYahoo), symbol, span);
    auto pageText = fetchPage(context, url);
    if (!pageText) return {};
    return context.useInfoseek ? parseInfoseekMargin(*pageText) : parseYahooMargin(*pageText);
}

void applyMarginBalances(std::span<DailyBar> bars, std::span<const MarginRecord> records) {
    for (const MarginRecord& record : records) {
        if (record.dateText.empty()) break;
        for (std::size_t i = bars.size(); i-- > 0;) {
            if (bars[i].dateText() == record.date) {
                bars[i].marginSell = record.sell;
                bars[i].marginBuy = record.buy;
                break;
            }
        }
    }
    int32_t lastSell = 0;
    int32_t lastBuy = 0;
    for (DailyBar& bar : bars) {
        if (bar.marginBuy == 0)
            bar.marginBuy = lastBuy;
        else
            lastBuy = bar.marginBuy;
        if (bar.marginSell == 0)
            bar.marginSell = lastSell;
        else
            lastSell = bar.marginSell;
    }
}

}  // namespace tav
