#include <gtest/gtest.h>

#include "core/text.h"
#include "simulation/strategy_file.h"
#include "simulation_fixture.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "workspace/workspace.h"

namespace tav {
namespace {

class DisplayRun : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeFile(temp / "Stock.lst",
                        text::sjisFromUtf8("7203,トヨタ自動車,東証1部,100,-\n"));
        test::writeFile(temp / "url.lst", "");
        workspace.initProgramFolder();
        std::string file;
        for (const DailyBar& bar : test::candles("---u-d-u"))
            file += std::string(bar.dateText()) + "," + std::to_string(bar.open) + "," +
                    std::to_string(bar.high) + "," + std::to_string(bar.low) + "," +
                    std::to_string(bar.close) + ",1000\n";
        test::writeFile(temp / "Data/7203.txt", file);
        Strategy strategy;
        strategy.tactics.emplace_back().name = "A";  // a nameless tactic would not be read
        test::addRow(strategy.tactics[0].buy, test::rising());
        test::addRow(strategy.tactics[0].sell, test::falling());
        saveStrategy(temp.str(), 1, strategy);
    }
    void show(StrategyRun run = StrategyRun::Selected) {
        workspace.loadStoredSeries(7203);
        workspace.seriesChanged(run);
    }
    const DailyBar& bar(int index) const {
        return workspace.series().bars[static_cast<std::size_t>(index)];
    }
    test::TempFolder temp;
    test::TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
};

TEST_F(DisplayRun, TheRecomputePassRunsTheSelectedStrategy) {
    show();
    EXPECT_FALSE(workspace.strategyDisplay.results.available);
    EXPECT_EQ(bar(3).tradeMark, kMarkNone);

    workspace.options().selectedStrategy = 1;
    workspace.options().defaultFill = 1;
    show();
    ASSERT_TRUE(workspace.strategyDisplay.results.available);
    EXPECT_EQ(bar(3).tradeMark, kMarkLongEntry);
    // The trading unit of the master list: 100 shares a unit.
    EXPECT_EQ(bar(3).tradeUnits, 1000000 / (1010 * 100));
    EXPECT_EQ(bar(5).tradeMark, kMarkLongExit);
    EXPECT_EQ(workspace.strategyDisplay.results.result.bars, 5);
    EXPECT_EQ(workspace.strategyDisplay.results.result.position, 1);

    // Not when the recompute is told to skip it.
    show(StrategyRun::None);
    EXPECT_EQ(bar(3).tradeMark, kMarkNone);

    // Without its rule file nothing runs and no result block is left.
    workspace.options().selectedStrategy = 2;
    show();
    EXPECT_FALSE(workspace.strategyDisplay.results.available);
    EXPECT_EQ(bar(3).tradeMark, kMarkNone);
}

TEST_F(DisplayRun, TheChartViewSetsTheWindow) {
    workspace.options().defaultFill = 1;
    workspace.options().selectedStrategy = 1;
    workspace.strategyDisplay.view = ChartView{6, 2, -1};
    show();
    // Bars 5 and 6 only: the sale on bar 5 has nothing to close.
    EXPECT_EQ(bar(3).tradeMark, kMarkNone);
    EXPECT_EQ(bar(5).tradeMark, kMarkNone);
    EXPECT_EQ(workspace.strategyDisplay.results.result.bars, 2);
    EXPECT_EQ(workspace.strategyDisplay.results.result.trades, 0);
}

}  // namespace
}  // namespace tav
