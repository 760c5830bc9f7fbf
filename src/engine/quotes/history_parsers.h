#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/daily_bar.h"
#include "core/period_mode.h"
#include "core/stock_code.h"
#include "quotes/quote_addresses.h"

// The parsers of the price-history pages. Each reads the Shift-JIS text of one
// page by the fixed markers and offsets of its site and never reads outside
// it. Bars come newest first with date, prices, volume and (Yahoo! Japan)
// splitRatio set. Rows beyond the page size, rows whose cells are cut short
// and rows with an unreadable date are dropped.
namespace tav {

struct PageParse {
    std::vector<DailyBar> bars;  // empty when the page gave nothing
    bool furtherPage = false;
    // The page's own "no data" text (UTF-8), for the failure text.
    std::optional<std::string> errorText;
    // Rows of the table that could not be read (a date or cell cut short);
    // rows the site marks as days without trading are not among them.
    int unreadRows = 0;
};

PageParse parseYahooJapan(std::string_view page, StockCode code, PeriodMode period);
PageParse parseInfoseekStock(std::string_view page, StockCode code);
PageParse parseInfoseekForex(std::string_view page, StockCode code);
PageParse parseYahooUS(std::string_view page, StockCode code);

PageParse parseHistoryPage(QuoteSite site, std::string_view page, StockCode code,
                           PeriodMode period);

// Puts a collected batch (all pages, newest first) oldest first. With
// splitAdjust, every bar from the newest split mark back is divided by the
// running product of the split ratios met so far (volumes multiplied).
// Returns true when a split mark was found with adjustment on.
bool normaliseBatch(std::vector<DailyBar>& batch, bool splitAdjust);

}  // namespace tav
