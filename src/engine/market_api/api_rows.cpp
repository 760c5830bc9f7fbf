#include "market_api/api_rows.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <set>

#include "core/file_io.h"
#include "core/text.h"

namespace tav {

namespace {

// The archive code under which the day's CSV carries 1001 (its lines lose
// the last four characters of their volume).
constexpr std::string_view kArchiveTopixCode = "1002";
constexpr std::string_view kApiTopixCode = "0000";
// Indices carry no volume; the store keeps its usual placeholder.
constexpr int64_t kIndexVolume = 1000000000;
constexpr std::string_view kUnitShares = "100";
// Rejected rows named one by one in a summary; the rest are counted.
constexpr std::size_t kNamedRejections = 10;

struct Segment {
    std::string_view code;
    std::string_view name;
};
constexpr Segment kSegments[] = {
    {"0101", "東証一部"},
    {"0102", "東証二部"},
    {"0104", "マザーズ"},
    {"0105", "TOKYO PRO MARKET"},
    {"0106", "JASDAQ スタンダード"},
    {"0107", "JASDAQ グロース"},
    {"0109", "その他"},
    {"0111", "プライム"},
    {"0112", "スタンダード"},
    {"0113", "グロース"},
};

// At most bytes of text, whole UTF-8 characters only, control characters as
// blanks: a hostile field shown in a message stays one short line.
std::string shortText(std::string_view text, std::size_t bytes) {
    std::string cut(text.substr(0, bytes));
    if (text.size() > bytes)
        while (!cut.empty() && (static_cast<unsigned char>(cut.back()) & 0x80) != 0) {
            bool lead = (static_cast<unsigned char>(cut.back()) & 0xC0) == 0xC0;
            cut.pop_back();
            if (lead) break;
        }
    for (char& c : cut)
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7f) c = ' ';
    return cut;
}

std::string textField(const nlohmann::json& row, const char* name) {
    auto found = row.find(name);
    return found != row.end() && found->is_string() ? found->get<std::string>() : std::string();
}

// "2024-01-04" -> "20240104"; any other form marked so that it can never
// equal a day (an undashed "20240104" is no date of this API either).
std::string compactDate(const std::string& date) {
    if (date.size() == 10 && date[4] == '-' && date[7] == '-')
        return date.substr(0, 4) + date.substr(5, 2) + date.substr(8, 2);
    return "?" + date;
}

bool untraded(const nlohmann::json& row) {
    auto close = row.find("C");
    return close == row.end() || close->is_null();
}

struct Numbers {
    int64_t values[5] = {};  // open, high, low, close, volume
};

// The five numbers of a row's fields; nullopt when one is no number.
std::optional<Numbers> numbers(const nlohmann::json& row, const std::array<const char*, 5>& fields,
                               std::optional<int64_t> volume = std::nullopt) {
    Numbers result;
    for (int i = 0; i < 5; ++i) {
        if (i == 4 && volume) {
            result.values[4] = *volume;
            break;
        }
        auto found = row.find(fields[i]);
        auto value = found == row.end() ? std::nullopt : wholeUnits(*found);
        if (!value) return std::nullopt;
        result.values[i] = *value;
    }
    return result;
}

void nameRejection(ApiRowCounts& counts, std::string_view code, std::string_view why) {
    if (counts.rejectedNames.size() < kNamedRejections)
        counts.rejectedNames.push_back(shortText(code, 8) + " (" + std::string(why) + ")");
}

bool hasControlCharacter(std::string_view text) {
    return std::any_of(text.begin(), text.end(),
                       [](char c) { return static_cast<unsigned char>(c) < 0x20 || c == 0x7f; });
}

}  // namespace

void ApiRowCounts::add(const ApiRowCounts& other) {
    rejected.add(other.rejected);
    unreadable += other.unreadable;
    otherSecurities += other.otherSecurities;
    for (const auto& name : other.rejectedNames)
        if (rejectedNames.size() < kNamedRejections) rejectedNames.push_back(name);
}

std::string ApiRowCounts::describe() const {
    std::vector<std::string> parts;
    if (rejected.total > 0) parts.push_back(describeRejections(rejected));
    if (unreadable > 0) parts.push_back("数値・コードを読めない行 " + std::to_string(unreadable));
    if (!rejectedNames.empty()) {
        std::string names = "除外した銘柄:";
        for (const auto& name : rejectedNames)
            names += " " + name;
        if (rejected.total + unreadable > static_cast<int>(rejectedNames.size())) names += " ほか";
        parts.push_back(names);
    }
    if (otherSecurities > 0)
        parts.push_back("優先株など普通株以外の " + std::to_string(otherSecurities) +
                        " 行は対象外");
    std::string text;
    for (const auto& part : parts)
        text += (text.empty() ? "" : "\n") + part;
    return text;
}

std::optional<StockCode> stockCodeOfApiCode(std::string_view apiCode) {
    if (apiCode.size() != 5 || apiCode.back() != '0') return std::nullopt;
    apiCode.remove_suffix(1);
    auto code = parseCode(apiCode);
    if (!code) return std::nullopt;
    if (*code < 1300) return std::nullopt;  // indices and currency pairs live below
    return code;
}

bool isOtherSecurityCode(std::string_view apiCode) {
    if (apiCode.size() != 5 || apiCode.back() == '0') return false;
    char last = apiCode.back();
    bool digitOrCapital = (last >= '0' && last <= '9') || (last >= 'A' && last <= 'Z');
    return digitOrCapital && parseCode(apiCode.substr(0, 4)).has_value();
}

std::string apiCodeOf(StockCode code) {
    return codeText(code) + "0";
}

std::optional<int64_t> wholeUnits(const nlohmann::json& value) {
    if (value.is_number_unsigned()) {
        auto number = value.get<uint64_t>();
        return number > static_cast<uint64_t>(INT64_MAX) ? INT64_MAX : static_cast<int64_t>(number);
    }
    if (value.is_number_integer()) return value.get<int64_t>();
    if (!value.is_number_float()) return std::nullopt;
    double whole = std::trunc(value.get<double>());
    if (std::isnan(whole)) return std::nullopt;
    if (whole >= 9.2e18) return INT64_MAX;
    if (whole <= -9.2e18) return INT64_MIN;
    return static_cast<int64_t>(whole);
}

std::string_view segmentName(std::string_view marketCode) {
    for (const Segment& segment : kSegments)
        if (segment.code == marketCode) return segment.name;
    return {};
}

ApiDay apiDay(const nlohmann::json& equityRows, const nlohmann::json& topixRows,
              std::string_view day, const LocalDate& today,
              const std::function<bool(StockCode)>& stored) {
    ApiDay result;
    for (const nlohmann::json* rows : {&equityRows, &topixRows}) {
        for (const auto& row : *rows) {
            std::string date = row.is_object() ? textField(row, "Date") : std::string();
            if (compactDate(date) != day) {
                result = {};
                result.message = "[" + std::string(day) + "]　のデータに別の日付 (" +
                                 shortText(date, 16) +
                                 ") の行がありました。\n\nこの日は追加していません。";
                return result;
            }
        }
    }
    auto isStored = [&](StockCode code) { return !stored || stored(code); };
    std::set<StockCode> seen;
    // Checks a row's numbers and turns it into the archive's line.
    auto take = [&](const nlohmann::json& row, StockCode code, std::string_view archiveCode,
                    const std::optional<Numbers>& values) {
        std::string shown = code == 1001 ? std::string("TOPIX") : codeText(code);
        if (!values) {
            ++result.counts.unreadable;
            nameRejection(result.counts, shown, "数値でない");
            if (isStored(code)) ++result.refusedStored;
            return;
        }
        const int64_t* v = values->values;
        BarFault fault = checkBarValues(day, v[0], v[1], v[2], v[3], v[4], today);
        if (fault == BarFault::None && !seen.insert(code).second) {
            ++result.counts.unreadable;
            nameRejection(result.counts, shown, "同じ日に2行");
            if (isStored(code)) ++result.refusedStored;
            return;
        }
        if (fault != BarFault::None) {
            result.counts.rejected.add(fault);
            nameRejection(result.counts, shown, barFaultText(fault));
            if (isStored(code)) ++result.refusedStored;
            return;
        }
        std::string line = textField(row, "Date") + ',' + std::string(archiveCode) + ",-";
        for (int64_t value : values->values)
            line += ',' + std::to_string(value);
        auto parsed = parseDayLine(line);
        if (!parsed) {
            ++result.counts.unreadable;
            nameRejection(result.counts, shown, "行を作れない");
            if (isStored(code)) ++result.refusedStored;
            return;
        }
        result.csv.lines.push_back(std::move(*parsed));
    };
    for (const auto& row : equityRows) {
        std::string apiCode = textField(row, "Code");
        auto code = stockCodeOfApiCode(apiCode);
        if (!code) {
            if (isOtherSecurityCode(apiCode)) {
                ++result.counts.otherSecurities;
            } else {
                ++result.counts.unreadable;
                ++result.csv.rejected;
                nameRejection(result.counts, apiCode, "コードが不正");
            }
            continue;
        }
        if (untraded(row)) continue;
        take(row, *code, codeText(*code), numbers(row, {"O", "H", "L", "C", "Vo"}));
        auto factor = row.find("AdjFactor");
        if (factor != row.end() && factor->is_number() && isStored(*code)) {
            double value = factor->get<double>();
            if (std::isfinite(value) && value != 1.0)
                result.splits.push_back({*code, std::string(day), value});
        }
    }
    for (const auto& row : topixRows) {
        auto code = row.find("Code");
        if (code != row.end() && !(code->is_string() && *code == kApiTopixCode)) continue;
        if (untraded(row)) continue;
        take(row, 1001, kArchiveTopixCode, numbers(row, {"O", "H", "L", "C", ""}, kIndexVolume));
    }
    result.csv.rejected += result.counts.rejected.total;
    return result;
}

std::vector<DailyBar> apiSeries(const nlohmann::json& rows, std::string_view apiCode,
                                const LocalDate& today, ApiRowCounts& counts) {
    std::map<std::string, DailyBar> byDate;
    for (const auto& row : rows) {
        if (!row.is_object()) {
            ++counts.unreadable;
            continue;
        }
        std::string code = textField(row, "Code");
        if (row.contains("Code") && code != apiCode) {
            ++counts.unreadable;
            nameRejection(counts, code, "別の銘柄");
            continue;
        }
        auto adjustedClose = row.find("AdjC");
        if (adjustedClose == row.end() || adjustedClose->is_null()) continue;  // no trade
        std::string date = compactDate(textField(row, "Date"));
        auto values = numbers(row, {"AdjO", "AdjH", "AdjL", "AdjC", "AdjVo"});
        if (!values) {
            ++counts.unreadable;
            nameRejection(counts, shortText(date, 10), "数値でない");
            continue;
        }
        const int64_t* v = values->values;
        BarFault fault = checkBarValues(date, v[0], v[1], v[2], v[3], v[4], today);
        if (fault != BarFault::None) {
            counts.rejected.add(fault);
            nameRejection(counts, shortText(date, 10), barFaultText(fault));
            continue;
        }
        DailyBar bar{};
        setBarDate(bar, date);
        bar.open = static_cast<int32_t>(v[0]);
        bar.high = static_cast<int32_t>(v[1]);
        bar.low = static_cast<int32_t>(v[2]);
        bar.close = static_cast<int32_t>(v[3]);
        bar.volume = v[4];
        byDate.emplace(date, bar);
    }
    std::vector<DailyBar> bars;
    bars.reserve(byDate.size());
    for (auto& [date, bar] : byDate)
        bars.push_back(bar);
    return bars;
}

ApiMasterList apiMasterList(const nlohmann::json& rows, std::string_view currentList,
                            int minimumIssues) {
    ApiMasterList result;
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
        std::string apiCode = row.is_object() ? textField(row, "Code") : std::string();
        auto code = stockCodeOfApiCode(apiCode);
        std::string name = row.is_object() ? textField(row, "CoName") : std::string();
        if (!code) {
            if (isOtherSecurityCode(apiCode))
                ++result.counts.otherSecurities;
            else
                ++result.counts.unreadable;
            continue;
        }
        std::string market = textField(row, "MktNm");
        if (market.empty()) market = std::string(segmentName(textField(row, "Mkt")));
        if (market.empty()) market = "-";
        // A line break in a name would add a security of its own to the list.
        if (hasControlCharacter(name) || hasControlCharacter(market)) {
            result.message = "データAPIの銘柄一覧に制御文字を含む名前がありました (" +
                             codeText(*code) + ")。\n\n銘柄情報リストは更新していません。";
            return result;
        }
        if (name.empty() || issues.count(*code)) {
            ++result.counts.unreadable;
            nameRejection(result.counts, codeText(*code), name.empty() ? "名前がない" : "重複");
            continue;
        }
        // Commas would shift the fields of the line.
        for (std::string* text : {&name, &market})
            std::replace(text->begin(), text->end(), ',', ' ');
        issues.emplace(*code, codeText(*code) + ',' + text::sjisFromUtf8(name) + ',' +
                                  text::sjisFromUtf8(market) + ',' + std::string(kUnitShares) +
                                  ",-\n");
    }
    if (static_cast<int>(issues.size()) < std::max(1, minimumIssues)) {
        result.message = "データAPIの銘柄一覧に使える銘柄が " + std::to_string(issues.size()) +
                         " 件しかありません (必要: " + std::to_string(std::max(1, minimumIssues)) +
                         " 件以上)。\n\n銘柄情報リストは更新していません。";
        return result;
    }
    for (const auto& [code, line] : issues)
        list += line;
    result.list = std::move(list);
    return result;
}

}  // namespace tav
