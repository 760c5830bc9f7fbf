#include "updates/trading_days.h"

#include <algorithm>

namespace tav {

namespace {

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
int64_t dayNumber(const LocalDate& date) {
    int64_t year = date.year - (date.month <= 2 ? 1 : 0);
    int64_t era = (year >= 0 ? year : year - 399) / 400;
    int64_t yearOfEra = year - era * 400;
    int64_t dayOfYear = (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * 146097 + dayOfEra - 719468;
}

LocalDate dateOfDay(int64_t days) {
    days += 719468;
    int64_t era = (days >= 0 ? days : days - 146096) / 146097;
    int64_t dayOfEra = days - era * 146097;
    int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    int64_t monthIndex = (5 * dayOfYear + 2) / 153;
    int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
    int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
    int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

// 0 Monday ... 6 Sunday; 1970-01-01 was a Thursday.
int weekdayOf(int64_t days) {
    return static_cast<int>(((days % 7) + 7 + 3) % 7);
}

constexpr int kFriday = 4;

}  // namespace

std::string nextTradingDay(std::string_view date) {
    LocalDate parsed;
    if (!parseDate8(date, parsed)) return {};
    int64_t days = dayNumber(parsed);
    days += weekdayOf(days) == kFriday ? 3 : 1;
    return formatDate(dateOfDay(days));
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
