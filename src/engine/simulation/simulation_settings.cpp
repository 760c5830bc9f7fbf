#include "simulation/simulation_settings.h"

#include <charconv>
#include <cstdio>
#include <limits>

namespace tav {

namespace {

std::string_view trimmed(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}

template <typename Int>
std::optional<Int> wholeNumber(std::string_view text) {
    text = trimmed(text);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    Int value = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), value);
    if (text.empty() || error != std::errc() || end != text.data() + text.size())
        return std::nullopt;
    return value;
}

}  // namespace

SimulationSettings SimulationSettings::from(const OptionsRecord& o) {
    return {o.capital,           o.periodKind,  o.periodYears,    o.startYear,
            o.startMonth,        o.defaultFill, o.commissionKind, o.commissionValue,
            o.commissionMinimum, o.taxKind,     o.taxRate};
}

void SimulationSettings::storeInto(OptionsRecord& o) const {
    o.capital = capital;
    o.periodKind = periodKind;
    o.periodYears = periodYears;
    o.startYear = startYear;
    o.startMonth = startMonth;
    o.defaultFill = defaultFill;
    o.commissionKind = commissionKind;
    o.commissionValue = commissionValue;
    o.commissionMinimum = commissionMinimum;
    o.taxKind = taxKind;
    o.taxRate = taxRate;
}

std::optional<int16_t> hundredthsFromPercentText(std::string_view text) {
    text = trimmed(text);
    bool negative = false;
    if (!text.empty() && (text.front() == '-' || text.front() == '+')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    int64_t value = 0;
    int digits = 0;
    int decimals = -1;  // -1 until the point
    for (char c : text) {
        if (c == '.' && decimals < 0) {
            decimals = 0;
            continue;
        }
        if (c < '0' || c > '9') return std::nullopt;
        ++digits;
        if (decimals >= 2) continue;
        value = value * 10 + (c - '0');
        if (decimals >= 0) ++decimals;
        if (value > 10'000'000) return std::nullopt;
    }
    if (digits == 0) return std::nullopt;
    for (int d = decimals < 0 ? 0 : decimals; d < 2; ++d)
        value *= 10;
    if (negative) value = -value;
    if (value < std::numeric_limits<int16_t>::min() || value > std::numeric_limits<int16_t>::max())
        return std::nullopt;
    return static_cast<int16_t>(value);
}

std::string percentTextFromHundredths(int16_t hundredths) {
    const int value = hundredths;
    const int magnitude = value < 0 ? -value : value;
    char text[32];
    std::snprintf(text, sizeof text, "%s%d.%02d", value < 0 ? "-" : "", magnitude / 100,
                  magnitude % 100);
    return text;
}

bool applySettingsTexts(const SimulationSettingsTexts& texts, SimulationSettings& settings,
                        std::string* badField) {
    auto fail = [&](const char* name) {
        if (badField) *badField = name;
        return false;
    };
    const auto capital = wholeNumber<int32_t>(texts.capital);
    if (!capital) return fail("資金");
    const auto commission = settings.commissionKind == kCommissionFixed
                                ? wholeNumber<int16_t>(texts.commission)
                                : hundredthsFromPercentText(texts.commission);
    if (!commission) return fail("手数料");
    const auto minimum = wholeNumber<int16_t>(texts.commissionMinimum);
    if (!minimum) return fail("手数料下限");
    const auto tax = hundredthsFromPercentText(texts.taxRate);
    if (!tax) return fail("取引税");
    settings.capital = *capital;
    settings.commissionValue = *commission;
    settings.commissionMinimum = *minimum;
    settings.taxRate = *tax;
    return true;
}

SimulationSettingsTexts settingsTexts(const SimulationSettings& settings) {
    return {std::to_string(settings.capital),
            settings.commissionKind == kCommissionFixed
                ? std::to_string(settings.commissionValue)
                : percentTextFromHundredths(settings.commissionValue),
            std::to_string(settings.commissionMinimum),
            percentTextFromHundredths(settings.taxRate)};
}

}  // namespace tav
