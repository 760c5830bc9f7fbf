#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "settings/options_record.h"

namespace tav {

enum PeriodKind : uint8_t {
    kPeriodOnScreen = 0,  // 画面内
    kPeriodAllData = 1,   // 全ﾃﾞｰﾀ
    kPeriodThreeMonths = 2,
    kPeriodSixMonths = 3,
    kPeriodYears = 4,  // 年指定
};

enum CommissionKind : uint8_t { kCommissionNone = 0, kCommissionRate = 1, kCommissionFixed = 2 };

// The strategy-wide simulation settings, as the options record keeps them.
struct SimulationSettings {
    int32_t capital = 1000000;
    uint8_t periodKind = kPeriodOnScreen;
    uint8_t periodYears = 0;  // 0 ... 29 for 1 ... 30 years
    uint8_t startYear = 0;    // 0 none, k = the current year - (k - 1)
    uint8_t startMonth = 0;   // 0 ... 11
    uint8_t defaultFill = 0;  // 0 next bar's open, 1 this bar's close
    uint8_t commissionKind = kCommissionNone;
    int16_t commissionValue = 10;   // hundredths of a percent, or yen for a fixed fee
    int16_t commissionMinimum = 0;  // yen, 0 = none
    uint8_t taxKind = 0;            // 0 none, 1 rate
    int16_t taxRate = 1000;         // hundredths of a percent

    static SimulationSettings from(const OptionsRecord& options);
    void storeInto(OptionsRecord& options) const;
};

// The editor shows rates as percentages with two decimals and stores them
// multiplied by 100: "0.1" and "0.10" are 10, "10" is 1000. Blanks around the
// number are allowed, digits past the second decimal are dropped. nullopt for
// text that is not such a number or does not fit the 16-bit field.
std::optional<int16_t> hundredthsFromPercentText(std::string_view text);
// 10 -> "0.10", 1000 -> "10.00", -5 -> "-0.05".
std::string percentTextFromHundredths(int16_t hundredths);

// The texts of the editor's fields when it closes; the commission is a rate
// for 定率 and yen for 定額.
struct SimulationSettingsTexts {
    std::string capital;
    std::string commission;
    std::string commissionMinimum;
    std::string taxRate;
};
// Takes the texts over into settings; false (settings unchanged) when one of
// them is not a valid number, with the name of the first bad field.
bool applySettingsTexts(const SimulationSettingsTexts& texts, SimulationSettings& settings,
                        std::string* badField = nullptr);
SimulationSettingsTexts settingsTexts(const SimulationSettings& settings);

}  // namespace tav
