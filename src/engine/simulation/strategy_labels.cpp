#include <array>
#include <cstdio>

#include "simulation/strategy.h"

namespace tav::strategy_labels {

namespace {

constexpr std::array<std::string_view, kTradingModeCount> kModes = {
    "買い ⇒ 手仕舞（売り）", "カラ売り ⇒ 手仕舞（買戻し）", "ドテン売買（手仕舞＋新規）",
    "混合売買（買戦術＋売戦術）"};

constexpr std::array<std::string_view, kFillPriceCount> kFills = {
    "指定なし", "当日始値", "当日高値", "当日安値", "当日終値", "翌日始値", "翌日高値",
    "翌日安値", "翌日終値", "前日始値", "前日高値", "前日安値", "前日終値", "日計即日"};

constexpr std::array<std::string_view, kStopKindCount> kKinds = {"損切り", "利食い", "ﾄﾚｲﾘﾝｸﾞｽﾄｯﾌﾟ",
                                                                 "ﾀｲﾑｵｰﾊﾞｰ"};

constexpr std::array<std::string_view, 4> kSplits = {"なし", "定数法", "定率法", "定額法"};

constexpr std::array<std::string_view, 4> kFalling = {
    "仕掛値からの下落率(終値)", "仕掛値からの下落値幅(終値)", "仕掛値からの下落率(指値)",
    "仕掛値からの下落値幅(指値)"};
constexpr std::array<std::string_view, 4> kRising = {
    "仕掛値からの上昇率(終値)", "仕掛値からの上昇値幅(終値)", "仕掛値からの上昇率(指値)",
    "仕掛値からの上昇値幅(指値)"};
constexpr std::array<std::string_view, 4> kFromHigh = {
    "直近高値からの下落率(終値)", "直近高値からの下落値幅(終値)", "直近高値からの下落率(指値)",
    "直近高値からの下落値幅(指値)"};
constexpr std::array<std::string_view, 4> kFromLow = {
    "直近安値からの上昇率(終値)", "直近安値からの上昇値幅(終値)", "直近安値からの上昇率(指値)",
    "直近安値からの上昇値幅(指値)"};
constexpr std::array<std::string_view, 1> kElapsed = {"仕掛日からの経過日数"};

// Units of the split amount by method.
constexpr std::array<std::string_view, 4> kSplitUnits = {"", "単元", "％", "円"};

}  // namespace

Labels tradingModes() {
    return kModes;
}
Labels fillPrices() {
    return kFills;
}
Labels stopKinds() {
    return kKinds;
}
Labels splitMethods() {
    return kSplits;
}

Labels stopItems(int kind, bool shortPosition) {
    switch (kind) {
        case kStopLoss:
            return shortPosition ? Labels(kRising) : Labels(kFalling);
        case kStopProfit:
            return shortPosition ? Labels(kFalling) : Labels(kRising);
        case kStopTrailing:
            return shortPosition ? Labels(kFromLow) : Labels(kFromHigh);
        case kStopTimeOver:
            return kElapsed;
        default:
            return {};
    }
}

std::string_view stopValueUnit(int kind, int item) {
    if (kind == kStopTimeOver) return item == 0 ? "日" : "";
    if (kind < kStopLoss || kind > kStopTrailing || item < 0 || item > 3) return "";
    // Even items are rates, odd ones price ranges, in every price-based list.
    return item % 2 == 0 ? "％" : "円";
}

bool showsShortStops(uint8_t tradingMode, const Tactic& tactic) {
    return tradingMode == kModeShort || (tradingMode == kModeMixed && tactic.side == kSellTactic);
}

std::string defaultTacticName(uint8_t tradingMode, int number) {
    return (tradingMode == kModeMixed ? "買＞戦術" : "戦術") + std::to_string(number);
}

std::string displayName(uint8_t tradingMode, const Tactic& tactic) {
    std::string shown;
    if (tactic.disabled) shown += "無効＞";
    if (tradingMode == kModeMixed) shown += tactic.side == kSellTactic ? "売＞" : "買＞";
    return shown + tactic.name;
}

std::vector<std::string> splitSummary(const SplitSettings& split,
                                      std::span<const std::string> capsuleTitles) {
    if (split.method == kSplitNone || split.method >= kSplits.size()) return {"分割なし"};
    const std::string unit(kSplitUnits[split.method]);
    char amount[64];
    std::snprintf(amount, sizeof amount, "：[ %d ]", split.amount);
    char step[64];
    std::snprintf(step, sizeof step, "増減率：[ %+d ]", split.step);
    const std::string title =
        split.capsule < capsuleTitles.size() ? capsuleTitles[split.capsule] : std::string();
    return {std::string(kSplits[split.method]) + amount + unit, step + unit, "分割条件：" + title};
}

std::string stopRuleText(const Condition& rule, bool shortPosition) {
    const Labels items = stopItems(rule.category, shortPosition);
    if (items.empty() || rule.item < 0 || rule.item >= static_cast<int>(items.size())) return {};
    return std::string(kKinds[static_cast<std::size_t>(rule.category)]) + "：" +
           std::string(items[static_cast<std::size_t>(rule.item)]) + " " + std::to_string(rule.p1);
}

}  // namespace tav::strategy_labels
