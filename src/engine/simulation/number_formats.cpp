#include "simulation/number_formats.h"

#include <cstdio>

namespace tav {

std::string amountText(int64_t value) {
    const std::string digits = std::to_string(value);
    const std::size_t sign = digits[0] == '-' ? 1 : 0;
    std::string out = digits.substr(0, sign);
    const std::size_t length = digits.size() - sign;
    for (std::size_t i = 0; i < length; ++i) {
        if (i > 0 && (length - i) % 3 == 0) out += ',';
        out += digits[sign + i];
    }
    return out;
}

std::string percentText(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.01f%%", value);
    return text;
}

std::string profitFactorText(double value) {
    char text[64];
    std::snprintf(text, sizeof text, "%.02f", value);
    return text;
}

std::string ratioPercentText(int64_t numerator, int64_t denominator) {
    if (numerator == 0 || denominator == 0) return percentText(0.0);
    return percentText(static_cast<double>(numerator) * 100.0 / static_cast<double>(denominator));
}

}  // namespace tav
