#pragma once

#include <cstdint>
#include <functional>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bar_check.h"
#include "core/daily_bar.h"
#include "core/local_date.h"
#include "core/stock_code.h"
#include "updates/day_csv.h"

// The API's rows turned into what the store holds. Prices arrive as decimals;
// the store keeps whole yen with the decimal part cut off, as it does for
// every Japanese price it reads. A day's import takes the prices as traded,
// like the daily archives; a security's re-fetch takes the split-adjusted
// ones, like the adjusted re-fetch from the quote pages. Every bar passes
// checkBarValues on the numbers as sent.
namespace tav {

// The stored code of the API's five-character one: "72030" -> 7203, "130A0"
// -> 130A. A last character other than "0" is another security of the same
// issuer (a preferred share, "25935" beside "25930"): nullopt, as for
// anything else and for the codes the store keeps for indices and currency
// pairs.
std::optional<StockCode> stockCodeOfApiCode(std::string_view apiCode);
// A well-formed code of another security than the common stock ("25935").
bool isOtherSecurityCode(std::string_view apiCode);
// The API's code of a stored one ("7203" -> "72030").
std::string apiCodeOf(StockCode code);

// A JSON price or volume as whole units, cut toward zero; numbers beyond 64
// bits saturate (so the checks refuse them). nullopt for null, text and the like.
std::optional<int64_t> wholeUnits(const nlohmann::json& value);

// The segment name of a market code of the listed-issue master ("0111" ->
// "プライム"); empty for codes the table does not know.
std::string_view segmentName(std::string_view marketCode);

// A day on which a stored security's prices change by a split or consolidation.
struct ApiSplit {
    StockCode code = 0;
    std::string date;  // YYYYMMDD
    double factor = 1.0;
};

// What a set of rows left out, for the summary.
struct ApiRowCounts {
    BarRejections rejected;                  // rows the checks refused
    int unreadable = 0;                      // rows whose numbers or code are no numbers or code
    int otherSecurities = 0;                 // preferred shares and the like, skipped
    std::vector<std::string> rejectedNames;  // "7203 (高値が安値より低い)", the first ones
    void add(const ApiRowCounts& other);
    // "N 行を除外 (...)", "数値でない行 N", "優先株など N 銘柄を対象外"; empty when none.
    std::string describe() const;
};

// The API's day as a day of the archives: every row must be of day
// (YYYYMMDD), or nothing is taken (message says so). Rows without a trade
// (null close) are no lines. TOPIX rows (from /indices/bars/daily/topix, or
// code "0000") become 1001. stored tells which codes the store holds: a
// refused row of one of them makes the day incomplete.
struct ApiDay {
    DayCsv csv;
    std::string message;  // non-empty: the day is refused
    ApiRowCounts counts;
    int refusedStored = 0;  // refused rows of stored securities
    std::vector<ApiSplit> splits;
};
ApiDay apiDay(const nlohmann::json& equityRows, const nlohmann::json& topixRows,
              std::string_view day, const LocalDate& today,
              const std::function<bool(StockCode)>& stored = {});

// One security's bars over a span, oldest first, split-adjusted; a date seen
// twice is taken once. Rows of another code, or that fail the checks (future
// dates among them), are counted in counts.
std::vector<DailyBar> apiSeries(const nlohmann::json& rows, std::string_view apiCode,
                                const LocalDate& today, ApiRowCounts& counts);

// "Stock.lst" text (Shift-JIS) of the listed-issue master: the lines of the
// current list that the master does not cover (indices, US listings,
// currency pairs) first, then one line per listed issue in code order. The
// master has no trading unit; every issue trades in units of 100 shares.
// nullopt when the master is not one to replace a list by: a name or market
// with a control character, or fewer issues than minimumIssues.
struct ApiMasterList {
    std::optional<std::string> list;
    std::string message;  // why not, when list is empty
    ApiRowCounts counts;
};
ApiMasterList apiMasterList(const nlohmann::json& rows, std::string_view currentList,
                            int minimumIssues = 1);

}  // namespace tav
