#include "page_format.h"

#include <cstdio>
#include <cstdlib>

namespace tav::quotesim {

std::string withCommas(int64_t value) {
    std::string digits = std::to_string(value < 0 ? -value : value);
    std::string text;
    for (std::size_t i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) text += ',';
        text += digits[i];
    }
    return value < 0 ? "-" + text : text;
}

std::string decimalText(int64_t value, int decimals, bool commas) {
    int64_t scale = 1;
    for (int i = 0; i < decimals; ++i)
        scale *= 10;
    int64_t whole = std::llabs(value) / scale;
    std::string text = commas ? withCommas(whole) : std::to_string(whole);
    if (value < 0) text = "-" + text;
    if (decimals > 0) {
        std::string fraction = std::to_string(std::llabs(value) % scale);
        text += "." + std::string(decimals - fraction.size(), '0') + fraction;
    }
    return text;
}

std::string priceText(StockCode code, int32_t price) {
    switch (securityKind(code)) {
        case SecurityKind::JapaneseStock:
            return withCommas(price);
        case SecurityKind::JapaneseIndex: {
            // The level is kept whole; the sites show hundredths, which readers cut off.
            char fraction[8];
            std::snprintf(fraction, sizeof fraction, ".%02d", static_cast<int>(price % 97));
            return withCommas(price) + fraction;
        }
        case SecurityKind::UsIndex:
        case SecurityKind::UsStock:
            return decimalText(price, 2, true);
        case SecurityKind::CurrencyPair:
            return decimalText(price, code == 1022 ? 4 : 2, false);
    }
    return std::to_string(price);
}

std::string japaneseDate(int32_t date) {
    return std::to_string(date / 10000) + "年" + std::to_string(date / 100 % 100) + "月" +
           std::to_string(date % 100) + "日";
}

std::string slashDate(int32_t date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", date / 10000, date / 100 % 100, date % 100);
    return text;
}

std::string dashDate(int32_t date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", date / 10000, date / 100 % 100, date % 100);
    return text;
}

std::string usDate(int32_t date) {
    static const char* const kMonths[] = {"Jan", "Feb", "Mar", "Apr", "May", "Jun",
                                          "Jul", "Aug", "Sep", "Oct", "Nov", "Dec"};
    int month = date / 100 % 100;
    char text[24];
    std::snprintf(text, sizeof text, "%d-%s-%02d", date % 100,
                  month >= 1 && month <= 12 ? kMonths[month - 1] : "???", date / 10000 % 100);
    return text;
}

}  // namespace tav::quotesim
