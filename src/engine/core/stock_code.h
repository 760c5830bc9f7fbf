#pragma once

#include <cstdint>

namespace tav {

// Integer code of a security.
using StockCode = int32_t;

// Shown at the very first start and whenever nothing else can be loaded.
constexpr StockCode kDefaultCode = 1010;

enum class SecurityKind : uint8_t { JapaneseIndex, UsIndex, CurrencyPair, UsStock, JapaneseStock };

constexpr SecurityKind securityKind(StockCode code) {
    if (code == 1001 || code == 1010) return SecurityKind::JapaneseIndex;
    if (code >= 1002 && code <= 1007) return SecurityKind::UsIndex;
    if (code >= 1020 && code <= 1029) return SecurityKind::CurrencyPair;
    if (code >= 10000 && code <= 19999) return SecurityKind::UsStock;
    return SecurityKind::JapaneseStock;
}

}  // namespace tav
