#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <nlohmann/json.hpp>

#include "core/daily_bar.h"
#include "core/stock_code.h"
#include "updates/day_csv.h"

// The API's rows turned into what the store holds. Prices arrive as decimals;
// the store keeps whole yen with the decimal part cut off, as it does for
// every Japanese price it reads. A day's import takes the prices as traded,
// like the daily archives; a security's re-fetch takes the split-adjusted
// ones, like the adjusted re-fetch from the quote pages.
namespace tav {

// The four-character code of the API's five-character one ("72030" -> 7203,
// "130A0" -> 130A). nullopt for anything else and for the codes the store
// keeps for indices and currency pairs.
std::optional<StockCode> stockCodeOfApiCode(std::string_view apiCode);

// A JSON price or volume as whole units, cut toward zero: "1234.9" -> "1234".
// nullopt for null, text, and numbers beyond 64 bits.
std::optional<std::string> wholeUnitsText(const nlohmann::json& value);

// The stored index of an API index code ("0000", TOPIX, is 1001); nullopt for
// indices the store keeps no series of. 1010 has no counterpart in the API.
std::optional<StockCode> storedIndexCode(std::string_view apiIndexCode);

// The API's day as a day of the archives: every row of either array must be
// of day (YYYYMMDD), or nothing is taken (message says so). Rows without a
// trade (null prices) are no lines; rows of codes the store cannot name, or
// whose numbers are not numbers, are counted as rejected. Each line then goes
// through the archive line's own checks.
struct ApiDay {
    DayCsv csv;
    std::string message;  // non-empty: the day is refused
};
ApiDay apiDay(const nlohmann::json& equityRows, const nlohmann::json& indexRows,
              std::string_view day);

// One security's bars over a span, oldest first, split-adjusted; a date seen
// twice is taken once. Rows that cannot be bars are counted in rejected.
std::vector<DailyBar> apiSeries(const nlohmann::json& rows, int& rejected);

// "Stock.lst" text (Shift-JIS) of the listed-issue master: the lines of the
// current list that the master does not cover (indices, US listings,
// currency pairs) first, then one line per listed issue in code order. The
// master has no trading unit; every issue trades in units of 100 shares.
std::string apiMasterList(const nlohmann::json& rows, std::string_view currentList, int& rejected);

}  // namespace tav
