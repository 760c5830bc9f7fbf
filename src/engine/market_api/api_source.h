#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/daily_bar.h"
#include "core/stock_code.h"
#include "market_api/api_client.h"
#include "market_api/api_key.h"
#include "platform/http.h"
#include "platform/prompter.h"
#include "updates/archive_update.h"

// The operations on the exchange's data API. Every failure is shown through
// the prompter (stop icon) before nullopt or Stop comes back.
namespace tav {

struct ApiAccess {
    Http& http;
    Prompter& prompter;
    std::string base;  // the "market-api" endpoint
    // Looked up anew for each operation, so that a key stored meanwhile counts.
    std::function<ApiKeyLookup()> findKey = currentApiKey;
    ApiClientOptions options = {};
};

// The import's day source: the day's bars of every listed issue as traded
// and, where the key's plan has them, the index bars (an index request the
// API refuses is no failure). A day without any bar is a day without
// trading (Skipped).
DayFetcher apiDayFetcher(ApiAccess access);

// One security's split-adjusted bars from the API, from..to (YYYYMMDD, empty
// for no bound).
std::optional<std::vector<DailyBar>> fetchApiSeries(ApiAccess& access, StockCode code,
                                                    std::string_view from, std::string_view to);

// The new "Stock.lst" text built from the listed-issue master and the current list.
std::optional<std::string> fetchApiMasterList(ApiAccess& access, std::string_view currentList);

}  // namespace tav
