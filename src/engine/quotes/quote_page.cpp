#include "quotes/quote_page.h"

#include "core/fields.h"
#include "core/text.h"
#include "quotes/page_text.h"
#include "quotes/quote_addresses.h"

namespace tav {

const std::array<QuoteTextField, kQuoteTextCount> kQuoteTextFields = {{
    {"時価総額", "時価総額", 12},
    {"発行済株式数", "発行済株式数", 16},
    {"配当利回り", "配当利回り", 14},
    {"1株配当", "1株配当", 11},
    {"株価収益率", "株価収益率", 14},
    {"1株利益", "1株利益", 11},
    {"純資産倍率", "純資産倍率", 14},
    {"1株株主資本", "1株株主資本", 15},
    {"株主資本比率", "株主資本比率", 16},
    {"株主資本利益率", "株主資本利益率", 18},
    {"総資産利益率", "総資産利益率", 16},
    {"調整1株益", "調整1株益", 13},
    {"決算年月", "決算年月", 12},
}};

namespace {

constexpr std::size_t kTextBytes = 19;

// The text from marker + offset up to the next "<"; nullopt without the marker.
std::optional<std::string_view> valueAt(std::string_view line, std::string_view utf8Marker,
                                        std::size_t offset) {
    std::string marker = page::sjis(utf8Marker);
    std::size_t pos = line.find(marker);
    if (pos == std::string_view::npos) return std::nullopt;
    auto cell = page::cellAt(line, pos + offset, "<", true);
    if (!cell) return std::string_view();
    return cell->text;
}

int64_t quoteNumber(std::string_view cell) {
    std::string digits;
    for (char c : page::cut(cell))
        if (c != ',') digits += c;
    return parseLeadingInt64(digits);
}

}  // namespace

std::optional<QuoteRecord> parseQuotePage(std::string_view pageText, bool pricesOnly) {
    static const std::string kPrice = page::sjis("取引値");
    static const std::string kCapital = page::sjis("時価総額");
    static const std::string kOpen = page::sjis("始値");
    static const std::string kLow = page::sjis("安値");

    page::Lines lines(pageText);
    std::optional<std::string_view> line;
    while ((line = lines.next())) {
        if (line->starts_with("<tr align=") &&
            (page::contains(*line, kPrice) || page::contains(*line, kCapital)))
            break;
    }
    if (!line) return std::nullopt;

    QuoteRecord record;
    if (std::size_t pos = line->find(kPrice); pos != std::string_view::npos) {
        std::size_t bold = line->find("<b>", pos + kPrice.size());
        if (bold != std::string_view::npos)
            record.price =
                page::priceValue(quoteNumber(page::cellAt(*line, bold + 3, "<", true)->text));
    }
    if (auto volume = valueAt(*line, "出来高", 10)) record.volume = quoteNumber(*volume);
    if (auto capital = valueAt(*line, kQuoteTextFields[0].marker, kQuoteTextFields[0].offset))
        record.texts[0] =
            text::utf8FromSjis(capital->substr(0, text::sjisCutLength(*capital, kTextBytes)));

    for (; line; line = lines.next()) {
        if (!page::contains(*line, kOpen) && !page::contains(*line, kLow)) continue;
        if (auto open = valueAt(*line, "始値", 8))
            record.open = page::priceValue(quoteNumber(*open));
        if (auto high = valueAt(*line, "高値", 8))
            record.high = page::priceValue(quoteNumber(*high));
        if (auto low = valueAt(*line, "安値", 8)) record.low = page::priceValue(quoteNumber(*low));
        if (pricesOnly) return record;
        for (std::size_t i = 0; i < kQuoteTextCount; ++i) {
            auto value = valueAt(*line, kQuoteTextFields[i].marker, kQuoteTextFields[i].offset);
            if (value)
                record.texts[i] =
                    text::utf8FromSjis(value->substr(0, text::sjisCutLength(*value, kTextBytes)));
        }
        return record;
    }
    return record;
}

bool hasQuotePage(StockCode code) {
    auto kind = securityKind(code);
    return kind == SecurityKind::JapaneseStock || kind == SecurityKind::JapaneseIndex;
}

std::optional<QuoteRecord> fetchQuote(QuoteContext& context, StockCode code,
                                      const SecurityInfo& security, bool pricesOnly) {
    if (!hasQuotePage(code)) return std::nullopt;
    std::string url = quotePageAddress(context.endpoints.address(Endpoints::kQuote),
                                       yahooJapanSymbol(code, security.market));
    auto pageText = fetchPage(context, url);
    if (!pageText) return std::nullopt;
    return parseQuotePage(*pageText, pricesOnly);
}

}  // namespace tav
