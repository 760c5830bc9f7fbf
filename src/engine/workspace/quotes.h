#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "core/bar_check.h"
#include "quotes/margin_pages.h"
#include "quotes/page_fetch.h"
#include "quotes/quote_page.h"
#include "quotes/ranking.h"
#include "workspace/workspace.h"

// The quote-site operations on the workspace: its series, its prompter and
// the QuoteSource setting of its options. A fetch hands back the text of a
// page that failed; nothing is left behind in the workspace.
namespace tav {

QuoteContext quoteContext(Workspace& workspace);

// Replaces the loaded series with the bars of the span of years and months
// ending on endDate (YYYYMMDD, empty for today), oldest first, in the current
// period. Weekly and monthly requests of currency pairs and US listings give
// no bars. requestedBars is the divisor of the progress percentage. With
// splitAdjust the batch is split-adjusted (`adjusted` tells whether it was).
// `complete` as walkComplete of fetchHistory; `failure` the text of a page
// that failed, if one did; `rejected` the rows left out as unreadable or
// impossible.
struct SpanFetch {
    bool adjusted = false;
    bool complete = false;
    std::string failure;
    BarRejections rejected = {};
};
SpanFetch fetchSpan(Workspace& workspace, StockCode code, std::string_view endDate, int years,
                    int months, int requestedBars, bool splitAdjust = false);

// The bars from the date of `last` to today, oldest first; the first repeats
// last's date. `failure` and `rejected` as for fetchSpan.
struct FetchedBars {
    std::vector<DailyBar> bars;
    std::string failure;
    BarRejections rejected = {};
};
FetchedBars fetchSince(Workspace& workspace, StockCode code, const DailyBar& last);

// The quote page of a code (nullopt for currency pairs, US listings and any
// failure; `failure`, when given, receives the text of a page that failed).
std::optional<QuoteRecord> fetchQuote(Workspace& workspace, StockCode code, bool pricesOnly,
                                      std::string* failure = nullptr);

// Fetches the full quote of the loaded security and, on success, makes it
// the shown quote information.
bool refreshQuote(Workspace& workspace);

// The margin command's download: status while it runs, and
// "信用取組情報は存在していません。" when the page has no table.
std::vector<MarginRecord> fetchMarginTable(Workspace& workspace, StockCode code);

// Copies the balances into the loaded series and runs seriesChanged.
void showMarginOnChart(Workspace& workspace, std::span<const MarginRecord> records);

// The ranking command after its dialog: the entries replace the output
// watchlist's contents through the watchlists (refused while another instance
// holds the folder), and that watchlist is shown. On a failed download the
// watchlist is not touched. True when it was written.
bool downloadRanking(Workspace& workspace, const RankingChoices& choices);

}  // namespace tav
