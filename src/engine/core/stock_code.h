#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tav {

// Integer code of a security. Numeric codes are their decimal value; an
// alphanumeric code such as "130A" (a digit, then three digits or capital
// letters, at least one of them a letter) is kAlphanumericCodeBase plus its
// base-36 value. No decimal code reaches the base, so the two never collide
// and alphanumeric codes sort after every numeric one, in text order.
using StockCode = int32_t;

constexpr StockCode kAlphanumericCodeBase = 1'000'000'000;
// 36^4 values above the base.
constexpr StockCode kAlphanumericCodeSpan = 36 * 36 * 36 * 36;

// Shown at the very first start and whenever nothing else can be loaded.
constexpr StockCode kDefaultCode = 1010;

constexpr bool isAlphanumericCode(StockCode code) {
    return code >= kAlphanumericCodeBase && code - kAlphanumericCodeBase < kAlphanumericCodeSpan;
}

enum class SecurityKind : uint8_t { JapaneseIndex, UsIndex, CurrencyPair, UsStock, JapaneseStock };

constexpr SecurityKind securityKind(StockCode code) {
    if (code == 1001 || code == 1010) return SecurityKind::JapaneseIndex;
    if (code >= 1002 && code <= 1007) return SecurityKind::UsIndex;
    if (code >= 1020 && code <= 1029) return SecurityKind::CurrencyPair;
    if (code >= 10000 && code <= 19999) return SecurityKind::UsStock;
    return SecurityKind::JapaneseStock;
}

// The text the user and the files see: decimal for numeric codes, the four
// characters for alphanumeric ones.
std::string codeText(StockCode code);

// The whole text as a code: 1 to 9 decimal digits (a positive value), or an
// alphanumeric code (lower-case letters are taken as capitals). Anything else,
// including surrounding spaces, signs and all-letter words, gives nothing.
std::optional<StockCode> parseCode(std::string_view text);

// The code at the start of a stored field such as a list line's first word:
// an alphanumeric code when the field starts with one not followed by another
// letter or digit, otherwise the leading decimal number as files have always
// been read (0 when there is none, or when it reaches kAlphanumericCodeBase).
StockCode parseLeadingCode(std::string_view field);

}  // namespace tav
