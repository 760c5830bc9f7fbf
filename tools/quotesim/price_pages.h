#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "core/period_mode.h"
#include "market.h"

// The price-history pages of the three sources, as UTF-8 text laid out so that
// the system's parsers find their markers at their character offsets (counted
// in Shift-JIS bytes, as the pages are read after conversion). Each row sits
// in the HTML a browser would show too; only the line breaks and offsets are
// load-bearing.
namespace tav::quotesim {

enum class PriceSite { YahooJapan, InfoseekStock, InfoseekForex, YahooUs };

// A page request as the sites' queries give it.
struct PriceQuery {
    PriceSite site = PriceSite::YahooJapan;
    std::string symbol;  // as requested ("998407", "7203.t", "F1001", "AAPL")
    int32_t start = 0;   // YYYYMMDD, compared as numbers (a 30 February passes)
    int32_t end = 0;
    PeriodMode period = PeriodMode::Daily;
    int page = 0;  // 0 for the first page
};

// 66 rows on Yahoo Finance US pages, 50 on the others.
int rowsPerPage(PriceSite site);

// The rows of one page, newest first, and whether a further page follows.
// A period bar is listed when any day of its week or month lies in the span.
struct PageRows {
    std::vector<PriceBar> rows;
    bool further = false;
};
PageRows selectRows(const std::vector<PriceBar>& periodBars, PeriodMode period, int32_t start,
                    int32_t end, int page, int rowsPerPage);

// The rows of a security's period bars that carry a split text, by row date:
// on daily pages the split day's own row; on weekly and monthly pages the row
// after (newer than) the week or month in which the split took effect, so that
// the marked row is the last one wholly at the old price, as the parsers place it.
std::map<int32_t, const StockSplit*> splitRows(const SimulatedSecurity& security,
                                               const std::vector<PriceBar>& periodBars,
                                               PeriodMode period);

// The page for a query. security is nullptr for an unknown symbol; then, and
// when the span holds no rows for the page, the site's no-data page comes back.
std::string renderPricePage(const PriceQuery& query, const SimulatedSecurity* security);

// The site's "no data" text for a code: "%d のデータはありません。" on the
// Yahoo pages, "と一致するデータが見つかりませんでした。" on Infoseek.
std::string noDataPage(const PriceQuery& query, StockCode code);

}  // namespace tav::quotesim
