#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tav {

// Bar period of a series: selects its data file and which of the three values
// of every analysis parameter applies.
enum class PeriodMode : uint8_t { Daily = 0, Weekly = 1, Monthly = 2 };

constexpr int periodIndex(PeriodMode mode) { return static_cast<int>(mode); }

// File name prefix of the series files: "", "w", "m".
constexpr std::string_view periodFilePrefix(PeriodMode mode) {
    switch (mode) {
        case PeriodMode::Weekly: return "w";
        case PeriodMode::Monthly: return "m";
        default: return "";
    }
}

// Period letter sent to the quote sites: "d", "w", "m".
constexpr std::string_view periodLetter(PeriodMode mode) {
    switch (mode) {
        case PeriodMode::Weekly: return "w";
        case PeriodMode::Monthly: return "m";
        default: return "d";
    }
}

// "daily" / "weekly" / "monthly" as typed on a command line.
std::optional<PeriodMode> parsePeriodName(std::string_view name);

}  // namespace tav
