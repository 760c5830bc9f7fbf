#include <gtest/gtest.h>

#include <set>

#include "conditions/capsule_file.h"
#include "screening/multi_run.h"
#include "screening/screening_run.h"
#include "simulation/simulation_report.h"
#include "support/generated_market.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "workspace/screening.h"

namespace tav {
namespace {

class GeneratedMarketRuns : public ::testing::Test {
protected:
    void SetUp() override {
        test::GeneratedMarket{240, 320, 7}.writeTo(temp.str());
        workspace.loadSettings(std::nullopt);
    }
    ScreeningSettings capsuleSearch() const {
        ScreeningSettings s;
        s.searchItem = kSearchCapsule;
        s.capsule = 0;
        s.output = 1;
        return s;
    }
    MultiRunSettings backTest(int kind) const {
        MultiRunSettings s;
        s.rankingKind = kind;
        s.rankingLength = kMaxRankingLength;
        return s;
    }

    test::TempFolder temp;
    test::TestPlatform platform;
    Workspace workspace{ProgramFolder(temp.str()), platform.platform()};
};

TEST_F(GeneratedMarketRuns, AnyNumberOfThreadsGivesTheSameBytes) {
    ScreeningSettings byItem;
    byItem.searchItem = 17;
    byItem.value = 60;
    byItem.filters.liquidity = kLiquidityAverage;
    byItem.filters.liquidityMultiple = 1;
    byItem.output = 1;
    for (const ScreeningSettings& settings : {capsuleSearch(), byItem}) {
        std::optional<ScreeningOutcome> first;
        for (int threads : {1, 2, 5}) {
            auto job = prepareScreening(workspace, settings, threads);
            ASSERT_TRUE(job);
            RunControl control;
            auto outcome = runScreening(*job, control);
            ASSERT_TRUE(outcome);
            if (!first) {
                first = outcome;
                EXPECT_GT(first->selected.size(), 0u);
                EXPECT_LT(first->selected.size(), 240u);
                continue;
            }
            EXPECT_EQ(outcome->selected, first->selected) << threads;
            EXPECT_EQ(outcome->counts, first->counts) << threads;
        }
    }
    for (int kind : {kRankByProfit, kRankByWinRate}) {
        std::string firstReport;
        for (int threads : {1, 3}) {
            auto job = prepareMultiRun(workspace, backTest(kind), threads);
            ASSERT_TRUE(job);
            RunControl control;
            auto outcome = runMultiSimulation(*job, control);
            ASSERT_TRUE(outcome);
            const std::string report = formatReport(job->strategyName, 1000000, outcome->rows);
            if (threads == 1) firstReport = report;
            EXPECT_EQ(report, firstReport) << threads;
        }
    }
}

// The runs read each security exactly as showing it does.
TEST_F(GeneratedMarketRuns, RunsAgreeWithTheSecurityOnDisplay) {
    auto screening = prepareScreening(workspace, capsuleSearch(), 2);
    auto backtest = prepareMultiRun(workspace, backTest(kRankByProfit), 2);
    ASSERT_TRUE(screening && backtest);
    RunControl control;
    const auto selected = runScreening(*screening, control);
    const auto ranked = runMultiSimulation(*backtest, control);
    ASSERT_TRUE(selected && ranked);
    // Lines whose unit field is "-" are left out of both runs.
    ASSERT_GT(ranked->rows.size(), 150u);
    ASSERT_LT(ranked->rows.size(), 240u);
    std::set<StockCode> selectedCodes;
    for (const std::string& line : selected->selected) selectedCodes.insert(std::stoi(line));

    const ConditionCapsule capsule = readCapsuleFile(workspace.folder().path(capsuleFileName(0)));
    int trading = 0;
    for (const ResultRow& row : ranked->rows) {
        ASSERT_TRUE(workspace.loadStoredSeries(row.code));
        workspace.seriesChanged(StrategyRun::None);
        workspace.evaluation = EvaluationContext{};
        workspace.evaluation.evaluationBar = workspace.series().count() - 1;
        EXPECT_EQ(workspace.evaluateCapsule(capsule), selectedCodes.contains(row.code)) << row.code;

        workspace.strategyDisplay.view = ChartView{};
        ASSERT_TRUE(workspace.runStrategyDisplay(1));
        ResultRow shown = ResultRow::from(workspace.strategyDisplay.results.result);
        EXPECT_EQ(resultCells(shown, 1000000)[5], resultCells(row, 1000000)[5]) << row.code;
        EXPECT_EQ(shown.trades, row.trades) << row.code;
        EXPECT_EQ(shown.wins, row.wins) << row.code;
        EXPECT_EQ(shown.maxLoss, row.maxLoss) << row.code;
        EXPECT_EQ(row.name, workspace.security().name);
        trading += row.trades > 0;
    }
    EXPECT_GT(trading, 150);
}

TEST_F(GeneratedMarketRuns, TheDisplayedSecurityIsNeverTouched) {
    ASSERT_TRUE(workspace.loadStoredSeries(2003));
    workspace.seriesChanged();
    workspace.series().cursor = 17;
    const LoadedSecurity before = workspace.loaded();
    auto job = prepareScreening(workspace, capsuleSearch(), 2);
    auto backtest = prepareMultiRun(workspace, backTest(kRankByWinRate), 2);
    ASSERT_TRUE(job && backtest);
    RunControl control;
    ASSERT_TRUE(finishScreening(workspace, *job, runScreening(*job, control)));
    const auto ranked = runMultiSimulation(*backtest, control);
    ASSERT_TRUE(ranked);
    ASSERT_TRUE(storeRanking(workspace, 1, ranked->rows));
    EXPECT_EQ(workspace.series().code, before.series.code);
    EXPECT_EQ(workspace.series().cursor, 17);
    EXPECT_EQ(workspace.series().bars.size(), before.series.bars.size());
    EXPECT_EQ(workspace.loaded().analysis.values.volumeGuide, before.analysis.values.volumeGuide);
    EXPECT_EQ(workspace.watchlists().displayedWatchlist(), 1);
    EXPECT_EQ(workspace.watchlists().entries().size(), ranked->rows.size());
}

}  // namespace
}  // namespace tav
