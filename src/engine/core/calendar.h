#pragma once

#include <cstdint>

#include "core/local_date.h"

// Date arithmetic on the proleptic Gregorian calendar. Day numbers count days
// from 1970-01-01 (day 0, a Thursday), negative before it, so that adding days
// and comparing dates are plain integer operations.
namespace tav {

inline constexpr int kSunday = 0;
inline constexpr int kMonday = 1;
inline constexpr int kFriday = 5;
inline constexpr int kSaturday = 6;

// The day number of a date. The formula is linear in the day, so a day past
// the end of its month counts on into the next one.
int64_t dayNumber(const LocalDate& date);

// The date of a day number.
LocalDate dateOfDay(int64_t days);

// 0 Sunday ... 6 Saturday.
int weekdayOfDay(int64_t days);
int weekdayOf(const LocalDate& date);

LocalDate addDays(const LocalDate& date, int64_t days);

// The day number of the Monday that starts the week (Monday to Sunday) holding days.
int64_t mondayOfWeek(int64_t days);

// Months counted from January of year 0, so that moving by months is addition.
int monthIndex(int year, int month);
// The year and month of a month index, with the day given (not checked against
// the month's length).
LocalDate dateInMonth(int monthIndex, int day);

}  // namespace tav
