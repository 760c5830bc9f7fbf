#include "updates/trading_days.h"

#include <algorithm>

#include "core/calendar.h"

namespace tav {

std::string nextTradingDay(std::string_view date) {
    LocalDate parsed;
    if (!parseDate8(date, parsed)) return {};
    return formatDate(addDays(parsed, weekdayOf(parsed) == kFriday ? 3 : 1));
}

std::vector<std::string> tradingDaysAfter(std::string_view last, const LocalDate& today) {
    std::vector<std::string> days;
    std::string todayText = formatDate(today);
    for (std::string day = nextTradingDay(last); !day.empty() && day <= todayText;
         day = nextTradingDay(day))
        days.push_back(day);
    return days;
}

bool acceptableDate(std::string_view text, const LocalDate& today) {
    LocalDate parsed;
    return parseDate8(text, parsed) && std::string(text) <= formatDate(today);
}

std::string yearBefore(const LocalDate& today) {
    LocalDate date{today.year - 1, today.month, today.day};
    date.day = std::min(date.day, std::max(daysInMonth(date.year, date.month), 1));
    return formatDate(date);
}

}  // namespace tav
