#pragma once

#include <string>
#include <string_view>

namespace tav {

struct LocalDate {
    int year = 0;
    int month = 0;
    int day = 0;

    friend bool operator==(const LocalDate&, const LocalDate&) = default;
};

// "%d%02d%02d": the 8-character date text that bars carry and that is compared
// byte-wise.
std::string formatDate(const LocalDate& date);

// Reads an 8-digit YYYYMMDD text that names a real calendar day; returns
// false otherwise (date untouched).
bool parseDate8(std::string_view text, LocalDate& date);

bool isLeapYear(int year);
int daysInMonth(int year, int month);

}  // namespace tav
