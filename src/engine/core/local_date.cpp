#include "core/local_date.h"

#include <cstdio>

namespace tav {

std::string formatDate(const LocalDate& date) {
    char text[32];
    std::snprintf(text, sizeof text, "%d%02d%02d", date.year, date.month, date.day);
    return text;
}

bool isLeapYear(int year) { return (year % 4 == 0 && year % 100 != 0) || year % 400 == 0; }

int daysInMonth(int year, int month) {
    static constexpr int kDays[12] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (month < 1 || month > 12) return 0;
    return month == 2 && isLeapYear(year) ? 29 : kDays[month - 1];
}

bool parseDate8(std::string_view text, LocalDate& date) {
    if (text.size() != 8) return false;
    int value[8];
    for (int i = 0; i < 8; ++i) {
        if (text[i] < '0' || text[i] > '9') return false;
        value[i] = text[i] - '0';
    }
    LocalDate parsed{value[0] * 1000 + value[1] * 100 + value[2] * 10 + value[3],
                     value[4] * 10 + value[5], value[6] * 10 + value[7]};
    if (parsed.year < 1 || parsed.day < 1 || parsed.day > daysInMonth(parsed.year, parsed.month))
        return false;
    date = parsed;
    return true;
}

}  // namespace tav
