#pragma once

#include <optional>
#include <string_view>
#include <vector>

#include "quotes/margin_pages.h"
#include "quotes/page_fetch.h"
#include "quotes/quote_page.h"
#include "quotes/ranking.h"
#include "workspace/workspace.h"

// The quote-site operations on the workspace: its series, its lastErrorText,
// its prompter and the QuoteSource setting of its options.
namespace tav {

QuoteContext quoteContext(Workspace& workspace);

// Replaces the loaded series with the bars of the span of years and months
// ending on endDate (YYYYMMDD, empty for today), oldest first, in the current
// period. Weekly and monthly requests of currency pairs and US listings give
// no bars. requestedBars is the divisor of the progress percentage. With
// splitAdjust the batch is split-adjusted; returns true when it was.
// walkComplete as for fetchHistory.
bool fetchSpan(Workspace& workspace, StockCode code, std::string_view endDate, int years,
               int months, int requestedBars, bool splitAdjust = false,
               bool* walkComplete = nullptr);

// The bars from the date of `last` to today, oldest first; the first repeats
// last's date.
std::vector<DailyBar> fetchSince(Workspace& workspace, StockCode code, const DailyBar& last);

// The quote page of a code (nullopt for currency pairs, US listings and any
// failure).
std::optional<QuoteRecord> fetchQuote(Workspace& workspace, StockCode code, bool pricesOnly);

// Fetches the full quote of the loaded security and, on success, makes it
// the shown quote information.
bool refreshQuote(Workspace& workspace);

// The margin command's download: status while it runs, and
// "信用取組情報は存在していません。" when the page has no table.
std::vector<MarginRecord> fetchMarginTable(Workspace& workspace, StockCode code);

// Copies the balances into the loaded series and runs seriesChanged.
void showMarginOnChart(Workspace& workspace, std::span<const MarginRecord> records);

// The ranking command after its dialog.
bool downloadRanking(Workspace& workspace, const RankingChoices& choices);

}  // namespace tav
