#include "updates/bar_csv_import.h"

#include <algorithm>
#include <array>
#include <iterator>
#include <limits>
#include <map>
#include <optional>

#include "core/fields.h"
#include "core/file_io.h"
#include "core/text.h"

namespace tav {

namespace {

enum Column { kDate, kOpen, kHigh, kLow, kClose, kVolume, kColumnCount };
using ColumnMap = std::array<int, kColumnCount>;

constexpr ColumnMap kYahooColumns{0, 1, 2, 3, 4, 6};
constexpr ColumnMap kSixColumns{0, 1, 2, 3, 4, 5};

std::string trimmed(std::string_view field) {
    while (!field.empty() && field.front() == ' ')
        field.remove_prefix(1);
    while (!field.empty() && (field.back() == ' ' || field.back() == '\r'))
        field.remove_suffix(1);
    return std::string(field);
}

// Fields separated by ","; a field in double quotes may hold commas ("1,234")
// and doubled quotes. A quote left open runs to the end of the line.
std::vector<std::string> splitFields(std::string_view line) {
    std::vector<std::string> fields;
    std::string field;
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        char c = line[i];
        if (quoted) {
            if (c != '"')
                field += c;
            else if (i + 1 < line.size() && line[i + 1] == '"')
                field += line[++i];
            else
                quoted = false;
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.push_back(trimmed(field));
            field.clear();
        } else {
            field += c;
        }
    }
    fields.push_back(trimmed(field));
    return fields;
}

std::string lowered(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}

// YYYY-MM-DD, YYYY/MM/DD or YYYYMMDD -> YYYYMMDD; empty for anything else.
std::string dateOf(std::string_view text) {
    std::string date;
    if (text.size() == 10 && (text[4] == '-' || text[4] == '/') && text[7] == text[4]) {
        date.append(text.substr(0, 4)).append(text.substr(5, 2)).append(text.substr(8, 2));
    } else if (text.size() == 8) {
        date = text;
    }
    if (date.size() != 8 ||
        !std::all_of(date.begin(), date.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return {};
    return date;
}

bool isDigit(char c) {
    return c >= '0' && c <= '9';
}

// The digits of a whole part written with thousands separators ("1,234,567"):
// groups of three after a first group of one to three. Empty when the commas
// stand anywhere else, so "1,23" is refused rather than read as 123.
std::string ungrouped(std::string_view whole) {
    if (whole.find(',') == std::string_view::npos) return std::string(whole);
    std::string digits;
    std::size_t groupStart = 0;
    for (std::size_t i = 0; i <= whole.size(); ++i) {
        if (i < whole.size() && whole[i] != ',') continue;
        std::size_t length = i - groupStart;
        bool first = groupStart == 0;
        if (first ? (length < 1 || length > 3) : length != 3) return {};
        digits += whole.substr(groupStart, length);
        groupStart = i + 1;
    }
    return digits;
}

// A plain decimal number (sign, digits with optional thousands separators,
// optional decimal part) cut to whole units, saturated at the 64-bit limits
// so that the bar check refuses a number too long for its field. nullopt for
// anything else: no exponent, hexadecimal or "inf".
std::optional<int64_t> wholeNumber(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    std::size_t point = text.find('.');
    std::string_view fraction = point == std::string_view::npos ? "" : text.substr(point + 1);
    std::string digits = ungrouped(text.substr(0, point));
    if (digits.empty() && fraction.empty()) return std::nullopt;
    if (!std::all_of(digits.begin(), digits.end(), isDigit) ||
        !std::all_of(fraction.begin(), fraction.end(), isDigit))
        return std::nullopt;
    return parseLeadingInt64((negative ? "-" : "") + digits);
}

std::optional<ColumnMap> columnsOfHeader(const std::vector<std::string>& names, bool& adjusted) {
    static const std::map<std::string, Column> kNames{
        {"date", kDate},   {"日付", kDate},  {"open", kOpen},     {"始値", kOpen},
        {"high", kHigh},   {"高値", kHigh},  {"low", kLow},       {"安値", kLow},
        {"close", kClose}, {"終値", kClose}, {"volume", kVolume}, {"出来高", kVolume},
        {"vol", kVolume}};
    ColumnMap map;
    map.fill(-1);
    adjusted = false;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string name = lowered(names[i]);
        if (name == "adj close" || name == "adj. close" || name == "調整後終値") adjusted = true;
        auto found = kNames.find(name);
        if (found != kNames.end() && map[found->second] < 0)
            map[found->second] = static_cast<int>(i);
    }
    for (int column = kDate; column < kVolume; ++column)
        if (map[column] < 0) return std::nullopt;
    return map;
}

bool isUtf8(std::string_view bytes) {
    for (std::size_t i = 0; i < bytes.size();) {
        auto byte = static_cast<unsigned char>(bytes[i]);
        std::size_t length = byte < 0x80         ? 1
                             : (byte >> 5) == 6  ? 2
                             : (byte >> 4) == 14 ? 3
                             : (byte >> 3) == 30 ? 4
                                                 : 0;
        if (length == 0 || i + length > bytes.size()) return false;
        for (std::size_t k = 1; k < length; ++k)
            if ((static_cast<unsigned char>(bytes[i + k]) >> 6) != 2) return false;
        i += length;
    }
    return true;
}

}  // namespace

CsvBars parseBarCsv(std::string_view bytes, CsvLayout layout, const LocalDate& today) {
    CsvBars result;
    if (bytes.substr(0, 3) == "\xEF\xBB\xBF") bytes.remove_prefix(3);
    std::string text = isUtf8(bytes) ? std::string(bytes) : text::utf8FromSjis(bytes);

    std::optional<ColumnMap> columns;
    std::size_t fieldCount = 0;  // fields a line may have
    bool firstLine = true;
    std::map<std::string, DailyBar> byDate;
    fileio::forEachLine(text, [&](std::string_view line) {
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.find_first_not_of(" \t") == std::string_view::npos) return;
        std::vector<std::string> fields = splitFields(line);
        if (firstLine) {
            firstLine = false;
            if (dateOf(fields[0]).empty()) {
                bool adjusted = false;
                columns = columnsOfHeader(fields, adjusted);
                result.header = true;
                fieldCount = fields.size();
                if (!columns) {
                    result.message = "見出し行に日付・始値・高値・安値・終値の列が見つかりません。";
                    return;
                }
                if (layout == CsvLayout::Auto)
                    layout = adjusted ? CsvLayout::Yahoo : CsvLayout::Stooq;
                return;
            }
            if (layout == CsvLayout::Auto) layout = CsvLayout::Plain;
            columns = layout == CsvLayout::Yahoo ? kYahooColumns : kSixColumns;
            fieldCount = layout == CsvLayout::Yahoo ? kYahooColumns[kVolume] + 1 : kColumnCount;
        }
        if (!columns) return;
        // More fields than columns: a number written with separators outside
        // quotes, whose pieces would be read as the next columns.
        while (fields.size() > fieldCount && fields.back().empty())
            fields.pop_back();
        if (fields.size() > fieldCount) {
            ++result.rejected;
            return;
        }
        auto field = [&](Column column) -> std::string {
            int index = (*columns)[column];
            return index >= 0 && static_cast<std::size_t>(index) < fields.size() ? fields[index]
                                                                                 : std::string();
        };
        std::string date = dateOf(field(kDate));
        int64_t prices[4] = {};
        bool ok = true;
        for (int column = kOpen; ok && column <= kClose; ++column) {
            auto value = wholeNumber(field(static_cast<Column>(column)));
            ok = value.has_value();
            if (ok) prices[column - kOpen] = *value;
        }
        std::optional<int64_t> volume = int64_t{0};
        if (ok && (*columns)[kVolume] >= 0) {
            volume = wholeNumber(field(kVolume));
            ok = volume.has_value();
        }
        BarFault fault = BarFault::None;
        if (ok)
            fault =
                checkBarValues(date, prices[0], prices[1], prices[2], prices[3], *volume, today);
        if (!ok || fault != BarFault::None || byDate.count(date)) {
            ++result.rejected;
            result.faults.add(fault);
            return;
        }
        DailyBar bar{};
        setBarDate(bar, date);
        bar.open = static_cast<int32_t>(prices[0]);
        bar.high = static_cast<int32_t>(prices[1]);
        bar.low = static_cast<int32_t>(prices[2]);
        bar.close = static_cast<int32_t>(prices[3]);
        bar.volume = *volume;
        byDate.emplace(date, bar);
    });
    result.layout = layout == CsvLayout::Auto ? CsvLayout::Plain : layout;
    if (!result.message.empty()) return result;
    for (auto& [date, bar] : byDate)
        result.bars.push_back(bar);
    if (result.bars.empty() && result.message.empty())
        result.message = "取り込める株価の行がありません。";
    return result;
}

std::vector<DailyBar> mergeByDate(std::span<const DailyBar> stored,
                                  std::span<const DailyBar> imported, int& alreadyStored) {
    std::map<std::string_view, const DailyBar*> byDate;
    for (const DailyBar& bar : imported)
        byDate.emplace(bar.dateText(), &bar);
    alreadyStored = 0;
    for (const DailyBar& bar : stored)
        if (byDate.erase(bar.dateText())) ++alreadyStored;
    std::vector<DailyBar> added;
    for (const auto& [date, bar] : byDate)
        added.push_back(*bar);
    // A merge keeps the stored bars in their file order among themselves.
    std::vector<DailyBar> merged;
    merged.reserve(stored.size() + added.size());
    std::merge(stored.begin(), stored.end(), added.begin(), added.end(), std::back_inserter(merged),
               [](const DailyBar& a, const DailyBar& b) { return a.dateText() < b.dateText(); });
    return merged;
}

}  // namespace tav
