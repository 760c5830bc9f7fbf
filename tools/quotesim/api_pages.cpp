#include "api_pages.h"

#include <algorithm>
#include <cstdio>
#include <nlohmann/json.hpp>

#include "core/local_date.h"
#include "site_symbols.h"

namespace tav::quotesim {

namespace {

constexpr std::string_view kJson = "application/json";
constexpr std::string_view kPrefix = "/v2";
constexpr std::string_view kKeyPrefix = "rows-";

std::string param(const QueryParams& params, const std::string& key) {
    auto found = params.find(key);
    return found == params.end() ? std::string() : found->second;
}

// "20240104" or "2024-01-04" -> 20240104; 0 when absent.
int32_t dateParam(const QueryParams& params, const std::string& key) {
    std::string text = param(params, key);
    std::string digits;
    for (char c : text)
        if (c != '-') digits += c;
    if (digits.size() != 8) return 0;
    return static_cast<int32_t>(leadingNumber(digits));
}

std::string dashedDate(int32_t date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date / 10000, date / 100 % 100, date % 100);
    return text;
}

// The split factor of bars before date: the product of from/to of every later split.
double splitFactorBefore(const SimulatedSecurity& security, int32_t date) {
    double factor = 1.0;
    for (const StockSplit& split : security.splits) {
        double to = std::strtod(split.to.c_str(), nullptr);
        if (split.date > date && to > 0) factor *= split.from / to;
    }
    return factor;
}

double splitOn(const SimulatedSecurity& security, int32_t date) {
    for (const StockSplit& split : security.splits) {
        double to = std::strtod(split.to.c_str(), nullptr);
        if (split.date == date && to > 0) return split.from / to;
    }
    return 1.0;
}

std::string apiCode(StockCode code) {
    return codeText(code) + "0";
}

nlohmann::json equityRow(const SimulatedSecurity& security, const PriceBar& bar) {
    double factor = splitFactorBefore(security, bar.date);
    // Prices come as decimals; the adjusted ones keep their fraction.
    auto price = [](int32_t value) { return static_cast<double>(value); };
    return {{"Date", dashedDate(bar.date)},
            {"Code", apiCode(security.code)},
            {"O", price(bar.open)},
            {"H", price(bar.high)},
            {"L", price(bar.low)},
            {"C", price(bar.close)},
            {"UL", "0"},
            {"LL", "0"},
            {"Vo", static_cast<double>(bar.volume)},
            {"Va", static_cast<double>(bar.close) * static_cast<double>(bar.volume)},
            {"AdjFactor", splitOn(security, bar.date)},
            {"AdjO", bar.open * factor},
            {"AdjH", bar.high * factor},
            {"AdjL", bar.low * factor},
            {"AdjC", bar.close * factor},
            {"AdjVo", static_cast<double>(bar.volume) / factor}};
}

// A day the issue did not trade: every price and volume null.
nlohmann::json untradedRow(StockCode code, int32_t date) {
    nlohmann::json row{{"Date", dashedDate(date)}, {"Code", apiCode(code)}};
    for (const char* field : {"O", "H", "L", "C", "UL", "LL", "Vo", "Va", "AdjFactor", "AdjO",
                              "AdjH", "AdjL", "AdjC", "AdjVo"})
        row[field] = nullptr;
    return row;
}

// A preferred share of the issuer: code ending in "5", prices of its own.
nlohmann::json preferredRow(StockCode code, int32_t date) {
    std::string preferred = codeText(code) + "5";
    nlohmann::json row{{"Date", dashedDate(date)}, {"Code", preferred}};
    for (const char* field : {"O", "H", "L", "C", "AdjO", "AdjH", "AdjL", "AdjC"})
        row[field] = 1.0;
    row["Vo"] = 1.0;
    row["AdjVo"] = 1.0;
    row["AdjFactor"] = 1.0;
    return row;
}

// Index levels in hundredths, as the archives carry them; the TOPIX endpoint's
// rows have no code.
nlohmann::json indexRow(const PriceBar& bar, bool withCode) {
    auto level = [](int32_t value) { return value + (value % 97) / 100.0; };
    nlohmann::json row{{"Date", dashedDate(bar.date)},
                       {"O", level(bar.open)},
                       {"H", level(bar.high)},
                       {"L", level(bar.low)},
                       {"C", level(bar.close)}};
    if (withCode) row["Code"] = "0000";
    return row;
}

int32_t lastMarketDay(const Market& market) {
    const SimulatedSecurity* topix = market.find(1001);
    return topix && !topix->bars.empty() ? topix->bars.back().date : 0;
}

int32_t yearsBefore(int32_t date, int years) {
    return date - years * 10000;
}

// The first day of the span a plan covers, and the last; {0, 0} for all.
std::pair<int32_t, int32_t> planSpan(const Market& market, const ApiPlanRules& rules) {
    int32_t last = lastMarketDay(market);
    if (rules.plan == "free") {
        // Twelve weeks back, counted on the calendar.
        LocalDate end;
        if (!parseDate8(std::to_string(last), end)) return {0, 0};
        for (int back = 0; back < 84; ++back) {
            if (--end.day > 0) continue;
            if (--end.month == 0) {
                end.month = 12;
                --end.year;
            }
            end.day = daysInMonth(end.year, end.month);
        }
        int32_t shifted = end.year * 10000 + end.month * 100 + end.day;
        return {yearsBefore(last, 2), shifted};
    }
    if (rules.plan == "light") return {yearsBefore(last, 5), last};
    return {0, 0};
}

bool isStock(StockCode code) {
    return securityKind(code) == SecurityKind::JapaneseStock &&
           (code < 10000 || isAlphanumericCode(code));
}

// "7203" or "72030" -> 7203, "130A0" -> 130A; 0 otherwise.
StockCode stockParam(const QueryParams& params) {
    std::string text = param(params, "code");
    if (text.size() == 5 && text.back() == '0') text.pop_back();
    if (text.size() != 4) return 0;
    return parseCode(text).value_or(0);
}

SiteResponse pageOf(nlohmann::json rows, int offset, bool badDate, bool emptyLastKey = false) {
    nlohmann::json page{{"data", nlohmann::json::array()}};
    int end = std::min<int>(static_cast<int>(rows.size()), offset + kApiPageRows);
    for (int i = std::max(offset, 0); i < end; ++i) {
        if (badDate && rows[i].contains("Date")) rows[i]["Date"] = "2023-02-30";
        page["data"].push_back(std::move(rows[i]));
    }
    if (end < static_cast<int>(rows.size()))
        page["pagination_key"] = std::string(kKeyPrefix) + std::to_string(end);
    else if (emptyLastKey)
        page["pagination_key"] = "";
    return {200, std::string(kJson), page.dump()};
}

}  // namespace

bool isApiPath(std::string_view path) {
    return path.substr(0, kPrefix.size()) == kPrefix &&
           (path.size() == kPrefix.size() || path[kPrefix.size()] == '/');
}

int apiRowOffset(const QueryParams& params) {
    std::string key = param(params, "pagination_key");
    if (key.substr(0, kKeyPrefix.size()) != kKeyPrefix) return 0;
    return static_cast<int>(leadingNumber(std::string_view(key).substr(kKeyPrefix.size())));
}

SiteResponse apiError(int status, std::string_view message) {
    return {status, std::string(kJson), nlohmann::json{{"message", message}}.dump()};
}

SiteResponse apiResponse(const Market& market, std::string_view path, const QueryParams& params,
                         bool badDate, const ApiPlanRules& rules) {
    path.remove_prefix(kPrefix.size());
    int offset = apiRowOffset(params);
    nlohmann::json rows = nlohmann::json::array();
    const bool bars = path == "/equities/bars/daily" || path == "/indices/bars/daily" ||
                      path == "/indices/bars/daily/topix";
    int32_t day = dateParam(params, "date");
    int32_t from = day ? day : dateParam(params, "from");
    int32_t to = day ? day : dateParam(params, "to");
    if (to == 0) to = 99991231;
    if (bars) {
        auto [first, last] = planSpan(market, rules);
        bool outside =
            first != 0 && (day ? (day < first || day > last)
                               : (from != 0 && from < first) || (to != 99991231 && to > last));
        if (outside)
            return apiError(400, "Your plan covers data from " + dashedDate(first) + " ~ " +
                                     dashedDate(last) + " only; other plans cover more.");
        if (first != 0 && !day) {
            from = std::max(from, first);
            to = std::min(to, last);
        }
    }
    if (path == "/equities/bars/daily") {
        StockCode code = stockParam(params);
        if (day == 0 && code == 0)
            return apiError(400,
                            "This API requires at least 1 parameter as follows; 'date','code'.");
        bool preferredDone = code != 0;
        for (StockCode each : market.codes()) {
            if (!isStock(each) || (code != 0 && each != code)) continue;
            const SimulatedSecurity* security = market.find(each);
            if (!security) continue;
            if (day && !preferredDone) {
                rows.push_back(preferredRow(each, day));
                preferredDone = true;
            }
            bool traded = false;
            for (const PriceBar& bar : security->bars) {
                if (bar.date >= from && bar.date <= to) {
                    rows.push_back(equityRow(*security, bar));
                    traded = true;
                }
            }
            if (day && !traded && !security->bars.empty() && security->bars.front().date > day)
                rows.push_back(untradedRow(each, day));
        }
        // A listed issue without a trade that day: the first free code from 1300.
        if (day && code == 0) {
            StockCode idle = 1300;
            while (market.find(idle))
                ++idle;
            rows.push_back(untradedRow(idle, day));
        }
        return pageOf(std::move(rows), offset, badDate);
    }
    if (path == "/indices/bars/daily" || path == "/indices/bars/daily/topix") {
        const bool topixPath = path == "/indices/bars/daily/topix";
        const bool allowed = rules.plan.empty() || rules.plan == "standard" ||
                             rules.plan == "premium" || (topixPath && rules.plan == "light");
        if (!allowed) return apiError(403, "This API is not available on your subscription plan.");
        std::string code = param(params, "code");
        if (!topixPath && day == 0 && code.empty())
            return apiError(400,
                            "This API requires at least 1 parameter as follows; 'date','code'.");
        const SimulatedSecurity* topix = market.find(1001);
        if (topix && (topixPath || code.empty() || code == "0000")) {
            for (const PriceBar& bar : topix->bars)
                if (bar.date >= from && bar.date <= to) rows.push_back(indexRow(bar, !topixPath));
        }
        return pageOf(std::move(rows), offset, badDate);
    }
    if (path == "/equities/master") {
        StockCode code = stockParam(params);
        for (StockCode each : market.codes()) {
            const SimulatedSecurity* security = market.find(each);
            if (!isStock(each) || !security || (code != 0 && each != code)) continue;
            rows.push_back({{"Code", apiCode(each)},
                            {"CoName", security->name},
                            {"MktNm", security->market == "-" ? "その他" : security->market},
                            {"MrgnNm", "貸借"}});
        }
        // The master's last page carries an empty key, the others none at all.
        return pageOf(std::move(rows), offset, false, true);
    }
    return apiError(404, "Not Found");
}

}  // namespace tav::quotesim
