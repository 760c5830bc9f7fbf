// The recompute pass as a whole, the tick rules and the Workspace's part.
#include <gtest/gtest.h>

#include <cstring>

#include "analysis/recompute.h"
#include "analysis/tick.h"
#include "bar_builders.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "workspace/workspace.h"

namespace tav {
namespace {

AnalysisSettings dailyDefaults() {
    return AnalysisSettings::from(AnalysisParameters::defaults(), PeriodMode::Daily, {});
}

TEST(RecomputePass, SeriesWideValues) {
    AnalysisState state;
    std::vector<DailyBar> none;
    recomputeIndicators(none, dailyDefaults(), state);
    EXPECT_EQ(state.values.meanClose, 1);
    EXPECT_EQ(state.values.meanVolume, 1);
    EXPECT_EQ(state.values.volumeGuide, 1);

    auto zeroCloses = test::barsFromCloses({0, 0, 0}, 500);
    recomputeIndicators(zeroCloses, dailyDefaults(), state);
    EXPECT_EQ(state.values.meanClose, 1);
    EXPECT_EQ(state.values.volumeGuide, 1);

    // Volume over the bars with a close, and a guide that passes 32 bits.
    auto bars = test::barsFromCloses({100, 0, 300}, 1'500'000'000);
    recomputeIndicators(bars, dailyDefaults(), state);
    EXPECT_EQ(state.values.meanClose, 200);
    EXPECT_EQ(state.values.meanVolume, 2'250'000'000);
    EXPECT_EQ(state.values.volumeGuide, 6'750'000'000);
    EXPECT_EQ(bars[1].change, -100);
    EXPECT_EQ(bars[2].change, 300);
    EXPECT_EQ(bars[0].change, 0);
}

TEST(RecomputePass, PeriodSwitchAndBack) {
    std::vector<DailyBar> daily = test::flatBars(120, 1000);
    for (int i = 0; i < 120; ++i)
        daily[i].close = daily[i].high = 1000 + (i * 37) % 101;
    AnalysisParameters parameters = AnalysisParameters::defaults();
    parameters.setChart(ChartParam::maShortPeriod, PeriodMode::Weekly, 3);
    parameters.setIndicator(IndicatorParam::rsiPeriod, PeriodMode::Weekly, 9);
    AnalysisState state;
    std::vector<DailyBar> bars = daily;
    recomputeIndicators(bars, AnalysisSettings::from(parameters, PeriodMode::Daily, {}), state);
    const std::vector<DailyBar> first = bars;
    recomputeIndicators(bars, AnalysisSettings::from(parameters, PeriodMode::Weekly, {}), state);
    int maChanges = 0;
    int rsiChanges = 0;
    for (std::size_t i = 0; i < bars.size(); ++i) {
        maChanges += bars[i].maShort != first[i].maShort;
        rsiChanges += bars[i].rsi != first[i].rsi;
    }
    EXPECT_GT(maChanges, 100);
    EXPECT_GT(rsiChanges, 20);
    recomputeIndicators(bars, AnalysisSettings::from(parameters, PeriodMode::Daily, {}), state);
    EXPECT_EQ(std::memcmp(bars.data(), first.data(), bars.size() * sizeof(DailyBar)), 0);
}

TEST(RecomputePass, WaveLineOnlyWhenShown) {
    auto bars = test::flatBars(30, 700);
    AnalysisState state;
    recomputeIndicators(bars, dailyDefaults(), state);
    for (const DailyBar& bar : bars)
        EXPECT_EQ(bar.waveLine, 0);
    DisplaySwitches switches;
    switches.waveLineDays = 5;
    recomputeIndicators(
        bars, AnalysisSettings::from(AnalysisParameters::defaults(), PeriodMode::Daily, switches),
        state);
    EXPECT_EQ(bars[29].waveLine, 700);
}

TEST(Tick, SizesAndRounding) {
    EXPECT_EQ(tickSizeForClose(2000), 1);
    EXPECT_EQ(tickSizeForClose(2001), 5);
    EXPECT_EQ(tickSizeForClose(30000), 10);
    EXPECT_EQ(tickSizeForClose(50000), 50);
    EXPECT_EQ(tickSizeForClose(100000), 100);
    EXPECT_EQ(tickSizeForClose(1000000), 1000);
    EXPECT_EQ(tickSizeForClose(1000001), 10000);
    EXPECT_EQ(roundToTickForClose(1234, 1500), 1234);  // on a tick of 1: unchanged
    EXPECT_EQ(roundToTickForClose(2346, 2500), 2345);
    EXPECT_EQ(roundToTickForClose(2347, 2500), 2350);
    EXPECT_EQ(roundToTickForClose(2345, 25000), 2350);
    EXPECT_EQ(roundToTickForClose(2344, 25000), 2340);
    EXPECT_EQ(roundToTickForClose(2340, 25000), 2340);
}

TEST(RecomputePass, RangeAverageRoundsToTheTick) {
    auto bars = test::flatBars(12, 2500);
    for (int i = 1; i < 12; ++i)
        bars[i].high = 2500 + 20 + i;  // ranges 21 .. 31
    AnalysisState state;
    recomputeIndicators(bars, dailyDefaults(), state);
    EXPECT_EQ(bars[10].rangeAverage, 0);
    // Bar 11: ranges 22..31 sum 265, mean 26 -> tick 5 -> 25.
    EXPECT_EQ(bars[11].range, 31);
    EXPECT_EQ(bars[11].rangeAverage, 25);
}

TEST(WorkspaceAnalysis, SeriesChangedRecomputesWithTheCurrentPeriod) {
    test::TempFolder temp;
    test::TestPlatform tools;
    test::writeFile(temp / "Stock.lst", "");
    test::writeFile(temp / "url.lst", "");
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
    workspace.initProgramFolder();
    std::string daily;
    for (int i = 0; i < 40; ++i)
        daily += "202401" + std::to_string(10 + i) + ",100,110,90," + std::to_string(100 + i) +
                 ",5000\n";
    test::writeFile(temp / "Data/7203.txt", daily);
    ASSERT_TRUE(workspace.loadStoredSeries(7203));
    workspace.seriesChanged();
    const auto& bars = workspace.series().bars;
    EXPECT_EQ(bars[39].maShort, (134 + 135 + 136 + 137 + 138 + 139) / 6);
    EXPECT_EQ(workspace.analysis().values.meanClose, (100 + 139) / 2);
    EXPECT_EQ(workspace.tickSize(39), 1);
    EXPECT_EQ(workspace.roundToTick(2347, 39), 2347);
    EXPECT_EQ(workspace.tickSize(99), 1);  // outside the series: the smallest tick

    workspace.analysisParameters.setChart(ChartParam::maShortPeriod, PeriodMode::Daily, 2);
    workspace.recomputeIndicators();
    EXPECT_EQ(bars[39].maShort, (138 + 139) / 2);
}

}  // namespace
}  // namespace tav
