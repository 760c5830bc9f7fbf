#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "conditions/condition.h"

namespace tav {

// Trading modes (取引形態).
enum TradingMode : uint8_t {
    kModeLong = 0,     // 買い ⇒ 手仕舞（売り）
    kModeShort = 1,    // カラ売り ⇒ 手仕舞（買戻し）
    kModeReverse = 2,  // ドテン売買
    kModeMixed = 3,    // 混合売買: buy tactics and sell tactics side by side
};
inline constexpr int kTradingModeCount = 4;

inline constexpr int kMaxColumnConditions = 20;

// Fill price codes (個別売買値); 0 defers to the strategy-wide setting.
inline constexpr int16_t kFillDefault = 0;
inline constexpr int16_t kFillDayTrade = 13;  // 日計即日: close of the signal bar
inline constexpr int kFillPriceCount = 14;

// One side of a tactic: the buy, sell or stop conditions. In the stop column
// a condition is a stop rule: category = kind, item = item, p1 = value.
struct TacticColumns {
    int16_t logic = kLogicOr;
    int16_t fillPrice = kFillDefault;
    int16_t count = 0;  // 0 to kMaxColumnConditions
    int16_t unused = 0;
    std::array<Condition, kMaxColumnConditions> conditions{};

    std::span<const Condition> rows() const {
        return {conditions.data(), static_cast<std::size_t>(count < 0 ? 0 : count)};
    }
    friend bool operator==(const TacticColumns&, const TacticColumns&) = default;
};

enum class TacticTab : uint8_t { Buy, Sell, Stop };

inline constexpr uint8_t kBuyTactic = 0;
inline constexpr uint8_t kSellTactic = 1;

struct Tactic {
    uint8_t disabled = 0;
    uint8_t side = kBuyTactic;  // mode 3 only
    std::string name;           // UTF-8, without its display prefix
    TacticColumns buy;
    TacticColumns sell;
    TacticColumns stop;

    TacticColumns& columns(TacticTab tab) {
        return tab == TacticTab::Buy ? buy : tab == TacticTab::Sell ? sell : stop;
    }
    const TacticColumns& columns(TacticTab tab) const {
        return tab == TacticTab::Buy ? buy : tab == TacticTab::Sell ? sell : stop;
    }
    // A day trade fills its buy or sell side at the signal bar's close.
    bool dayTrade() const {
        return buy.fillPrice == kFillDayTrade || sell.fillPrice == kFillDayTrade;
    }
    friend bool operator==(const Tactic&, const Tactic&) = default;
};

// Split methods (分割方法).
enum SplitMethod : uint8_t {
    kSplitNone = 0,
    kSplitUnits = 1,    // 定数法
    kSplitPercent = 2,  // 定率法
    kSplitYen = 3,      // 定額法
};

struct SplitSettings {
    uint8_t method = kSplitNone;
    int32_t amount = 0;   // units, percent or yen per purchase
    int32_t step = 0;     // added for each further purchase
    uint8_t capsule = 0;  // the capsule (counted from 0) whose truth adds to a position
    friend bool operator==(const SplitSettings&, const SplitSettings&) = default;
};

struct Strategy {
    uint8_t tradingMode = kModeLong;
    std::vector<Tactic> tactics;
    SplitSettings split;
    friend bool operator==(const Strategy&, const Strategy&) = default;
};

// Stop kinds and their item count.
enum StopKind : int16_t { kStopLoss = 0, kStopProfit = 1, kStopTrailing = 2, kStopTimeOver = 3 };
inline constexpr int kStopKindCount = 4;

// A stop rule as a stop column stores it.
inline Condition stopRule(int16_t kind, int16_t item, int16_t value) {
    Condition rule;
    rule.category = kind;
    rule.item = item;
    rule.p1 = value;
    return rule;
}

namespace strategy_labels {

using Labels = std::span<const std::string_view>;

Labels tradingModes();
Labels fillPrices();
Labels stopKinds();
Labels splitMethods();
// The stop items of a kind for the position the rule applies to; out of range: empty.
Labels stopItems(int kind, bool shortPosition);
// The unit of a stop rule's value: ％ for the rates, 円 for the price
// ranges, 日 for the days held; empty outside the lists.
std::string_view stopValueUnit(int kind, int item);
// Whether the stop lists of a tactic are the short ones: mode 1, and sell
// tactics in mode 3.
bool showsShortStops(uint8_t tradingMode, const Tactic& tactic);
// The editor's note under the stop lists in mode 2.
inline constexpr std::string_view kReverseNote = "ドテン売りは逆になります";

// "戦術%d", "買＞戦術%d" in mode 3.
std::string defaultTacticName(uint8_t tradingMode, int number);
// The name as the list shows it: "無効＞" for a disabled tactic, "買＞" / "売＞" in mode 3.
std::string displayName(uint8_t tradingMode, const Tactic& tactic);
// "分割なし" or the three lines of the split summary; the capsule title comes
// from the capsule list.
std::vector<std::string> splitSummary(const SplitSettings& split,
                                      std::span<const std::string> capsuleTitles);
// A stop rule as the stop column shows it: kind, item and value.
std::string stopRuleText(const Condition& rule, bool shortPosition);

}  // namespace strategy_labels

}  // namespace tav
