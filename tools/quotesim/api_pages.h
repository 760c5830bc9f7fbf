#pragma once

#include <string>
#include <string_view>

#include "market.h"
#include "site_router.h"

// The exchange's data API as the simulator serves it from its market, under
// "/v2": the daily bars of a day or of one security over a span, the index
// bars and the listed-issue master, as JSON pages of at most kApiPageRows
// rows chained by pagination_key.
namespace tav::quotesim {

inline constexpr int kApiPageRows = 1000;

bool isApiPath(std::string_view path);

// What the key's plan allows: Free covers the two years up to twelve weeks
// before the market's last day and no indices, Light five years and TOPIX,
// Standard and Premium every day and every index. An empty name serves all.
struct ApiPlanRules {
    std::string plan;
};

// The page for path and query; badDate puts an impossible date into every row
// of the page (a broken server). A day's bars carry, before the common
// stock's row of the first issue, a preferred share of the same issuer
// (code ending in "5") and a row without trade (null prices) for issues
// listed later than the day.
SiteResponse apiResponse(const Market& market, std::string_view path, const QueryParams& params,
                         bool badDate = false, const ApiPlanRules& rules = {});

// The row offset a query's pagination_key stands for.
int apiRowOffset(const QueryParams& params);

// The JSON error page the API answers with.
SiteResponse apiError(int status, std::string_view message);

}  // namespace tav::quotesim
