#include "conditions/condition_tables.h"

#include <array>

namespace tav::conditions {

namespace {

using std::string_view_literals::operator""sv;

constexpr std::array kCategories = {"株価と比較"sv, "指数と比較"sv, "数値と比較"sv,
                                    "足形・他"sv,   "指数単独"sv,   "条件ｶﾌﾟｾﾙ"sv};

constexpr std::array kCapsuleRoles = {"通常条件"sv, "フィルタ"sv, "無効"sv};
constexpr std::array kStrategyRoles = {"通常条件"sv, "フィルタ"sv, "トリガー"sv, "無効"sv};

// Category 0 "株価と比較".
constexpr std::array kPriceItems = {
    "終値"sv,    "高値"sv,    "安値"sv,    "始値"sv,    "指値"sv,    "出来高"sv, "RSI長期"sv,
    "RSI中期"sv, "RSI短期"sv, "RCI長期"sv, "RCI中期"sv, "RCI短期"sv, "波動線"sv,
};
constexpr std::array kPriceTargets = {
    "n日前の終値"sv,
    "n日前の高値"sv,
    "n日前の安値"sv,
    "n日前の始値"sv,
    "n日間の高値"sv,
    "n日間の安値"sv,
    "n日前の中間値"sv,
    "-------"sv,
    "仕掛値"sv,
    "仕掛値平均"sv,
    "仕掛日からの高値"sv,
    "仕掛日からの安値"sv,
    "ピボット－ＨＢＯＰ"sv,
    "ピボット－ＬＢＯＰ"sv,
    "ピボット－Ｓ１"sv,
    "ピボット－Ｓ２"sv,
    "ピボット－Ｂ１"sv,
    "ピボット－Ｂ２"sv,
    "長期ＭＡ線"sv,
    "中期ＭＡ線"sv,
    "短期ＭＡ線"sv,
    "一目基準線"sv,
    "一目転換線"sv,
    "ﾎﾞﾘﾝｼﾞｬｰﾊﾞﾝﾄﾞ[±n線]"sv,
    "エンベロープ[±n線]"sv,
    "ＨＬバンド高値線"sv,
    "ＨＬバンド安値線"sv,
    "ＭＡバンド抵抗線"sv,
    "ＭＡバンド支持線"sv,
    "上昇ﾊﾟﾗﾎﾞﾘｯｸ抵抗線"sv,
    "下降ﾊﾟﾗﾎﾞﾘｯｸ支持線"sv,
    "一目均衡表・雲上限"sv,
    "一目均衡表・雲下限"sv,
    "ピボットポイント"sv,
    "ﾊﾟﾗﾎﾞﾘｯｸ中央線"sv,
    "上昇ﾊﾟﾗﾎﾞﾘｯｸ支持線"sv,
    "下降ﾊﾟﾗﾎﾞﾘｯｸ抵抗線"sv,
    "ＨＬバンド中央線"sv,
    "波動線"sv,
};
static_assert(kPriceTargets.size() == 39);
constexpr std::array kVolumeTargets = {"n日前の出来高"sv, "n日間の平均出来高"sv};
constexpr std::array kValueTargets = {"n日前の値"sv};
constexpr std::array kLimitActions = {"成立(HIT!)"sv};
constexpr std::array kStandardActions = {"上抜け"sv, "下抜け"sv,     "以上"sv,
                                         "以下"sv,   "より大きい"sv, "より小さい"sv};

// Category 1 "指数と比較".
constexpr std::array kIndicatorItems = {
    "出来高"sv,
    "一目均衡表転換線"sv,
    "短期移動平均線"sv,
    "中期移動平均線"sv,
    "ﾎﾞﾘﾝｼﾞｬｰﾊﾞﾝﾄﾞ[±3線]"sv,
    "短期出来高ＭＡ線"sv,
    "ＤＭＩ＋ＤＩ"sv,
    "ＤＭＩ－ＤＩ"sv,
    "曜日"sv,
    "長・中・短期ＭＡ線"sv,
    "値幅"sv,
    "ＨＬバンド中央線"sv,
};
constexpr std::array kVolumeGuideTargets = {"出来高目安線"sv, "期間出来高平均[n倍]"sv};
constexpr std::array kKijunTargets = {"一目均衡表基準線"sv};
constexpr std::array kShortMaTargets = {"長期移動平均線"sv, "中期移動平均線"sv};
constexpr std::array kMidMaTargets = {"長期移動平均線"sv, "短期移動平均線"sv};
constexpr std::array kFrameTargets = {"中期ＭＡ線[±n]%枠"sv};
constexpr std::array kLongVolumeMaTargets = {"長期出来高ＭＡ線"sv};
constexpr std::array kPlusDiTargets = {"ＤＭＩ－ＤＩ"sv, "ＤＭＩ（ＡＤＸ）"sv};
constexpr std::array kMinusDiTargets = {"ＤＭＩ＋ＤＩ"sv, "ＤＭＩ（ＡＤＸ）"sv};
constexpr std::array kWeekdayTargets = {"日曜日"sv, "月曜日"sv, "火曜日"sv, "水曜日"sv,
                                        "木曜日"sv, "金曜日"sv, "土曜日"sv};
constexpr std::array kConvergenceTargets = {"ｎ％以内"sv};
constexpr std::array kRangeTargets = {"n日間の最大値幅"sv, "n日間の最小値幅"sv};
constexpr std::array kWaveLineTargets = {"波動線"sv};
constexpr std::array kWeekdayActions = {"である"sv, "でない"sv};
constexpr std::array kConvergenceActions = {"に収斂"sv};

constexpr std::array<Labels, 12> kIndicatorTargets = {
    kVolumeGuideTargets, kKijunTargets,        kShortMaTargets, kMidMaTargets,
    kFrameTargets,       kLongVolumeMaTargets, kPlusDiTargets,  kMinusDiTargets,
    kWeekdayTargets,     kConvergenceTargets,  kRangeTargets,   kWaveLineTargets,
};
static_assert(kIndicatorTargets.size() == kIndicatorItems.size());

// Category 2 "数値と比較".
constexpr std::array kValueItems = {
    "手仕舞日"sv,         "仕掛日"sv,
    "ＲＳＩ"sv,           "ＲＣＩ"sv,
    "ｳｨﾘｱﾑｽﾞ%R"sv,        "ＲＯＣ"sv,
    "勢力指数"sv,         "ＭＡＣＤライン"sv,
    "ＭＡＣＤﾍｸｻｸﾞﾗﾑ"sv,  "ＤＭＩ（ＡＤＸ）"sv,
    "ｻｲｺﾛ勝数"sv,         "長・短乖離率"sv,
    "中・短乖離率"sv,     "ＶＲ"sv,
    "和光ＶＲ"sv,         "ＰＶＲ"sv,
    "ＶＬ－ＲＳＩ"sv,     "STC FastがSlowを"sv,
    "MACDﾗｲﾝがｼｸﾞﾅﾙを"sv, "RSI短期が長期を"sv,
    "RSI短期が中期を"sv,  "RSI中期が長期を"sv,
    "RCI短期が長期を"sv,  "RCI短期が中期を"sv,
    "RCI中期が長期を"sv,  "STC Fast"sv,
    "STC Slow"sv,         "RSI長期"sv,
    "RSI中期"sv,          "RSI短期"sv,
    "RCI長期"sv,          "RCI中期"sv,
    "RCI短期"sv,
};
static_assert(kValueItems.size() == 33);
constexpr std::array kElapsedComparisons = {"経過"sv};
constexpr std::array kCrossComparisons = {"以上でクロス"sv, "以下でクロス"sv};
constexpr std::array kValueComparisons = {
    "上抜け"sv,     "下抜け"sv, "以上"sv,       "以下"sv,       "より大きい"sv,
    "より小さい"sv, "から"sv,   "以上で陰転"sv, "以下で陽転"sv,
};

// Category 3 "足形・他".
constexpr std::array kCandleItems = {
    "陽線"sv,
    "陰線"sv,
    "大陽線[n%]陽線"sv,
    "大陰線[n%]陰線"sv,
    "陽の丸坊主[n%]高安差"sv,
    "陰の丸坊主[n%]高安差"sv,
    "陽の大引坊主[n%]高安差"sv,
    "陰の大引坊主[n%]高安差"sv,
    "陽の寄付坊主[n%]高安差"sv,
    "陰の寄付坊主[n%]高安差"sv,
    "寄引同事線[n%]高安差"sv,
    "寄引同事線（上寄）[n%]高安差"sv,
    "寄引同事線（下寄）[n%]高安差"sv,
    "つつみ陽線"sv,
    "つつみ陰線"sv,
    "はらみ陽線"sv,
    "はらみ陰線"sv,
    "はらみ寄せ線（前日陰線）"sv,
    "はらみ寄せ線（前日陽線）"sv,
    "インサイドディ（ＩＤ）"sv,
    "アウトサイドディ（ＯＤ）"sv,
    "値幅縮小日[n%]差(CRD)"sv,
    "ギャップアップ[n%]差"sv,
    "ギャップダウン[n%]差"sv,
    "上星[n%]前日高安差"sv,
    "下星[n%]前日高安差"sv,
    "空踏み上げ[n日]"sv,
    "空叩き込み[n日]"sv,
    "連続陽線[n日]"sv,
    "連続陰線[n日]"sv,
};
static_assert(kCandleItems.size() == 30);

// Category 4 "指数単独".
constexpr std::array kMovementItems = {
    "ＲＳＩ"sv,           "ＲＣＩ"sv,           "ｳｨﾘｱﾑｽﾞ%R"sv,        "ＲＯＣ"sv,
    "勢力指数"sv,         "一目均衡表転換線"sv, "一目均衡表基準線"sv, "長期移動平均線"sv,
    "中期移動平均線"sv,   "短期移動平均線"sv,   "長期出来高ＭＡ線"sv, "短期出来高ＭＡ線"sv,
    "パラボリック"sv,     "ＭＡＣＤライン"sv,   "ＭＡＣＤシグナル"sv, "ＭＡＣＤヘキサグラム"sv,
    "ＤＭＩ　ＡＤＸ"sv,   "長・短乖離率"sv,     "中・短乖離率"sv,     "ＶＲ"sv,
    "和光ＶＲ"sv,         "ＰＶＲ"sv,           "ＶＬ－ＲＳＩ"sv,     "ｽﾄｷｬｽﾃｨｸｽ-Fast"sv,
    "ｽﾄｷｬｽﾃｨｸｽ-Slow"sv,   "長期ＲＳＩ"sv,       "中期ＲＳＩ"sv,       "短期ＲＳＩ"sv,
    "長期ＲＣＩ"sv,       "中期ＲＣＩ"sv,       "短期ＲＣＩ"sv,       "ＨＬバンド高値線"sv,
    "ＨＬバンド安値線"sv, "ＨＬバンド中央線"sv, "波動線"sv,
};
static_assert(kMovementItems.size() == 35);
constexpr int kParabolicItem = 12;
constexpr std::array kStates = {
    "上昇中"sv,   "下降中"sv,   "上昇転換"sv,       "下降転換"sv,
    "前日以上"sv, "前日以下"sv, "前日より大きい"sv, "前日より小さい"sv,
};
constexpr int kParabolicStates = 4;

constexpr std::array kLogic = {"OR条件<～か～>"sv, "AND条件<～かつ～>"sv};

}  // namespace

Labels categoryLabels() {
    return kCategories;
}

Labels roleLabels(ConditionContext context) {
    if (context == ConditionContext::Capsule) return kCapsuleRoles;
    return kStrategyRoles;
}

int roleListIndex(int16_t role) {
    return role == kRoleStrategyDisabled ? 3 : role;
}

int16_t roleFromListIndex(int index) {
    return index == 3 ? kRoleStrategyDisabled : static_cast<int16_t>(index);
}

Labels itemLabels(int category) {
    switch (category) {
        case kPriceComparison:
            return kPriceItems;
        case kIndicatorComparison:
            return kIndicatorItems;
        case kValueComparison:
            return kValueItems;
        case kCandleShape:
            return kCandleItems;
        case kIndicatorMovement:
            return kMovementItems;
        default:
            return {};
    }
}

Labels targetLabels(int category, int item) {
    if (category == kPriceComparison) {
        if (item >= 0 && item <= 4) return kPriceTargets;
        if (item == 5) return kVolumeTargets;
        if (listed(kPriceItems, item)) return kValueTargets;
        return {};
    }
    if (category == kIndicatorComparison && listed(kIndicatorItems, item))
        return kIndicatorTargets[static_cast<std::size_t>(item)];
    return {};
}

Labels actionLabels(int category, int item) {
    switch (category) {
        case kPriceComparison:
            if (item == 4) return kLimitActions;
            if (listed(kPriceItems, item)) return kStandardActions;
            return {};
        case kIndicatorComparison:
            if (item == 8) return kWeekdayActions;
            if (item == 9) return kConvergenceActions;
            if (listed(kIndicatorItems, item)) return kStandardActions;
            return {};
        case kValueComparison:
            if (item == 0 || item == 1) return kElapsedComparisons;
            if (item >= 17 && item <= 24) return kCrossComparisons;
            if (listed(kValueItems, item)) return kValueComparisons;
            return {};
        default:
            return {};
    }
}

Labels stateLabels(int item) {
    if (item == kParabolicItem) return Labels(kStates).first(kParabolicStates);
    if (listed(kMovementItems, item)) return kStates;
    return {};
}

std::string_view labelOf(Labels labels, int code) {
    return listed(labels, code) ? labels[static_cast<std::size_t>(code)] : std::string_view();
}

Labels logicLabels() {
    return kLogic;
}

bool indicatorComparisonTakesN(int item, int target) {
    return item == 4 || item == 9 || item == 10 || (item == 0 && target == 1);
}

bool candleShapeTakesN(int item) {
    return !(item == 0 || item == 1 || (item >= 13 && item <= 20));
}

bool valueComparisonTakesRange(int comparison) {
    return comparison == 6;
}

}  // namespace tav::conditions
