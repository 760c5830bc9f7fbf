#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/daily_bar.h"
#include "core/local_date.h"
#include "data/stock_master.h"
#include "quotes/page_fetch.h"

namespace tav {

// The margin table holds this many rows; later rows of a page are dropped.
inline constexpr std::size_t kMaxMarginRecords = 50;

// One row of a margin-balance page. The texts are UTF-8, as shown (date at
// most 14 bytes of page text, the others 19).
struct MarginRecord {
    std::string dateText;
    std::string sellText;
    std::string buyText;
    std::string ratioText;
    std::string date;  // 8 digits
    int32_t sell = 0;
    int32_t buy = 0;
    double ratio = 0;
};

std::vector<MarginRecord> parseYahooMargin(std::string_view page);
std::vector<MarginRecord> parseInfoseekMargin(std::string_view page);

// Fetches the margin page of the last year for a code from the site the
// QuoteSource setting names. Empty when there is none.
std::vector<MarginRecord> fetchMargin(QuoteContext& context, StockCode code,
                                      const SecurityInfo& security, const LocalDate& today);

// Sets the balances of the newest bar of each record's date (records up to the
// first without a date text), then carries each balance forward over the bars
// that have none.
void applyMarginBalances(std::span<DailyBar> bars, std::span<const MarginRecord> records);

}  // namespace tav
