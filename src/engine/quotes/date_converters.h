#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "core/period_mode.h"

// The date cells of the quote pages as 8-digit bar dates. Each gives nullopt
// when the text is too short for its fixed positions.
namespace tav {

// "2005年3月15日" (month and day of one or two digits, Shift-JIS). Monthly
// bars carry day 01.
std::optional<std::string> japaneseDateText(std::string_view sjisText, PeriodMode period);

// "2005/03/15" with any one-character separators.
std::optional<std::string> slashDateText(std::string_view text);

// "5-Jan-05": two-digit years below "50" are 20xx, the others 19xx. An unknown
// month name leaves the month digits out.
std::optional<std::string> usDateText(std::string_view text);

}  // namespace tav
