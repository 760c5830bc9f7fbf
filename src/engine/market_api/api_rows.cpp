#include "market_api/api_rows.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <map>

#include "core/file_io.h"
#include "core/text.h"

namespace tav {

namespace {

// The archive code under which the day's CSV carries 1001 (its lines lose
// the last four characters of their volume).
constexpr std::string_view kArchiveTopixCode = "1002";
// Indices carry no volume; the store keeps its usual placeholder.
constexpr std::string_view kIndexVolumeText = "1000000000";
constexpr std::string_view kUnitShares = "100";

std::string textField(const nlohmann::json& row, const char* name) {
    auto found = row.find(name);
    return found != row.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// "2024-01-04" -> "20240104"; the text as it is when of another form, so that
// it can never equal a day.
std::string compactDate(const std::string& date) {
    if (date.size() == 10 && date[4] == '-' && date[7] == '-')
        return date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2);
    return date;
}

bool untraded(const nlohmann::json& row) {
    auto close = row.find("C");
    return close == row.end() || close->is_null();
}

// "YYYY-MM-DD,code,-,open,high,low,close,volume" or nullopt.
std::optional<std::string> archiveLine(const nlohmann::json& row, std::string_view code,
                                       std::optional<std::string> volume) {
    std::string line = textField(row, "Date");
    line += ',';
    line += code;
    line += ",-";
    for (const char* field : {"O", "H", "L", "C"}) {
        auto found = row.find(field);
        auto price = found == row.end() ? std::nullopt : wholeUnitsText(*found);
        if (!price) return std::nullopt;
        line += ',';
        line += *price;
    }
    if (!volume) return std::nullopt;
    line += ',';
    line += *volume;
    return line;
}

}  // namespace

std::optional<StockCode> stockCodeOfApiCode(std::string_view apiCode) {
    if (apiCode.size() == 5) apiCode.remove_suffix(1);
    if (apiCode.size() != 4) return std::nullopt;
    auto code = parseCode(apiCode);
    if (!code) return std::nullopt;
    if (*code < 1300) return std::nullopt;  // indices and currency pairs live below
    return code;
}

std::optional<std::string> wholeUnitsText(const nlohmann::json& value) {
    if (value.is_number_integer()) return value.dump();
    if (!value.is_number_float()) return std::nullopt;
    double whole = std::trunc(value.get<double>());
    if (!std::isfinite(whole) || std::fabs(whole) >= 9.2e18) return std::nullopt;
    char text[32];
    std::snprintf(text, sizeof text, "%lld", static_cast<long long>(whole));
    return std::string(text);
}

std::optional<StockCode> storedIndexCode(std::string_view apiIndexCode) {
    if (apiIndexCode == "0000") return 1001;
    return std::nullopt;
}

ApiDay apiDay(const nlohmann::json& equityRows, const nlohmann::json& indexRows,
              std::string_view day) {
    ApiDay result;
    for (const nlohmann::json* rows : {&equityRows, &indexRows}) {
        for (const auto& row : *rows) {
            std::string date = row.is_object() ? textField(row, "Date") : std::string();
            if (compactDate(date) != day) {
                result.csv = {};
                result.message = "[" + std::string(day) + "]　のデータに別の日付 (" +
                                 date.substr(0, 16) +
                                 ") の行がありました。\n\nこの日は追加していません。";
                return result;
            }
        }
    }
    auto take = [&](std::optional<std::string> line) {
        auto parsed = line ? parseDayLine(*line) : std::nullopt;
        if (parsed)
            result.csv.lines.push_back(std::move(*parsed));
        else
            ++result.csv.rejected;
    };
    for (const auto& row : equityRows) {
        if (untraded(row)) continue;
        auto code = stockCodeOfApiCode(textField(row, "Code"));
        if (!code) {
            ++result.csv.rejected;
            continue;
        }
        auto volume = row.find("Vo");
        take(archiveLine(row, codeText(*code),
                         volume == row.end() ? std::nullopt : wholeUnitsText(*volume)));
    }
    for (const auto& row : indexRows) {
        auto code = storedIndexCode(textField(row, "Code"));
        if (!code || untraded(row)) continue;
        take(archiveLine(row, kArchiveTopixCode, std::string(kIndexVolumeText)));
    }
    return result;
}

std::vector<DailyBar> apiSeries(const nlohmann::json& rows, int& rejected) {
    std::map<std::string, DailyBar> byDate;
    for (const auto& row : rows) {
        if (!row.is_object() || row.find("AdjC") == row.end() || row["AdjC"].is_null()) {
            if (!row.is_object()) ++rejected;
            continue;
        }
        std::string date = compactDate(textField(row, "Date"));
        std::optional<std::string> texts[5];
        const char* fields[] = {"AdjO", "AdjH", "AdjL", "AdjC", "AdjVo"};
        for (int i = 0; i < 5; ++i) {
            auto found = row.find(fields[i]);
            if (found != row.end()) texts[i] = wholeUnitsText(*found);
        }
        // The same checks as an archive line, on the adjusted numbers.
        std::string line = textField(row, "Date") + ",7203,-";
        for (auto& text : texts) line += "," + text.value_or("x");
        auto checked = parseDayLine(line);
        if (!checked || date.size() != 8) {
            ++rejected;
            continue;
        }
        DailyBar bar{};
        setBarDate(bar, checked->date);
        bar.open = static_cast<int32_t>(std::stoll(*texts[0]));
        bar.high = static_cast<int32_t>(std::stoll(*texts[1]));
        bar.low = static_cast<int32_t>(std::stoll(*texts[2]));
        bar.close = static_cast<int32_t>(std::stoll(*texts[3]));
        bar.volume = std::stoll(*texts[4]);
        byDate.emplace(checked->date, bar);
    }
    std::vector<DailyBar> bars;
    bars.reserve(byDate.size());
    for (auto& [date, bar] : byDate) bars.push_back(bar);
    return bars;
}

std::string apiMasterList(const nlohmann::json& rows, std::string_view currentList, int& rejected) {
    std::string list;
    fileio::forEachLine(currentList, [&](std::string_view line) {
        std::string_view code = line.substr(0, line.find(','));
        auto parsed = parseCode(code);
        if (!parsed || securityKind(*parsed) == SecurityKind::JapaneseStock) return;
        list.append(line);
        if (list.back() == '\r') list.pop_back();
        list += '\n';
    });
    std::map<StockCode, std::string> issues;
    for (const auto& row : rows) {
        auto code = row.is_object() ? stockCodeOfApiCode(textField(row, "Code")) : std::nullopt;
        std::string name = row.is_object() ? textField(row, "CoName") : std::string();
        if (!code || name.empty()) {
            ++rejected;
            continue;
        }
        std::string market = textField(row, "MktNm");
        if (market.empty()) market = textField(row, "Mkt");
        if (market.empty()) market = "-";
        // Commas would shift the fields of the line.
        for (std::string* text : {&name, &market}) std::replace(text->begin(), text->end(), ',', ' ');
        issues.emplace(*code, codeText(*code) + ',' + text::sjisFromUtf8(name) + ',' +
                                  text::sjisFromUtf8(market) + ',' + std::string(kUnitShares) +
                                  ",-\n");
    }
    for (const auto& [code, line] : issues) list += line;
    return list;
}

}  // namespace tav
