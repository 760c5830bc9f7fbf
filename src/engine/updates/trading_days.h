#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/local_date.h"

// The days the daily archives are asked for. There is no holiday calendar:
// every weekday is tried, and a day without an archive is skipped on import.
namespace tav {

// The next weekday after a valid YYYYMMDD date (a Friday gives the Monday);
// empty for any other text.
std::string nextTradingDay(std::string_view date);

// The days after last up to today, oldest first; last itself is never in it.
// Empty when last is not a valid date.
std::vector<std::string> tradingDaysAfter(std::string_view last, const LocalDate& today);

// A typed date that names a real day, written as 8 digits, not after today:
// the text goes into file names and addresses, so nothing else is taken.
bool acceptableDate(std::string_view text, const LocalDate& today);

// The preset of the start-date question: the same day one year before today
// (29 February gives the 28th).
std::string yearBefore(const LocalDate& today);

}  // namespace tav

namespace tav {

// Told when a typed date is refused.
inline constexpr const char* kInvalidDateMessage =
    "日付は今日以前の実在する日を、YYYYMMDDの8桁で指定してください。";

}  // namespace tav
