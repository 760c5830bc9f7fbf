#include "core/stock_code.h"

#include "core/fields.h"

namespace tav {

namespace {

constexpr std::size_t kAlphanumericLength = 4;
constexpr std::size_t kMaxDecimalLength = 9;

constexpr bool isDigit(char c) { return c >= '0' && c <= '9'; }

// Digit value 0–35 of a code character, lower case taken as capitals; -1 otherwise.
int base36Digit(char c) {
    if (isDigit(c)) return c - '0';
    if (c >= 'A' && c <= 'Z') return c - 'A' + 10;
    if (c >= 'a' && c <= 'z') return c - 'a' + 10;
    return -1;
}

std::optional<StockCode> parseAlphanumeric(std::string_view text) {
    if (text.size() != kAlphanumericLength || !isDigit(text[0])) return std::nullopt;
    StockCode value = 0;
    bool hasLetter = false;
    for (char c : text) {
        int digit = base36Digit(c);
        if (digit < 0) return std::nullopt;
        hasLetter = hasLetter || digit >= 10;
        value = value * 36 + digit;
    }
    if (!hasLetter) return std::nullopt;
    return kAlphanumericCodeBase + value;
}

}  // namespace

std::string codeText(StockCode code) {
    if (!isAlphanumericCode(code)) return std::to_string(code);
    std::string text(kAlphanumericLength, '0');
    StockCode value = code - kAlphanumericCodeBase;
    for (std::size_t pos = kAlphanumericLength; pos-- > 0; value /= 36) {
        int digit = value % 36;
        text[pos] = static_cast<char>(digit < 10 ? '0' + digit : 'A' + digit - 10);
    }
    return text;
}

std::optional<StockCode> parseCode(std::string_view text) {
    if (auto alphanumeric = parseAlphanumeric(text)) return alphanumeric;
    if (text.empty() || text.size() > kMaxDecimalLength) return std::nullopt;
    StockCode value = 0;
    for (char c : text) {
        if (!isDigit(c)) return std::nullopt;
        value = value * 10 + (c - '0');
    }
    if (value <= 0) return std::nullopt;
    return value;
}

StockCode parseLeadingCode(std::string_view field) {
    if (field.size() >= kAlphanumericLength &&
        (field.size() == kAlphanumericLength || base36Digit(field[kAlphanumericLength]) < 0)) {
        if (auto alphanumeric = parseAlphanumeric(field.substr(0, kAlphanumericLength))) return *alphanumeric;
    }
    // A decimal that large would read as an alphanumeric code; it names nothing.
    StockCode value = parseLeadingInt32(field);
    return value >= kAlphanumericCodeBase ? 0 : value;
}

}  // namespace tav
