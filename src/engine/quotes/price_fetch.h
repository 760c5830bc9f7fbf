#pragma once

#include <optional>
#include <vector>

#include "core/bar_check.h"
#include "core/daily_bar.h"
#include "core/period_mode.h"
#include "data/stock_master.h"
#include "quotes/page_fetch.h"
#include "quotes/quote_addresses.h"

namespace tav {

// A stop for servers that always report a further page.
inline constexpr int kMaxHistoryPages = 1000;

struct HistoryRequest {
    StockCode code = 0;
    SecurityInfo security;  // market and symbol from the master list
    PeriodMode period = PeriodMode::Daily;
    DateSpan span;
    // Progress is shown as pages * 5000 / requestedBars percent when set.
    bool showProgress = false;
    int requestedBars = 0;
    // Rows dated after this day are refused with the other impossible bars;
    // unset, the span's end stands for it.
    std::optional<LocalDate> today = std::nullopt;
};

// The page request of a code's first page on its site.
PageRequest historyPageRequest(const QuoteContext& context, const HistoryRequest& request);

// Walks the history pages of the span and returns their bars, newest first.
// The walk ends at a page that fails, gives no bars, adds no bar older than
// those collected, or reports no further page, and after kMaxHistoryPages;
// the bars collected so far are kept. Page failures leave their text in
// context.failure. walkComplete, when given, tells whether the walk reached the
// end of the span (a page without a further page, or nothing older) rather
// than stopping at a failing or empty page. Every row passes checkBar before
// it is collected; the rows refused, and those a page could not read (as bad
// dates), are counted into `rejected` when given.
std::vector<DailyBar> fetchHistory(QuoteContext& context, const HistoryRequest& request,
                                   bool* walkComplete = nullptr, BarRejections* rejected = nullptr);

}  // namespace tav
