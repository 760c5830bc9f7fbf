#include "research/optimization_report.h"

#include <gtest/gtest.h>

#include "support/generated_market.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "workspace/screening.h"

namespace tav {
namespace {

Strategy listedStrategy() {
    Strategy strategy;
    Tactic tactic;
    tactic.buy.conditions[0] = Condition{0, 0, 0, 0, 4, 0, 20, 0, 0, 0};  // price: n, %, ticks
    tactic.buy.conditions[1] = Condition{2, 0, 0, 2, 70, 0, 0, 0, 0, 0};  // value, range
    tactic.buy.count = 2;
    tactic.stop.conditions[0] = stopRule(kStopLoss, 0, 5);
    tactic.stop.count = 1;
    strategy.tactics.push_back(tactic);
    strategy.split = {kSplitPercent, 10, 2, 0};
    return strategy;
}

// Every listed number reads back through parseSweep at both ends of its
// range and is refused one past either end, by parseSweep and sweepOf alike:
// the dialog refuses exactly what the command refuses.
TEST(SweepableParameters, ListedNumbersAgreeWithParseSweep) {
    const Strategy strategy = listedStrategy();
    const auto list = sweepableParameters(strategy, {});
    ASSERT_EQ(list.size(), 7u + 1u + 2u + 40u);  // row fields with days, stop, split, analysis
    for (const SweepableParameter& p : list) {
        SCOPED_TRACE(p.name);
        std::string error, message;
        const IntegerField range = p.range;
        const auto ends =
            parseSweep(p.name + "=" + std::to_string(range.min) + "," + std::to_string(range.max),
                       strategy, error);
        ASSERT_TRUE(ends) << error;
        EXPECT_EQ(ends->address.kind, p.address.kind);
        EXPECT_EQ(ends->address.field, p.address.field);
        EXPECT_EQ(ends->address.analysis, p.address.analysis);
        if (range.min > INT32_MIN) {
            EXPECT_FALSE(parseSweep(p.name + "=" + std::to_string(range.min - 1), strategy, error));
            EXPECT_FALSE(sweepOf(p, range.min - 1, range.min, 1, message));
        }
        if (range.max < INT32_MAX) {
            EXPECT_FALSE(parseSweep(p.name + "=" + std::to_string(range.max + 1), strategy, error));
            EXPECT_FALSE(sweepOf(p, range.max, range.max + 1, 1, message));
        }
    }
    const struct {
        std::size_t index;
        const char* name;
        const char* label;
        int current;
    } pinned[] = {
        {0, "1.buy.1.n", "戦術1 買い 1行目 n", 20},
        {1, "1.buy.1.percent", "戦術1 買い 1行目 ±m%", 0},
        {4, "1.buy.2.value", "戦術1 買い 2行目 値", 70},
        {7, "1.stop.1.value", "戦術1 ストップ 1行目 値", 5},
        {8, "split.amount", "分割売買 一回の額", 10},
        {10 + 7, "maMidPeriod", "分析 株価移動平均（中）", 13},
        {10 + 18 + 7, "macdSignalPeriod", "分析 ＭＡＣＤ期間（ｼｸﾞﾅﾙ）", 9},
        {10 + 18, "rsiPeriod", "分析 ＲＳＩ期間", 6},
    };
    for (const auto& pin : pinned) {
        ASSERT_LT(pin.index, list.size());
        EXPECT_EQ(list[pin.index].name, pin.name);
        EXPECT_EQ(list[pin.index].label, pin.label);
        EXPECT_EQ(list[pin.index].current, pin.current);
    }
    // Without a split method the split numbers are not offered.
    Strategy plain = strategy;
    plain.split.method = kSplitNone;
    EXPECT_EQ(sweepableParameters(plain, {}).size(), list.size() - 2);
}

TEST(SweepableParameters, RangesRefusedWithTheReason) {
    const auto list = sweepableParameters(listedStrategy(), {});
    const SweepableParameter& n = list[0];  // 1.buy.1.n, from 0
    const struct {
        int from, to, step;
        const char* message;  // empty: accepted
        std::vector<int> values;
    } cases[] = {
        {10, 30, 10, "", {10, 20, 30}},
        {10, 31, 10, "", {10, 20, 30}},
        {5, 5, 1, "", {5}},
        {10, 30, 0, "「戦術1 買い 1行目 n」の刻みは 1 以上にしてください。", {}},
        {30, 10, 1, "「戦術1 買い 1行目 n」は開始を終了以下にしてください。", {}},
        {-1, 10, 1, "「戦術1 買い 1行目 n」は 0 から 32767 の範囲で指定してください。", {}},
    };
    for (const auto& c : cases) {
        std::string message;
        const auto sweep = sweepOf(n, c.from, c.to, c.step, message);
        EXPECT_EQ(message, c.message) << c.from << ".." << c.to << "/" << c.step;
        EXPECT_EQ(sweep.has_value(), std::string(c.message).empty());
        if (sweep) {
            EXPECT_EQ(sweep->values, c.values);
            EXPECT_EQ(sweep->name, "1.buy.1.n");
        }
    }
    std::string message;
    EXPECT_FALSE(sweepOf(list[8], 1, 2'000'000, 1, message));  // a share of 100 at most
    const SweepableParameter& wide = list[9];                  // split.step: any int
    EXPECT_FALSE(sweepOf(wide, 0, kMaxSweepValues, 1, message));
    EXPECT_NE(message.find("多すぎます"), std::string::npos);
    EXPECT_TRUE(sweepOf(wide, 0, kMaxSweepValues - 1, 1, message));
}

TEST(OptimizationReport, PboBlocksByTheDays) {
    const std::pair<int, int> cases[] = {{0, 0},  {39, 0},   {40, 2},   {60, 2},
                                         {80, 4}, {250, 12}, {320, 16}, {5000, 16}};
    for (const auto& [days, blocks] : cases)
        EXPECT_EQ(pboBlocksFor(days), blocks) << days;
}

// The report of a small grid: its ranking and checks are those of the
// research functions called one by one, and PBO by the days is computed.
TEST(OptimizationReport, WholeReportOfAGrid) {
    test::TempFolder temp;
    test::TestPlatform platform;
    test::GeneratedMarket{12, 400, 3}.writeTo(temp.str());
    Workspace workspace{ProgramFolder(temp.str()), platform.platform()};
    workspace.loadSettings(std::nullopt);
    auto prepared = prepareMultiRun(workspace, MultiRunSettings{}, 2);
    ASSERT_TRUE(prepared);
    ResearchJob job = researchJobOf(*prepared);
    job.strategy.tactics[0].buy.conditions[0] = Condition{2, 0, 0, 2, 30, 0, 0, 0, 0, 0};
    std::string error;
    for (const char* text : {"1.buy.1.value=20..50/10", "1.stop.1.value=2..8/2"}) {
        auto sweep = parseSweep(text, job.strategy, error);
        ASSERT_TRUE(sweep) << error;
        job.sweeps.push_back(*sweep);
    }
    OptimizationOptions options;
    options.objective = Objective::Sharpe;
    options.minTrades = 1;
    options.walkForward = {{6, 3, false}};
    options.pboBlocks = kPboBlocksByDays;
    RunControl control;
    const auto report = runOptimization(job, options, control);
    ASSERT_TRUE(report);
    ASSERT_EQ(report->data.points.size(), 16u);
    EXPECT_EQ(report->order, rankPoints(report->metrics, options.objective, 1));
    EXPECT_EQ(report->best, report->order.front());
    ASSERT_TRUE(report->pbo);
    // One logit per choice of half the blocks: C(S, S/2).
    const int blocks = pboBlocksFor(report->days());
    std::size_t choices = 1;
    for (int k = 1; k <= blocks / 2; ++k)
        choices = choices * static_cast<std::size_t>(blocks / 2 + k) / static_cast<std::size_t>(k);
    EXPECT_GT(blocks, 0);
    EXPECT_EQ(report->pbo->logits.size(), choices);
    EXPECT_FALSE(report->pboRefused);
    ASSERT_TRUE(report->walkForward);
    EXPECT_FALSE(report->walkForward->windows.empty());
    EXPECT_EQ(report->deflated.has_value(), report->bestQualifies);

    // A cancelled run has no report.
    RunControl cancelled;
    cancelled.cancel();
    EXPECT_FALSE(runOptimization(job, options, cancelled));
}

}  // namespace
}  // namespace tav
