#include "core/calendar.h"

#include <gtest/gtest.h>

namespace tav {
namespace {

struct Anchor {
    LocalDate date;
    int64_t dayNumber;
    int weekday;  // 0 Sunday
};

// Day numbers and weekdays taken from outside the code; century years that
// are (1600, 2000, 2400) and are not (1700, 1900, 2100) leap years.
constexpr Anchor kAnchors[] = {
    {{1600, 1, 1}, -135140, 6},   {{1600, 2, 29}, -135081, 2}, {{1700, 3, 1}, -98556, 1},
    {{1899, 12, 31}, -25568, 0},  {{1900, 2, 28}, -25509, 3},  {{1900, 3, 1}, -25508, 4},
    {{1969, 12, 31}, -1, 3},      {{1970, 1, 1}, 0, 4},        {{2000, 2, 29}, 11016, 2},
    {{2000, 3, 1}, 11017, 3},     {{2024, 6, 14}, 19888, 5},   {{2100, 2, 28}, 47540, 0},
    {{2100, 3, 1}, 47541, 1},     {{2400, 2, 29}, 157113, 2},  {{2400, 12, 31}, 157419, 0},
};

TEST(Calendar, AnchorsHaveTheirDayNumberAndWeekday) {
    for (const Anchor& a : kAnchors) {
        SCOPED_TRACE(formatDate(a.date));
        EXPECT_EQ(dayNumber(a.date), a.dayNumber);
        EXPECT_EQ(dateOfDay(a.dayNumber), a.date);
        EXPECT_EQ(weekdayOf(a.date), a.weekday);
    }
}

// Counts day by day over eight centuries: every day is one more than the one
// before, converts back, and the weekdays cycle.
TEST(Calendar, AgreesWithAPlainCountOfDays) {
    const LocalDate first{1600, 1, 1};
    const int64_t start = dayNumber(first);
    int64_t counted = 0;
    LocalDate date = first;
    while (date.year <= 2400) {
        const int64_t days = start + counted;
        if (dayNumber(date) != days || dateOfDay(days) != date ||
            weekdayOfDay(days) != (6 + counted) % 7) {
            FAIL() << formatDate(date) << " is not day " << days;
        }
        LocalDate next = date;
        if (++next.day > daysInMonth(next.year, next.month)) {
            next.day = 1;
            if (++next.month > 12) next = {next.year + 1, 1, 1};
        }
        ASSERT_EQ(addDays(date, 1), next);
        date = next;
        ++counted;
    }
    EXPECT_EQ(counted, 292560);
}

TEST(Calendar, WeeksStartOnMonday) {
    struct Case {
        LocalDate day;
        LocalDate monday;
    };
    const Case cases[] = {
        {{2024, 6, 10}, {2024, 6, 10}},  // a Monday
        {{2024, 6, 16}, {2024, 6, 10}},  // the Sunday ends that week
        {{2024, 6, 17}, {2024, 6, 17}},
        {{1970, 1, 1}, {1969, 12, 29}},  // across day 0
        {{1969, 12, 28}, {1969, 12, 22}},
        {{2000, 3, 2}, {2000, 2, 28}},   // across a leap day
    };
    for (const Case& c : cases)
        EXPECT_EQ(dateOfDay(mondayOfWeek(dayNumber(c.day))), c.monday) << formatDate(c.day);
}

TEST(Calendar, MonthIndexesMoveAcrossYears) {
    struct Case {
        int year, month, add, day;
        LocalDate expected;
    };
    const Case cases[] = {
        {2024, 3, -3, 31, {2023, 12, 31}},
        {2024, 5, -3, 31, {2024, 2, 31}},  // the day is kept as given
        {2023, 11, 14, 1, {2025, 1, 1}},
        {0, 1, -1, 5, {-1, 12, 5}},
        {0, 1, -13, 5, {-2, 12, 5}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(dateInMonth(monthIndex(c.year, c.month) + c.add, c.day), c.expected)
            << c.year << "-" << c.month << " + " << c.add;
}

}  // namespace
}  // namespace tav
