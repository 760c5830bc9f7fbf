#pragma once

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

// The page for path and query; badDate puts an impossible date into every row
// of the page (a broken server).
SiteResponse apiResponse(const Market& market, std::string_view path, const QueryParams& params,
                         bool badDate = false);

// The row offset a query's pagination_key stands for.
int apiRowOffset(const QueryParams& params);

// The JSON error page the API answers with.
SiteResponse apiError(int status, std::string_view message);

}  // namespace tav::quotesim
