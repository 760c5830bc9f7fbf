#include "conditions/condition_text.h"

#include <array>
#include <initializer_list>
#include <string_view>

namespace tav {

namespace {

using std::string_view_literals::operator""sv;

// Fills a phrase format: "%d" and "%+d" take the next number, "%s" the text,
// "%%" is a percent sign. A lone "%" at the end of a format prints nothing.
std::string fill(std::string_view format, std::initializer_list<int> numbers,
                 std::string_view text = {}) {
    std::string out;
    const int* next = numbers.begin();
    auto take = [&]() { return next != numbers.end() ? *next++ : 0; };
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] != '%') {
            out += format[i];
            continue;
        }
        const std::string_view rest = format.substr(i + 1);
        if (rest.starts_with("%")) {
            out += '%';
            i += 1;
        } else if (rest.starts_with("+d")) {
            const int value = take();
            if (value >= 0) out += '+';
            out += std::to_string(value);
            i += 2;
        } else if (rest.starts_with("d")) {
            out += std::to_string(take());
            i += 1;
        } else if (rest.starts_with("s")) {
            out += text;
            i += 1;
        } else if (!rest.empty()) {
            out += '%';
        }
    }
    return out;
}

std::string_view pick(std::span<const std::string_view> phrases, int code) {
    return code >= 0 && code < static_cast<int>(phrases.size())
               ? phrases[static_cast<std::size_t>(code)]
               : std::string_view();
}

constexpr std::array kDays = {"本日の"sv, "昨日の"sv, "一昨日の"sv};
constexpr std::array kCandleDays = {"本日が"sv, "昨日が"sv, "一昨日が"sv};

constexpr std::array kActions = {"を上抜け"sv, "を下抜け"sv,   "以上"sv,
                                 "以下"sv,     "より大きい"sv, "より小さい"sv};

// Category 0.
constexpr std::array kPriceItems = {
    "終値が"sv,    "高値が"sv,    "安値が"sv,    "始値が"sv,    "指値－"sv,
    "出来高が"sv,  "RSI長期が"sv, "RSI中期が"sv, "RSI短期が"sv, "RCI長期が"sv,
    "RCI中期が"sv, "RCI短期が"sv, "波動線が"sv,
};
// Targets 0 to 6 take (n, m, L).
constexpr std::array kDaysBackTargets = {
    "%d日前の終値%+d%%%+d呼値"sv,   "%d日前の高値%+d%%%+d呼値"sv, "%d日前の安値%+d%%%+d呼値"sv,
    "%d日前の始値%+d%%%+d呼値"sv,   "%d日間の高値%+d%%%+d呼値"sv, "%d日間の安値%+d%%%+d呼値"sv,
    "%d日前の中間値%+d%%%+d呼値"sv,
};
// Targets 7 to 38: the separator as it is, the bands with (line, m, L), the
// others with (m, L).
constexpr std::array kOtherTargets = {
    "-------"sv,
    "仕掛値%+d%%%+d呼値"sv,
    "仕掛値平均%+d%%%+d呼値"sv,
    "仕掛日からの高値%+d%%%+d呼値"sv,
    "仕掛日からの安値%+d%%%+d呼値"sv,
    "ピボット－ＨＢＯＰ%+d%%%+d呼値"sv,
    "ピボット－ＬＢＯＰ%+d%%%+d呼値"sv,
    "ピボット－Ｓ１%+d%% %+d呼値"sv,
    "ピボット－Ｓ２%+d%%%+d呼値"sv,
    "ピボット－Ｂ１%+d%%%+d呼値"sv,
    "ピボット－Ｂ２%+d%%%+d呼値"sv,
    "長期ＭＡ線%+d%%%+d呼値"sv,
    "中期ＭＡ線%+d%%%+d呼値"sv,
    "短期ＭＡ線%+d%%%+d呼値"sv,
    "一目基準線%+d%%%+d呼値"sv,
    "一目転換線%+d%%%+d呼値"sv,
    "ボリンジャーバンド[%+d線]%+d%%%+d呼値"sv,
    "エンベロープ[%+d線]%+d%%%+d呼値"sv,
    "ＨＬバンド高値線%+d%%%+d呼値"sv,
    "ＨＬバンド安値線%+d%%%+d呼値"sv,
    "ＭＡバンド抵抗線%+d%%%+d呼値"sv,
    "ＭＡバンド支持線%+d%%%+d呼値"sv,
    "上昇ﾊﾟﾗﾎﾞﾘｯｸ抵抗線%+d%%%+d呼値"sv,
    "下降ﾊﾟﾗﾎﾞﾘｯｸ支持線%+d%%%+d呼値"sv,
    "一目均衡表・雲上限%+d%%%+d呼値"sv,
    "一目均衡表・雲下限%+d%%%+d呼値"sv,
    "ピボットポイント%+d%%%+d呼値"sv,
    "ﾊﾟﾗﾎﾞﾘｯｸ中央線%+d%%%+d呼値"sv,
    "上昇ﾊﾟﾗﾎﾞﾘｯｸ支持線%+d%%%+d呼値"sv,
    "下降ﾊﾟﾗﾎﾞﾘｯｸ抵抗線%+d%%%+d呼値"sv,
    "ＨＬバンド中央線%+d%%%+d呼値"sv,
    "波動線%+d%%%+d呼値"sv,
};
constexpr int kFirstOtherTarget = 7;
static_assert(kFirstOtherTarget + kOtherTargets.size() == 39);
constexpr std::array kVolumeTargets = {"%d日前の出来高%+d%%%"sv, "%d日間の平均出来高%+d%%%"sv};
constexpr std::string_view kValueTarget = "%d日前の値%+d%%%";

// Category 1.
constexpr std::array kIndicatorItems = {
    "出来高が"sv,
    "一目均衡表転換線が"sv,
    "短期移動平均線が"sv,
    "中期移動平均線が"sv,
    "ﾎﾞﾘﾝｼﾞｬｰﾊﾞﾝﾄﾞ[±3線]が"sv,
    "短期出来高ＭＡ線が"sv,
    "ＤＭＩ＋ＤＩが"sv,
    "ＤＭＩ－ＤＩが"sv,
    "曜日が[%s曜日]"sv,
    "長・中・短ＭＡ線が"sv,
    "値幅が"sv,
    "ＨＬバンド中央線が"sv,
};
constexpr int kWeekdayItem = 8;
constexpr int kConvergenceItem = 9;
constexpr std::array kWeekdayLetters = {"日"sv, "月"sv, "火"sv, "水"sv, "木"sv, "金"sv, "土"sv};
constexpr std::array kWeekdayActions = {"である"sv, "でない"sv};
// Target phrases of category 1 by item: the one for p1 0, and the one for any
// other p1 (the same when the item has a single target). All take n.
struct TargetPair {
    std::string_view first;
    std::string_view other;
};
constexpr std::array<TargetPair, 12> kIndicatorTargets = {{
    {"出来高目安線", "期間出来高平均[%d倍]"},
    {"一目均衡表基準線", "一目均衡表基準線"},
    {"長期移動平均線", "中期移動平均線"},
    {"長期移動平均線", "短期移動平均線"},
    {"中期ＭＡ線[±%d]%%枠", "中期ＭＡ線[±%d]%%枠"},
    {"長期出来高ＭＡ線", "長期出来高ＭＡ線"},
    {"ＤＭＩ－ＤＩ", "ＤＭＩ（ＡＤＸ）"},
    {"ＤＭＩ＋ＤＩ", "ＤＭＩ（ＡＤＸ）"},
    {"", ""},
    {"%d%%以内", "%d%%以内"},
    {"[%d]日間の最大値幅", "[%d]日間の最小値幅"},
    {"波動線", "波動線"},
}};

// Category 2.
constexpr std::array kValueItems = {
    "手仕舞日から"sv,       "仕掛日から"sv,      "ＲＳＩが"sv,
    "ＲＣＩが"sv,           "ｳｨﾘｱﾑｽﾞ%Rが"sv,     "ＲＯＣが"sv,
    "勢力指数が"sv,         "ＭＡＣＤﾗｲﾝが"sv,   "ＭＡＣＤﾍｸｻｸﾞﾗﾑが"sv,
    "ＤＭＩ（ＡＤＸ）が"sv, "ｻｲｺﾛ勝数が"sv,      "長・短乖離率が"sv,
    "中・短乖離率が"sv,     "ＶＲが"sv,          "和光ＶＲが"sv,
    "ＰＶＲが"sv,           "ＶＬ－ＲＳＩが"sv,  "STC FastがSlowを"sv,
    "MACDﾗｲﾝがｼｸﾞﾅﾙを"sv,   "RSI短期が長期を"sv, "RSI短期が中期を"sv,
    "RSI中期が長期を"sv,    "RCI短期が長期を"sv, "RCI短期が中期を"sv,
    "RCI中期が長期を"sv,    "STC Fastが"sv,      "STC Slowが"sv,
    "RSI長期が"sv,          "RSI中期が"sv,       "RSI短期が"sv,
    "RCI長期が"sv,          "RCI中期が"sv,       "RCI短期が"sv,
};
constexpr std::array kComparisons = {
    "[%d]を上抜け"sv,       "[%d]を下抜け"sv,   "[%d]以上"sv,
    "[%d]以下"sv,           "[%d]より大きい"sv, "[%d]より小さい"sv,
    "[%d]から[%d]の範囲"sv, "%d以上で陰転"sv,   "%d以下で陽転"sv,
};
constexpr std::string_view kElapsed = "[%d]日経過";
constexpr std::array kCrossings = {"%d以上でクロス"sv, "%d以下でクロス"sv};

// Category 3, with n.
constexpr std::array kCandleItems = {
    "陽線"sv,
    "陰線"sv,
    "[%d%%]陽線"sv,
    "[%d%%]陰線"sv,
    "陽の丸坊主[%d%%]高安差"sv,
    "陰の丸坊主[%d%%]高安差"sv,
    "陽の大引坊主[%d%%]高安差"sv,
    "陰の大引坊主[%d%%]高安差"sv,
    "陽の寄付坊主[%d%%]高安差"sv,
    "陰の寄付坊主[%d%%]高安差"sv,
    "寄引同事線[%d%%]高安差"sv,
    "寄引同事線（上寄）[%d%%]高安差"sv,
    "寄引同事線（下寄）[%d%%]高安差"sv,
    "つつみ陽線"sv,
    "つつみ陰線"sv,
    "はらみ陽線"sv,
    "はらみ陰線"sv,
    "はらみ寄せ線（前日陰線）"sv,
    "はらみ寄せ線（前日陽線）"sv,
    "インサイドディ（ＩＤ）"sv,
    "アウトサイドディ（ＯＤ）"sv,
    "値幅縮小日[%d%%]差(CRD)"sv,
    "ギャップアップ[%d%%]差"sv,
    "ギャップダウン[%d%%]差"sv,
    "上星[%d%%]前日高安差"sv,
    "下星[%d%%]前日高安差"sv,
    "空踏み上げ[%d日]"sv,
    "空叩き込み[%d日]"sv,
    "連続陽線[%d日]"sv,
    "連続陰線[%d日]"sv,
};

// Category 4.
constexpr std::array kMovementItems = {
    "ＲＳＩが"sv,
    "ＲＣＩが"sv,
    "ｳｨﾘｱﾑｽﾞ%Rが"sv,
    "ＲＯＣが"sv,
    "勢力指数が"sv,
    "一目均衡表転換線が"sv,
    "一目均衡表基準線が"sv,
    "長期移動平均線が"sv,
    "中期移動平均線が"sv,
    "短期移動平均線が"sv,
    "長期出来高移動平均線が"sv,
    "短期出来高移動平均線が"sv,
    "ﾊﾟﾗﾎﾞﾘｯｸが"sv,
    "ＭＡＣＤラインが"sv,
    "ＭＡＣＤシグナルが"sv,
    "ＭＡＣＤヘキサグラムが"sv,
    "ＤＭＩ　ＡＤＸが"sv,
    "長・短移動平均線乖離率が"sv,
    "中・短移動平均線乖離率が"sv,
    "ＶＲが"sv,
    "和光ＶＲが"sv,
    "ＰＶＲが"sv,
    "ＶＬ－ＲＳＩが"sv,
    "ｽﾄｷｬｽﾃｨｸｽ-Fastが"sv,
    "ｽﾄｷｬｽﾃｨｸｽ-Slowが"sv,
    "長期ＲＳＩが"sv,
    "中期ＲＳＩが"sv,
    "短期ＲＳＩが"sv,
    "長期ＲＣＩが"sv,
    "中期ＲＣＩが"sv,
    "短期ＲＣＩが"sv,
    "ＨＬバンド高値線が"sv,
    "ＨＬバンド安値線が"sv,
    "ＨＬバンド中央線が"sv,
    "波動線が"sv,
};
constexpr std::array kStates = {
    "上昇中"sv,   "下降中"sv,   "上昇転換"sv,       "下降転換"sv,
    "前日以上"sv, "前日以下"sv, "前日より大きい"sv, "前日より小さい"sv,
};
constexpr int kParabolicItem = 12;
constexpr int kParabolicStates = 4;

// The item, target and action phrases of one row.
struct Phrases {
    std::string item;
    std::string target;
    std::string action;
};

Phrases priceComparison(const Condition& c) {
    Phrases out;
    out.item = pick(kPriceItems, c.item);
    const int n = c.p3;
    const int m = c.percent;
    if (c.item >= 0 && c.item <= 4) {
        if (c.p1 >= 0 && c.p1 < kFirstOtherTarget) {
            out.target = fill(pick(kDaysBackTargets, c.p1), {n, m, c.ticks});
        } else if (c.p1 == 23 || c.p1 == 24) {
            out.target = fill(pick(kOtherTargets, c.p1 - kFirstOtherTarget), {c.p3, m, c.ticks});
        } else {
            out.target = fill(pick(kOtherTargets, c.p1 - kFirstOtherTarget), {m, c.ticks});
        }
    } else if (c.item == 5) {
        out.target = fill(pick(kVolumeTargets, c.p1), {n, m});
    } else if (c.item > 5 && c.item < static_cast<int>(kPriceItems.size())) {
        out.target = fill(kValueTarget, {n, m});
    }
    if (c.item == 4) {
        out.action = "が成立(HIT!)";
    } else {
        out.action = pick(kActions, c.p2);
    }
    return out;
}

Phrases indicatorComparison(const Condition& c) {
    Phrases out;
    if (c.item == kWeekdayItem) {
        out.item = fill(pick(kIndicatorItems, c.item), {}, pick(kWeekdayLetters, c.p1));
        out.action = pick(kWeekdayActions, c.p2);
        return out;
    }
    out.item = pick(kIndicatorItems, c.item);
    if (c.item >= 0 && c.item < static_cast<int>(kIndicatorTargets.size())) {
        const TargetPair& pair = kIndicatorTargets[static_cast<std::size_t>(c.item)];
        out.target = fill(c.p1 == 0 ? pair.first : pair.other, {c.p3});
    }
    out.action = c.item == kConvergenceItem ? "に収斂" : std::string(pick(kActions, c.p2));
    return out;
}

Phrases valueComparison(const Condition& c) {
    Phrases out;
    out.item = pick(kValueItems, c.item);
    if (c.item == 0 || c.item == 1) {
        out.action = fill(kElapsed, {c.p1});
    } else if (c.item >= 17 && c.item <= 24) {
        out.action = fill(kCrossings[c.p2 == 0 ? 0 : 1], {c.p1});
    } else {
        out.action = fill(pick(kComparisons, c.p2), {c.p1, c.p3});
    }
    return out;
}

Phrases indicatorMovement(const Condition& c) {
    Phrases out;
    out.item = pick(kMovementItems, c.item);
    std::span<const std::string_view> states = kStates;
    if (c.item == kParabolicItem) states = states.first(kParabolicStates);
    out.action = pick(states, c.p1);
    return out;
}

std::string dayPhrase(const Condition& c) {
    const bool candle = c.category == kCandleShape;
    if (c.dayOffset >= 0 && c.dayOffset < static_cast<int>(kDays.size()))
        return std::string(candle ? kCandleDays[static_cast<std::size_t>(c.dayOffset)]
                                  : kDays[static_cast<std::size_t>(c.dayOffset)]);
    return fill(candle ? "%d日前が" : "%d日前の", {c.dayOffset});
}

std::string_view rolePrefix(int16_t role, ConditionContext context) {
    if (role == kRoleFilter) return "フィルタ＞ ";
    if (context == ConditionContext::Capsule) return role == kRoleCapsuleDisabled ? "無効＞ " : "";
    if (role == kRoleTrigger) return "トリガー＞ ";
    if (role == kRoleStrategyDisabled) return "無効＞ ";
    return "";
}

}  // namespace

std::string conditionText(const Condition& condition, ConditionContext context,
                          std::span<const std::string> capsuleTitles) {
    Phrases phrases;
    switch (condition.category) {
        case kPriceComparison:
            phrases = priceComparison(condition);
            break;
        case kIndicatorComparison:
            phrases = indicatorComparison(condition);
            break;
        case kValueComparison:
            phrases = valueComparison(condition);
            break;
        case kCandleShape:
            phrases.item = fill(pick(kCandleItems, condition.item), {condition.p1});
            break;
        case kIndicatorMovement:
            phrases = indicatorMovement(condition);
            break;
        case kCapsuleReference:
            if (condition.item >= 0 && condition.item < static_cast<int>(capsuleTitles.size()))
                phrases.item = capsuleTitles[static_cast<std::size_t>(condition.item)];
            break;
        default:
            break;
    }
    std::string out(rolePrefix(condition.role, context));
    out += dayPhrase(condition);
    out += phrases.item;
    out += phrases.target;
    out += phrases.action;
    return out;
}

}  // namespace tav
