#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "settings/options_record.h"

namespace tav {

// The choices of the two market-wide dialogs, each the index chosen in its
// list unless stated. The labels below are the lists' items in index order.
inline constexpr int kSearchItemCount = 31;
extern const std::array<std::string_view, kSearchItemCount> kSearchItemLabels;
extern const std::array<std::string_view, 15> kMarketLabels;
extern const std::array<std::string_view, 4> kUnitLabels;
extern const std::array<std::string_view, 3> kMarginLabels;
extern const std::array<std::string_view, 3> kLiquidityLabels;
extern const std::array<std::string_view, 2> kRankingKindLabels;

inline constexpr int kSearchStrategy = 1;
inline constexpr int kSearchCapsule = 2;
// The value field is used only by items whose label holds "[" and "]".
bool searchItemTakesValue(int item);

enum LiquidityKind : uint8_t { kLiquidityNone = 0, kLiquidityToday = 1, kLiquidityAverage = 2 };
enum RankingKind : uint8_t { kRankByProfit = 0, kRankByWinRate = 1 };

// Input files are read up to this many lines, each up to this many bytes.
inline constexpr int kMaxInputLines = 10000;
inline constexpr std::size_t kInputLineBuffer = 512;

// The filters both runs share.
struct SecurityFilters {
    int market = 0;
    int unit = 0;
    int marginType = 0;
    int liquidity = kLiquidityNone;
    int32_t liquidityMultiple = 0;  // trading units
};

// Screening ("銘柄抽出").
struct ScreeningSettings {
    int searchItem = 0;
    int32_t value = 0;    // v of the items marked [指数値] or [％]
    int strategy = 0;     // list index: strategy file number - 1
    int capsule = 0;      // list index: capsule file index (Capsel<k+1>.pat)
    SecurityFilters filters;
    int32_t tradingValueMin = 0;
    int32_t tradingValueMax = 0;  // 0: no trading value filter
    int input = 0;   // 0 the master list, n watchlist n
    int output = 0;  // watchlist output + 1

    static ScreeningSettings from(const OptionsRecord& options);
    void storeInto(OptionsRecord& options) const;
    int outputWatchlist() const { return output + 1; }
    // No search item and no filter at all: the dialog refuses it.
    bool choosesNothing() const;
    // Steps that need the series: a search item, liquidity or a trading value maximum.
    bool needsSeries() const;
};

// Multi-security simulation ("シミュレーション").
inline constexpr int kMaxRankingLength = 1000;
struct MultiRunSettings {
    int strategy = 0;  // list index: strategy file number - 1
    SecurityFilters filters;
    // 0 the master list (accumulate mode) or the watchlist on display
    // (scratch mode); n watchlist n.
    int input = 0;
    int rankingKind = kRankByProfit;
    int rankingLength = 30;  // 1 ... kMaxRankingLength
    int output = 0;          // the result dialog's watchlist, 0 none

    static MultiRunSettings from(const OptionsRecord& options);
    // The stored length field holds one byte: longer rankings are kept as 255.
    void storeInto(OptionsRecord& options) const;
};

}  // namespace tav
