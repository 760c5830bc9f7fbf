#include "conditions/condition_text.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "conditions/condition_tables.h"

namespace tav {
namespace {

Condition row(int16_t category, int16_t role, int16_t day, int16_t item, int16_t p1 = 0,
              int16_t p2 = 0, int16_t p3 = 0, int16_t percent = 0, int16_t ticks = 0) {
    return Condition{category, role, day, item, p1, p2, p3, percent, ticks, 0};
}

std::string strategyText(const Condition& c) {
    return conditionText(c, ConditionContext::Strategy);
}

TEST(ConditionText, DocumentedSentences) {
    EXPECT_EQ(strategyText(row(0, 0, 0, 0, 0, 0, 5)), "本日の終値が5日前の終値+0%+0呼値を上抜け");
    EXPECT_EQ(strategyText(row(3, 0, 1, 28, 3)), "昨日が連続陽線[3日]");
    EXPECT_EQ(strategyText(row(2, 0, 0, 2, 30, 2)), "本日のＲＳＩが[30]以上");
    EXPECT_EQ(strategyText(row(1, 0, 0, 8, 5, 1)), "本日の曜日が[金曜日]でない");
    EXPECT_EQ(conditionText(row(0, 1, 0, 0), ConditionContext::Capsule),
              "フィルタ＞ 本日の終値が0日前の終値+0%+0呼値を上抜け");
    EXPECT_TRUE(strategyText(row(0, 255, 0, 0)).starts_with("無効＞ "));
}

TEST(ConditionText, RolePrefixesDependOnTheContext) {
    const Condition second = row(3, 2, 0, 0);
    EXPECT_EQ(conditionText(second, ConditionContext::Capsule), "無効＞ 本日が陽線");
    EXPECT_EQ(conditionText(second, ConditionContext::Strategy), "トリガー＞ 本日が陽線");
    EXPECT_EQ(conditionText(row(3, 255, 0, 0), ConditionContext::Capsule), "本日が陽線");
    EXPECT_EQ(conditionText(row(3, 7, 0, 0), ConditionContext::Strategy), "本日が陽線");
}

TEST(ConditionText, DaysSignsAndPercentSigns) {
    EXPECT_EQ(strategyText(row(4, 0, 2, 12, 3)), "一昨日のﾊﾟﾗﾎﾞﾘｯｸが下降転換");
    EXPECT_EQ(strategyText(row(4, 0, 7, 0, 0)), "7日前のＲＳＩが上昇中");
    EXPECT_EQ(strategyText(row(3, 0, 12, 2, 5)), "12日前が[5%]陽線");
    // The parabolic has four states only.
    EXPECT_EQ(strategyText(row(4, 0, 0, 12, 4)), "本日のﾊﾟﾗﾎﾞﾘｯｸが");
    EXPECT_EQ(strategyText(row(4, 0, 0, 13, 4)), "本日のＭＡＣＤラインが前日以上");
    // Signs always shown; the band line is signed too; S1 keeps its blank.
    EXPECT_EQ(strategyText(row(0, 0, 0, 4, 24, 0, -2, -5, 3)),
              "本日の指値－エンベロープ[-2線]-5%+3呼値が成立(HIT!)");
    EXPECT_EQ(strategyText(row(0, 0, 0, 1, 14, 3, 0, 2, -1)),
              "本日の高値がピボット－Ｓ１+2% -1呼値以下");
    EXPECT_EQ(strategyText(row(0, 0, 0, 0, 7, 2)), "本日の終値が-------以上");
    // Percent-only targets end at the percent sign.
    EXPECT_EQ(strategyText(row(0, 0, 0, 5, 1, 0, 5, 10)),
              "本日の出来高が5日間の平均出来高+10%を上抜け");
    EXPECT_EQ(strategyText(row(0, 0, 0, 9, 0, 5, 3, -20)),
              "本日のRCI長期が3日前の値-20%より小さい");
}

TEST(ConditionText, IndicatorAndValueComparisons) {
    EXPECT_EQ(strategyText(row(1, 0, 0, 0, 1, 0, 3)), "本日の出来高が期間出来高平均[3倍]を上抜け");
    EXPECT_EQ(strategyText(row(1, 0, 0, 4, 0, 4, 8)),
              "本日のﾎﾞﾘﾝｼﾞｬｰﾊﾞﾝﾄﾞ[±3線]が中期ＭＡ線[±8]%枠より大きい");
    EXPECT_EQ(strategyText(row(1, 0, 0, 9, 0, 3, 2)), "本日の長・中・短ＭＡ線が2%以内に収斂");
    EXPECT_EQ(strategyText(row(1, 0, 0, 10, 1, 1, 20)), "本日の値幅が[20]日間の最小値幅を下抜け");
    EXPECT_EQ(strategyText(row(2, 0, 0, 3, -50, 6, 50)), "本日のＲＣＩが[-50]から[50]の範囲");
    EXPECT_EQ(strategyText(row(2, 0, 0, 16, 70, 7)), "本日のＶＬ－ＲＳＩが70以上で陰転");
    EXPECT_EQ(strategyText(row(2, 0, 0, 1, 5, 0)), "本日の仕掛日から[5]日経過");
    EXPECT_EQ(strategyText(row(2, 0, 0, 19, 20, 1)), "本日のRSI短期が長期を20以下でクロス");
    EXPECT_EQ(strategyText(row(2, 0, 0, 4, 20, 9)), "本日のｳｨﾘｱﾑｽﾞ%Rが");
}

TEST(ConditionText, CapsuleRowsNameTheTitle) {
    const std::vector<std::string> titles = {"押し目", "ブレイク"};
    EXPECT_EQ(conditionText(row(5, 1, 0, 1), ConditionContext::Strategy, titles),
              "フィルタ＞ 本日のブレイク");
    EXPECT_EQ(conditionText(row(5, 0, 0, 2), ConditionContext::Strategy, titles), "本日の");
    EXPECT_EQ(conditionText(row(9, 0, 1, 0), ConditionContext::Strategy), "昨日の");
}

TEST(ConditionTables, ListsMatchTheCodes) {
    using namespace conditions;
    EXPECT_EQ(categoryLabels().size(), 6u);
    EXPECT_EQ(roleLabels(ConditionContext::Capsule).size(), 3u);
    EXPECT_EQ(roleLabels(ConditionContext::Strategy)[3], "無効");
    EXPECT_EQ(roleFromListIndex(roleListIndex(255)), 255);
    EXPECT_EQ(roleFromListIndex(2), 2);
    EXPECT_EQ(targetLabels(0, 4).size(), 39u);
    EXPECT_EQ(labelOf(targetLabels(0, 0), kSeparatorTarget), "-------");
    EXPECT_EQ(labelOf(targetLabels(0, 3), 38), "波動線");
    EXPECT_EQ(targetLabels(0, 5).size(), 2u);
    EXPECT_EQ(labelOf(targetLabels(0, 12), 0), "n日前の値");
    EXPECT_EQ(labelOf(actionLabels(0, 4), 0), "成立(HIT!)");
    EXPECT_EQ(actionLabels(0, 4).size(), 1u);
    EXPECT_EQ(labelOf(targetLabels(1, 8), 6), "土曜日");
    EXPECT_EQ(labelOf(actionLabels(1, 9), 0), "に収斂");
    EXPECT_EQ(actionLabels(2, 1).size(), 1u);
    EXPECT_EQ(actionLabels(2, 24).size(), 2u);
    EXPECT_EQ(labelOf(actionLabels(2, 25), 8), "以下で陽転");
    EXPECT_EQ(itemLabels(3).size(), 30u);
    EXPECT_EQ(labelOf(itemLabels(4), 16), "ＤＭＩ　ＡＤＸ");
    EXPECT_EQ(stateLabels(12).size(), 4u);
    EXPECT_EQ(stateLabels(11).size(), 8u);
    EXPECT_TRUE(itemLabels(5).empty());
    EXPECT_EQ(labelOf(itemLabels(2), 33), "");
    EXPECT_FALSE(candleShapeTakesN(20));
    EXPECT_TRUE(candleShapeTakesN(21));
    EXPECT_TRUE(indicatorComparisonTakesN(0, 1));
    EXPECT_FALSE(indicatorComparisonTakesN(0, 0));
}

}  // namespace
}  // namespace tav
