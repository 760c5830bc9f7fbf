#pragma once

#include <map>

#include "core/ordered_parallel.h"
#include "data/endpoints.h"
#include "platform/http.h"
#include "updates/intraday_bar.h"
#include "watchlist_runs/watchlist_run.h"

namespace tav {

// Where the quote pages of a run's entries are fetched from.
struct QuoteSourceSetting {
    Endpoints endpoints;
    bool useInfoseek = false;
};

// The current prices of every entry from its quote page (prices only), to
// stand as the entry's provisional bar while the quote watch runs. Entries
// without a quote page, or whose page fails, get none: their marks come from
// the stored bars. Runs on any thread (http must allow that); shows nothing;
// progress counts fetched entries; nothing when cancelled.
std::optional<std::map<StockCode, IntradayQuote>> fetchEntryQuotes(
    const std::vector<RunEntry>& entries, Http& http, const QuoteSourceSetting& source,
    RunControl& control);

}  // namespace tav
