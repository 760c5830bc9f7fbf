#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "data/stock_master.h"
#include "quotes/page_fetch.h"

namespace tav {

// The fundamental figures of the quote page, in record order.
inline constexpr std::size_t kQuoteTextCount = 13;

struct QuoteTextField {
    std::string_view label;   // how the figure is shown
    std::string_view marker;  // where it stands on the page
    std::size_t offset;       // from the marker's start to the value
};
extern const std::array<QuoteTextField, kQuoteTextCount> kQuoteTextFields;

// Today's prices of a security and its figures as the quote page shows them.
struct QuoteRecord {
    int32_t open = 0;
    int32_t high = 0;
    int32_t low = 0;
    int32_t price = 0;  // current price
    int64_t volume = 0;
    // UTF-8, each at most 19 bytes of page text.
    std::array<std::string, kQuoteTextCount> texts;
};

// The quote block starts at the first line that starts with "<tr align=" and
// names the price or the market capitalisation. nullopt without it.
std::optional<QuoteRecord> parseQuotePage(std::string_view page, bool pricesOnly);

// Currency pairs and US listings have no quote page.
bool hasQuotePage(StockCode code);

// Fetches and parses the quote page of a code (failures are silent: nullopt).
std::optional<QuoteRecord> fetchQuote(QuoteContext& context, StockCode code,
                                      const SecurityInfo& security, bool pricesOnly);

}  // namespace tav
