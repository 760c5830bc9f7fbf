#include "settings/settings_text.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <cstring>

#include "core/text.h"

namespace tav {

namespace {

constexpr std::string_view kPeriodSuffixes[] = {".daily", ".weekly", ".monthly"};
constexpr std::string_view kColourPrefix = "colour.";
constexpr std::string_view kRankingPrefix = "rankingChoice";

// A decimal number with an optional sign, or hexadecimal after "0x".
std::optional<int64_t> parseInteger(std::string_view text) {
    int base = 10;
    bool negative = false;
    if (text.starts_with('-')) {
        negative = true;
        text.remove_prefix(1);
    }
    if (text.starts_with("0x") || text.starts_with("0X")) {
        base = 16;
        text.remove_prefix(2);
    }
    if (text.empty() || text.size() > 18) return std::nullopt;
    int64_t value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value, base);
    if (error != std::errc() || end != text.data() + text.size()) return std::nullopt;
    return negative ? -value : value;
}

std::string rangeError(std::string_view name, int64_t min, int64_t max) {
    return std::string(name) + " must be " + std::to_string(min) + "-" + std::to_string(max);
}

const OptionField* findField(std::string_view name) {
    for (const OptionField& field : optionFields())
        if (field.name == name) return &field;
    return nullptr;
}

std::optional<int> colourIndex(std::string_view name) {
    if (!name.starts_with(kColourPrefix)) return std::nullopt;
    name.remove_prefix(kColourPrefix.size());
    for (int i = 0; i < kColourCount; ++i)
        if (kColours[i].name == name) return i;
    return std::nullopt;
}

std::optional<int> rankingIndex(std::string_view name) {
    if (!name.starts_with(kRankingPrefix) || name.size() != kRankingPrefix.size() + 1)
        return std::nullopt;
    int number = name.back() - '0';
    if (number < 1 || number > 5) return std::nullopt;
    return number - 1;
}

// Parameter index (0-39) and the periods a name covers.
struct ParameterName {
    int index;
    int firstPeriod;
    int lastPeriod;
};

std::optional<ParameterName> parseParameterName(std::string_view name) {
    int firstPeriod = 0;
    int lastPeriod = 2;
    for (int period = 0; period < 3; ++period) {
        if (name.ends_with(kPeriodSuffixes[period])) {
            name.remove_suffix(kPeriodSuffixes[period].size());
            firstPeriod = lastPeriod = period;
            break;
        }
    }
    for (int i = 0; i < kChartParamCount; ++i)
        if (kChartParams[i].name == name) return ParameterName{i, firstPeriod, lastPeriod};
    for (int i = 0; i < kIndicatorParamCount; ++i)
        if (kIndicatorParams[i].name == name)
            return ParameterName{kChartParamCount + i, firstPeriod, lastPeriod};
    return std::nullopt;
}

std::string_view parameterName(int index) {
    return index < kChartParamCount ? kChartParams[index].name
                                    : kIndicatorParams[index - kChartParamCount].name;
}

std::string hexBytes(std::span<const uint8_t> bytes) {
    std::string text;
    char digits[3];
    for (uint8_t byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02x", byte);
        text += digits;
    }
    return text;
}

}  // namespace

std::vector<NamedValue> describeOptions(const OptionsRecord& options) {
    std::vector<NamedValue> values;
    for (const OptionField& field : optionFields())
        values.push_back({std::string(field.name), std::to_string(field.get(options))});
    std::string_view name(options.reportName.data(),
                          strnlen(options.reportName.data(), options.reportName.size()));
    values.push_back({"reportName", text::utf8FromSjis(name)});
    for (std::size_t i = 0; i < options.rankingChoices.size(); ++i)
        values.push_back({std::string(kRankingPrefix) + std::to_string(i + 1),
                          std::to_string(options.rankingChoices[i])});
    values.push_back({"reservedDialog", hexBytes(options.reservedDialog)});
    std::string order;
    for (uint8_t id : options.indicatorOrder) {
        if (!order.empty()) order += ',';
        order += std::to_string(id);
    }
    values.push_back({"indicatorOrder", order});
    for (int i = 0; i < kColourCount; ++i) {
        char colour[16];
        std::snprintf(colour, sizeof colour, "0x%06X", static_cast<unsigned>(options.colours[i]));
        values.push_back({std::string(kColourPrefix) + std::string(kColours[i].name), colour});
    }
    values.push_back({"indicatorScreens", std::to_string(options.indicatorScreenCount())});
    return values;
}

std::vector<NamedValue> describeParameters(const AnalysisParameters& parameters) {
    std::vector<NamedValue> values;
    for (int i = 0; i < AnalysisParameters::kSize / 3; ++i)
        for (int period = 0; period < 3; ++period)
            values.push_back({std::string(parameterName(i)) + std::string(kPeriodSuffixes[period]),
                              std::to_string(parameters.bytes[3 * i + period])});
    return values;
}

bool isOptionName(std::string_view name) {
    return findField(name) || colourIndex(name) || rankingIndex(name) || name == "reportName" ||
           name == "reservedDialog" || name == "indicatorOrder" || name == "indicatorScreens";
}

bool isParameterName(std::string_view name) {
    return parseParameterName(name).has_value();
}

std::optional<std::string> setOption(OptionsRecord& options, std::string_view name,
                                     std::string_view value) {
    if (const OptionField* field = findField(name)) {
        auto number = parseInteger(value);
        if (!number || !field->inRange(*number)) return rangeError(name, field->min, field->max);
        OptionsRecord changed = options;
        field->set(changed, *number);
        // The screen shown must stay within the screens of the graphs per screen.
        if (changed.indicatorScreen >= changed.indicatorScreenCount()) {
            if (field->name == "indicatorScreen")
                return rangeError(name, 0, changed.indicatorScreenCount() - 1);
            changed.indicatorScreen = 0;
        }
        options = changed;
        return std::nullopt;
    }
    if (auto index = colourIndex(name)) {
        auto number = parseInteger(value);
        // The top byte is not part of the colour but is kept as read.
        if (!number || *number < 0 || *number > 0xFFFFFFFF)
            return std::string(name) + " must be a colour 0xBBGGRR";
        options.colours[*index] = static_cast<ColourRef>(*number);
        return std::nullopt;
    }
    if (auto index = rankingIndex(name)) {
        auto number = parseInteger(value);
        if (!number || *number < 0 || *number > 255) return rangeError(name, 0, 255);
        options.rankingChoices[*index] = static_cast<uint8_t>(*number);
        return std::nullopt;
    }
    if (name == "reportName") {
        auto sjis = text::sjisFromUtf8Strict(value);
        if (!sjis || sjis->empty() || sjis->size() >= options.reportName.size() ||
            sjis->find('\0') != std::string::npos)
            return std::string("reportName must be 1-15 bytes of Shift-JIS text");
        options.reportName.fill('\0');
        std::copy(sjis->begin(), sjis->end(), options.reportName.begin());
        return std::nullopt;
    }
    if (name == "reservedDialog") {
        if (value.size() != 2 * options.reservedDialog.size())
            return std::string("reservedDialog must be 64 hexadecimal digits");
        std::array<uint8_t, 32> bytes{};
        for (std::size_t i = 0; i < bytes.size(); ++i) {
            auto [end, error] =
                std::from_chars(value.data() + 2 * i, value.data() + 2 * i + 2, bytes[i], 16);
            if (error != std::errc() || end != value.data() + 2 * i + 2)
                return std::string("reservedDialog must be 64 hexadecimal digits");
        }
        options.reservedDialog = bytes;
        return std::nullopt;
    }
    if (name == "indicatorOrder") {
        std::array<uint8_t, kIndicatorCount> order{};
        std::size_t count = 0;
        bool parsed = true;
        while (parsed && !value.empty()) {
            std::size_t comma = value.find(',');
            auto number = parseInteger(value.substr(0, comma));
            parsed = number && *number >= 0 && *number < kIndicatorCount && count < order.size();
            if (parsed) order[count++] = static_cast<uint8_t>(*number);
            value = comma == std::string_view::npos ? std::string_view() : value.substr(comma + 1);
        }
        if (!parsed || count != order.size() || !isIndicatorPermutation(order))
            return std::string(
                "indicatorOrder must list each indicator id 0-16 once, comma-separated");
        options.indicatorOrder = order;
        return std::nullopt;
    }
    if (name == "indicatorScreens")
        return std::string("indicatorScreens is computed from graphsPerScreen");
    return "unknown setting: " + std::string(name);
}

std::optional<std::string> setParameter(AnalysisParameters& parameters, std::string_view name,
                                        std::string_view value) {
    auto parameter = parseParameterName(name);
    if (!parameter) return "unknown setting: " + std::string(name);
    auto number = parseInteger(value);
    if (!number || *number < 0 || *number > 255) return rangeError(name, 0, 255);
    for (int period = parameter->firstPeriod; period <= parameter->lastPeriod; ++period)
        parameters.bytes[3 * parameter->index + period] = static_cast<uint8_t>(*number);
    return std::nullopt;
}

}  // namespace tav
