#include "core/calendar.h"

namespace tav {

namespace {

// The computation runs on eras of 400 years (146097 days) starting on 1 March,
// so that the leap day ends a year; 719468 is the day of 1970-01-01 counted
// from 0000-03-01.
constexpr int64_t kDaysPerEra = 146097;
constexpr int64_t kEpochShift = 719468;

int64_t floorDiv(int64_t value, int64_t divisor) {
    return (value >= 0 ? value : value - (divisor - 1)) / divisor;
}

}  // namespace

int64_t dayNumber(const LocalDate& date) {
    const int64_t year = date.year - (date.month <= 2 ? 1 : 0);
    const int64_t era = floorDiv(year, 400);
    const int64_t yearOfEra = year - era * 400;
    const int64_t dayOfYear =
        (153 * (date.month + (date.month > 2 ? -3 : 9)) + 2) / 5 + date.day - 1;
    const int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
    return era * kDaysPerEra + dayOfEra - kEpochShift;
}

LocalDate dateOfDay(int64_t days) {
    days += kEpochShift;
    const int64_t era = floorDiv(days, kDaysPerEra);
    const int64_t dayOfEra = days - era * kDaysPerEra;
    const int64_t yearOfEra =
        (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
    const int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
    const int64_t monthFromMarch = (5 * dayOfYear + 2) / 153;
    const int day = static_cast<int>(dayOfYear - (153 * monthFromMarch + 2) / 5 + 1);
    const int month = static_cast<int>(monthFromMarch < 10 ? monthFromMarch + 3 : monthFromMarch - 9);
    const int year = static_cast<int>(yearOfEra + era * 400 + (month <= 2 ? 1 : 0));
    return {year, month, day};
}

int weekdayOfDay(int64_t days) {
    // Day 0 was a Thursday; % keeps the sign, so shift into 0..6 after it.
    return static_cast<int>((days % 7 + 7 + 4) % 7);
}

int weekdayOf(const LocalDate& date) { return weekdayOfDay(dayNumber(date)); }

LocalDate addDays(const LocalDate& date, int64_t days) { return dateOfDay(dayNumber(date) + days); }

int64_t mondayOfWeek(int64_t days) { return days - (weekdayOfDay(days) + 6) % 7; }

int monthIndex(int year, int month) { return year * 12 + month - 1; }

LocalDate dateInMonth(int monthIndex, int day) {
    const int year = static_cast<int>(floorDiv(monthIndex, 12));
    return {year, monthIndex - year * 12 + 1, day};
}

}  // namespace tav
