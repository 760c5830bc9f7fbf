#include "api_pages.h"

#include <cstdio>
#include <nlohmann/json.hpp>

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
            {"Vo", static_cast<double>(bar.volume)},
            {"AdjFactor", splitOn(security, bar.date)},
            {"AdjO", bar.open * factor},
            {"AdjH", bar.high * factor},
            {"AdjL", bar.low * factor},
            {"AdjC", bar.close * factor},
            {"AdjVo", static_cast<double>(bar.volume) / factor}};
}

// Index levels in hundredths, as the archives carry them.
nlohmann::json indexRow(const PriceBar& bar) {
    auto level = [](int32_t value) { return value + (value % 97) / 100.0; };
    return {{"Date", dashedDate(bar.date)}, {"Code", "0000"},       {"O", level(bar.open)},
            {"H", level(bar.high)},         {"L", level(bar.low)}, {"C", level(bar.close)}};
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

SiteResponse pageOf(nlohmann::json rows, int offset, bool badDate) {
    nlohmann::json page{{"data", nlohmann::json::array()}};
    int end = std::min<int>(static_cast<int>(rows.size()), offset + kApiPageRows);
    for (int i = std::max(offset, 0); i < end; ++i) {
        if (badDate && rows[i].contains("Date")) rows[i]["Date"] = "2023-02-30";
        page["data"].push_back(std::move(rows[i]));
    }
    if (end < static_cast<int>(rows.size()))
        page["pagination_key"] = std::string(kKeyPrefix) + std::to_string(end);
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
                         bool badDate) {
    path.remove_prefix(kPrefix.size());
    int offset = apiRowOffset(params);
    nlohmann::json rows = nlohmann::json::array();
    if (path == "/equities/bars/daily") {
        int32_t day = dateParam(params, "date");
        StockCode code = stockParam(params);
        if (day == 0 && code == 0) return apiError(400, "This API requires at least 1 parameter as follows; 'date','code'.");
        int32_t from = day ? day : dateParam(params, "from");
        int32_t to = day ? day : dateParam(params, "to");
        if (to == 0) to = 99991231;
        for (StockCode each : market.codes()) {
            if (!isStock(each) || (code != 0 && each != code)) continue;
            const SimulatedSecurity* security = market.find(each);
            if (!security) continue;
            for (const PriceBar& bar : security->bars)
                if (bar.date >= from && bar.date <= to) rows.push_back(equityRow(*security, bar));
        }
        return pageOf(std::move(rows), offset, badDate);
    }
    if (path == "/indices/bars/daily") {
        int32_t day = dateParam(params, "date");
        std::string code = param(params, "code");
        if (day == 0 && code.empty()) return apiError(400, "This API requires at least 1 parameter as follows; 'date','code'.");
        const SimulatedSecurity* topix = market.find(1001);
        if (topix && (code.empty() || code == "0000")) {
            int32_t from = day ? day : dateParam(params, "from");
            int32_t to = day ? day : dateParam(params, "to");
            if (to == 0) to = 99991231;
            for (const PriceBar& bar : topix->bars)
                if (bar.date >= from && bar.date <= to) rows.push_back(indexRow(bar));
        }
        return pageOf(std::move(rows), offset, badDate);
    }
    if (path == "/equities/master") {
        for (StockCode each : market.codes()) {
            const SimulatedSecurity* security = market.find(each);
            if (!isStock(each) || !security) continue;
            rows.push_back({{"Code", apiCode(each)},
                            {"CoName", security->name},
                            {"MktNm", security->market == "-" ? "その他" : security->market},
                            {"MrgnNm", "貸借"}});
        }
        return pageOf(std::move(rows), offset, false);
    }
    return apiError(404, "Not Found");
}

}  // namespace tav::quotesim
