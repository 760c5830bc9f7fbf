#include "quotes/date_converters.h"

#include "quotes/page_text.h"

namespace tav {

std::optional<std::string> japaneseDateText(std::string_view sjisText, PeriodMode period) {
    static const std::string kMonth = page::sjis("月");
    static const std::string kDay = page::sjis("日");
    // year (4), "年" (2), then at least one month digit and "月"
    if (sjisText.size() < 6 + 1 + kMonth.size()) return std::nullopt;
    std::string date(sjisText.substr(0, 4));
    std::size_t dayStart = 0;
    if (sjisText.substr(7, kMonth.size()) == kMonth) {
        date += '0';
        date += sjisText[6];
        dayStart = 7 + kMonth.size();
    } else {
        if (sjisText.size() < 8 + kMonth.size()) return std::nullopt;
        date += sjisText.substr(6, 2);
        dayStart = 8 + kMonth.size();
    }
    if (period == PeriodMode::Monthly) return date + "01";
    if (sjisText.size() < dayStart + 1) return std::nullopt;
    if (sjisText.substr(dayStart + 1, kDay.size()) == kDay) {
        date += '0';
        date += sjisText[dayStart];
    } else {
        if (sjisText.size() < dayStart + 2) return std::nullopt;
        date += sjisText.substr(dayStart, 2);
    }
    return date;
}

std::optional<std::string> slashDateText(std::string_view text) {
    if (text.size() < 10) return std::nullopt;
    std::string date(text.substr(0, 4));
    date += text.substr(5, 2);
    date += text.substr(8, 2);
    return date;
}

std::optional<std::string> usDateText(std::string_view text) {
    static constexpr std::string_view kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                                   "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    std::size_t first = text.find('-');
    if (first == std::string_view::npos) return std::nullopt;
    std::size_t second = text.find('-', first + 1);
    if (second == std::string_view::npos || text.size() < second + 3) return std::nullopt;
    std::string_view day = text.substr(0, first);
    if (day.empty() || day.size() > 2) return std::nullopt;
    std::string_view monthName = text.substr(first + 1, second - first - 1);
    std::string_view year = text.substr(second + 1, 2);

    std::string date = year < std::string_view("50") ? "20" : "19";
    date += year;
    for (std::size_t m = 0; m < 12; ++m) {
        if (kMonths[m] == monthName) {
            date += static_cast<char>('0' + (m + 1) / 10);
            date += static_cast<char>('0' + (m + 1) % 10);
        }
    }
    if (day.size() == 1) date += '0';
    date += day;
    return date;
}

}  // namespace tav
