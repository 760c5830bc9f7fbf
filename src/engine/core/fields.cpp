#include "core/fields.h"

#include <limits>

namespace tav {

int64_t parseLeadingInt64(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r'))) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    uint64_t value = 0;
    constexpr uint64_t limit = static_cast<uint64_t>(std::numeric_limits<int64_t>::max()) + 1;
    bool saturated = false;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        if (saturated) continue;
        // Checked before the step: value * 10 + digit may not even fit 64 bits.
        auto digit = static_cast<uint64_t>(text[pos] - '0');
        if (value > (limit - digit) / 10) {
            saturated = true;
            continue;
        }
        value = value * 10 + digit;
    }
    if (saturated || (value == limit && !negative)) {
        return negative ? std::numeric_limits<int64_t>::min() : std::numeric_limits<int64_t>::max();
    }
    if (value == limit) return std::numeric_limits<int64_t>::min();
    return negative ? -static_cast<int64_t>(value) : static_cast<int64_t>(value);
}

int32_t parseLeadingInt32(std::string_view text) {
    int64_t value = parseLeadingInt64(text);
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

}  // namespace tav
