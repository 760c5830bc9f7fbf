#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/daily_bar.h"
#include "core/local_date.h"
#include "core/stock_code.h"
#include "market_api/api_client.h"
#include "market_api/api_key.h"
#include "market_api/api_rows.h"
#include "platform/http.h"
#include "platform/prompter.h"
#include "updates/archive_update.h"

// The operations on the exchange's data API. Every failure is shown through
// the prompter (stop icon) before nullopt or Stop comes back.
namespace tav {

// What a run over the API left to say once it is over.
struct ApiRunReport {
    ApiRowCounts counts;
    std::vector<ApiSplit> splits;  // stored securities split or consolidated on a fetched day
    bool indicesRefused = false;   // the plan gave no index bars
    ApiTraffic traffic;
    // The lines of the summary (rejections, splits with the command that
    // re-fetches them adjusted); empty when there is nothing to say.
    std::string describe() const;
};

struct ApiAccess {
    Http& http;
    Prompter& prompter;
    std::string base;  // the "market-api" endpoint
    // Looked up anew for each operation, so that a key stored meanwhile counts.
    std::function<ApiKeyLookup()> findKey = currentApiKey;
    ApiClientOptions options = {};  // the plan among them
    LocalDate today = {};           // no bar after it is taken
    std::shared_ptr<ApiRunReport> report = std::make_shared<ApiRunReport>();
};

// The import's day source: the day's bars of every listed issue as traded
// and, where the key's plan has it, TOPIX (a plan that refuses it is said
// once and not asked again during the run). A day without any bar is a day
// without trading (Skipped). A day on which a row of a stored security
// (stored tells which) fails the checks is not taken: the run stops there,
// so the day is asked again next time. A date outside the plan's window
// stops the run with the dates the plan covers.
DayFetcher apiDayFetcher(ApiAccess access, std::function<bool(StockCode)> stored = {});

// One security's split-adjusted bars from the API, from..to (YYYYMMDD, empty
// for no bound); rows after today are refused.
std::optional<std::vector<DailyBar>> fetchApiSeries(ApiAccess& access, StockCode code,
                                                    std::string_view from, std::string_view to);

// The new "Stock.lst" text built from the listed-issue master and the current
// list, when the master is whole and sane (at least half as many issues as
// the current list holds).
std::optional<std::string> fetchApiMasterList(ApiAccess& access, std::string_view currentList);

// One small request, for the settings' connection test: a plain-words result.
struct ApiConnectionTest {
    bool ok = false;
    std::string text;
};
ApiConnectionTest testApiConnection(ApiAccess& access);

}  // namespace tav
