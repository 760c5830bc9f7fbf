// Price-scale indicators, grouped by indicator.
#include <gtest/gtest.h>

#include "analysis/bands.h"
#include "analysis/indicators.h"
#include "bar_builders.h"

namespace tav {
namespace {

using namespace analysis;
using test::barsFromCloses;
using test::flatBars;

// ---- Moving averages ----

TEST(MovingAverage, ZeroCloseCountsAsThePreviousAndBarZeroNever) {
    auto bars = barsFromCloses({1000, 10, 0, 30});
    computeMovingAverage(bars, 3, &DailyBar::maShort);
    EXPECT_EQ(bars[0].maShort, 0);       // bar 0's close never enters
    EXPECT_EQ(bars[1].maShort, 10 / 3);  // divisor stays n
    EXPECT_EQ(bars[3].maShort, (10 + 10 + 30) / 3);
    computeMovingAverage(bars, 0, &DailyBar::maShort);
    for (const DailyBar& bar : bars)
        EXPECT_EQ(bar.maShort, 0);
}

TEST(VolumeAverage, ThousandsModeWhenTheWindowHoldsAMillion) {
    auto bars = barsFromCloses({1, 1, 1, 1}, 0);
    bars[1].volume = 999'999;
    bars[2].volume = 1'000'000;
    bars[3].volume = 2;
    computeVolumeAverage(bars, 3, &DailyBar::volumeMaShort);
    EXPECT_EQ(bars[3].volumeMaShort, (999'999 + 1'000'000 + 2) / 3);
    bars[3].volume = 1'000'001;
    computeVolumeAverage(bars, 3, &DailyBar::volumeMaShort);
    EXPECT_EQ(bars[3].volumeMaShort, (999 + 1000 + 1000) / 3 * 1000);
    // A zero volume takes the previous bar's; bar 0 is in the test but not the sum.
    auto early = barsFromCloses({1, 1}, 0);
    early[0].volume = 5'000'000;
    early[1].volume = 0;
    computeVolumeAverage(early, 2, &DailyBar::volumeMaLong);
    EXPECT_EQ(early[1].volumeMaLong, 5000 / 2 * 1000);
}

TEST(VolumeAverage, TakenAsThirtyTwoBitsSignExtended) {
    auto bars = barsFromCloses({1, 1}, 3'000'000'000);
    computeVolumeAverage(bars, 1, &DailyBar::volumeMaShort);
    EXPECT_EQ(bars[1].volumeMaShort, static_cast<int32_t>(3'000'000'000LL));
}

TEST(Deviations, FixedStartAtBar26) {
    auto bars = flatBars(30, 500);
    for (DailyBar& bar : bars)
        bar.deviationMid = 9;
    computeMovingAverage(bars, 26, &DailyBar::maLong);
    computeMovingAverage(bars, 13, &DailyBar::maMid);
    computeMovingAverage(bars, 6, &DailyBar::maShort);
    computeDeviations(bars);
    EXPECT_EQ(bars[25].deviationLong, -10000);
    EXPECT_EQ(bars[25].deviationMid, 9);   // kept
    EXPECT_EQ(bars[26].deviationLong, 0);  // bars 1..26 fill the long window
    EXPECT_EQ(bars[27].deviationLong, 0);
    EXPECT_EQ(bars[27].deviationMid, 0);
    // 64-bit product: a short average of a billion still gives its ratio.
    bars[28].maShort = 2'000'000'000;
    bars[28].maLong = 1'000'000'000;
    computeDeviations(bars);
    EXPECT_EQ(bars[28].deviationLong, 500);
}

// ---- Ichimoku ----

TEST(Ichimoku, WindowsAndShiftedSpans) {
    std::vector<DailyBar> bars = flatBars(12, 100);
    for (int i = 0; i < 12; ++i) {
        bars[i].high = 100 + i;
        bars[i].low = 50 + i;
        bars[i].close = 70 + i;
    }
    computeIchimoku(bars, {4, 2, 3, 6});
    // tenkan of bar 6 spans bars 4..6: (106 + 54) / 2.
    EXPECT_EQ(bars[6].tenkan, 80);
    EXPECT_EQ(bars[6].kijun, (106 + 52) / 2);
    EXPECT_EQ(bars[5].kijun, 0);  // below senkouPeriod: not computed
    // Lagging span 2 bars back, leading spans 4 bars back.
    EXPECT_EQ(bars[4].chikou, bars[6].close);
    EXPECT_EQ(bars[2].senkou1, (bars[6].kijun + bars[6].tenkan) / 2);
    EXPECT_EQ(bars[2].senkou2, (106 + 50) / 2);
    EXPECT_EQ(bars[11].chikou, 0);  // the last shift - 1 bars stay cleared
    EXPECT_EQ(bars[10].chikou, 0);
}

TEST(Ichimoku, OutOfRangeSettingsStayInsideTheSeries) {
    auto bars = flatBars(10, 100);
    // A shift of 0 would store one bar past the end on the last bar.
    computeIchimoku(bars, {2, 2, 0, 3});
    EXPECT_EQ(bars[9].chikou, 0);  // cleared on bar 9; bar 10 does not exist
    // A shift beyond senkouPeriod + 1 would store before bar 0: skipped.
    computeIchimoku(bars, {2, 2, 9, 3});
    EXPECT_EQ(bars[0].chikou, 100);  // from bar 8
    // Base and conversion periods above senkouPeriod: windows cut at bar 0.
    auto wide = barsFromCloses({10, 20, 30, 40, 50, 60});
    computeIchimoku(wide, {5, 4, 2, 1});
    EXPECT_EQ(wide[1].kijun, (20 + 10) / 2);
    EXPECT_EQ(wide[5].kijun, (60 + 10) / 2);
    EXPECT_EQ(wide[5].tenkan, (60 + 20) / 2);
    EXPECT_EQ(wide[0].senkou1, (wide[5].kijun + wide[5].tenkan) / 2);
}

// ---- HL band ----

TEST(HlBand, BarsBeforeAndZeroAtTheFirst) {
    auto bars = barsFromCloses({10, 50, 20, 40, 30});
    computeHlBand(bars, 2);
    EXPECT_EQ(bars[2].hlHigh, 0);  // the window would reach bar 0
    EXPECT_EQ(bars[3].hlHigh, 50);
    EXPECT_EQ(bars[3].hlLow, 20);
    EXPECT_EQ(bars[4].hlHigh, 40);  // bar 4 itself not included
    computeHlBand(bars, 0);
    for (const DailyBar& bar : bars)
        EXPECT_EQ(bar.hlHigh, 0);
}

// ---- Parabolic ----

TEST(Parabolic, NothingUpToBar13) {
    auto bars = barsFromCloses({5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17});
    ParabolicState state;
    computeParabolic(bars, {}, state);
    for (const DailyBar& bar : bars) {
        EXPECT_EQ(bar.sar, 0);
        EXPECT_EQ(bar.sarTrend, 0);
    }
    EXPECT_EQ(state.af, 0);
}

TEST(Parabolic, StartFirstReversalAndBand) {
    auto bars = flatBars(16, 100);
    for (int i = 0; i < 16; ++i)
        bars[i].high = 110 + i;
    bars[13].low = 90;
    bars[14].low = 130;
    bars[15].low = 50;  // falls through the stop
    ParabolicState state;
    computeParabolic(bars, {}, state);
    // Bar 13: the highest high of bars 1..12.
    EXPECT_EQ(bars[13].sar, 122);
    EXPECT_EQ(bars[13].sarBand, 122 + 122 * 15 / 100);
    // Bar 14: ep = 124, af 16: 122 + 16 x 2 / 100 = 122.
    EXPECT_EQ(bars[14].sar, 122);
    // Bar 15 reverses; its window reaches bar 0 (the trend ran from bar 1), so the stop is 0.
    EXPECT_EQ(bars[15].sarTrend, 1);
    EXPECT_EQ(bars[15].sar, 0);
    EXPECT_EQ(state.trend, 1);
    EXPECT_EQ(state.af, 14);
}

TEST(Parabolic, OnCloseStillStartsFromHighs) {
    auto bars = flatBars(14, 100);
    for (int i = 0; i < 14; ++i)
        bars[i].high = 200 + i;
    ParabolicState state;
    computeParabolic(bars, {.onClose = true}, state);
    EXPECT_EQ(bars[13].sar, 212);
}

TEST(Parabolic, AccelerationCanPassTheMaximumByLessThanAStep) {
    ParabolicState state;
    state.af = 19;
    stepAcceleration(state, {.stepAf = 2, .maxAf = 20});
    EXPECT_EQ(state.af, 21);
    stepAcceleration(state, {.stepAf = 2, .maxAf = 20});
    EXPECT_EQ(state.af, 21);
}

// ---- SP top/bottom marks and the distance from them ----

TEST(TurnPoints, ExactRiseConfirmsTheBottom) {
    auto bars = barsFromCloses({105, 100, 104, 110, 99});
    computeTurnPoints(bars, 10);
    EXPECT_EQ(bars[1].turnMark, -1);  // 110 = 100 x 110 / 100
    EXPECT_EQ(bars[3].turnConfirmed, 1);
    EXPECT_EQ(bars[2].turnConfirmed, 0);
    // 99 <= 90 x 110 / 100: the top at bar 3 is confirmed on bar 4.
    EXPECT_EQ(bars[3].turnMark, 1);
    EXPECT_EQ(bars[4].turnConfirmed, 1);
    computeTurnDistance(bars);
    EXPECT_EQ(bars[3].turnDistance, 110 - 100);
    EXPECT_EQ(bars[3].turnRatio, 110);
    EXPECT_EQ(bars[4].turnDistance, 110 - 99);
    EXPECT_EQ(bars[4].turnRatio, 110 * 100 / 99);
}

TEST(TurnPoints, ZeroClosesNeverDivide) {
    // A top on bar 1 confirmed on bar 2, then closes of 0.
    auto bars = barsFromCloses({100, 200, 0, 0});
    bars[1].turnMark = 1;
    bars[2].turnConfirmed = 1;
    bars[3].turnRatio = 42;
    computeTurnDistance(bars);
    // Bar 2 measures from the close before it; bar 3 has none: the distance
    // is written, the ratio (which would divide by 0) is kept.
    EXPECT_EQ(bars[2].turnDistance, 0);
    EXPECT_EQ(bars[2].turnRatio, 100);
    EXPECT_EQ(bars[3].turnDistance, 200);
    EXPECT_EQ(bars[3].turnRatio, 42);
    // A reference bar whose close is 0 gives no reference price: both kept.
    bars[1].close = 0;
    bars[3].turnDistance = 7;
    computeTurnDistance(bars);
    EXPECT_EQ(bars[3].turnDistance, 7);
    EXPECT_EQ(bars[3].turnRatio, 42);
}

TEST(TurnPoints, ReferenceIsTheMarkBeforeTheNewestConfirmation) {
    auto bars = barsFromCloses({95, 90, 120, 130, 100, 95});
    computeTurnPoints(bars, 10);
    // Bottom at bar 1 confirmed on bar 2; top at bar 3 confirmed on bar 4.
    ASSERT_EQ(bars[1].turnMark, -1);
    ASSERT_EQ(bars[3].turnMark, 1);
    ASSERT_EQ(bars[4].turnConfirmed, 1);
    computeTurnDistance(bars);
    EXPECT_EQ(bars[3].turnDistance, 130 - 90);  // still measured from the bottom
    EXPECT_EQ(bars[5].turnDistance, 130 - 95);  // from the top
    EXPECT_EQ(bars[5].turnRatio, 130 * 100 / 95);
    EXPECT_EQ(bars[1].turnDistance, 0);  // nothing confirmed yet
}

// ---- Bollinger and envelope levels ----

TEST(Bands, BollingerLevels) {
    auto bars = barsFromCloses({2, 4, 4, 4, 5, 5, 7, 9});
    bars[7].bollingerMid = 5;
    // Closes 2..9 have a sample deviation of 2.138: s = 2.
    EXPECT_EQ(bollingerLevels(bars, 8, 7), (BandLevels{-1, 1, 3, 5, 7, 9, 11}));
    // Fewer than two closes: every level is the middle line.
    EXPECT_EQ(bollingerLevels(bars, 8, 0), (BandLevels{0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(bollingerLevels(bars, 0, 7), (BandLevels{5, 5, 5, 5, 5, 5, 5}));
    EXPECT_EQ(bollingerLevels(bars, 1, 7), (BandLevels{5, 5, 5, 5, 5, 5, 5}));
    EXPECT_EQ(bollingerLevels(bars, 3, 99), BandLevels{});
}

TEST(Bands, EnvelopeLevels) {
    auto bars = barsFromCloses({1, 1});
    bars[1].maMid = 1000;
    EXPECT_EQ(envelopeLevels(bars, 10, 1), (BandLevels{700, 800, 900, 1000, 1100, 1200, 1300}));
    EXPECT_EQ(envelopeLevels(bars, 0, 1), (BandLevels{1000, 1000, 1000, 1000, 1000, 1000, 1000}));
    EXPECT_EQ(envelopeLevels(bars, 255, 1)[0], (100 - 765) * 1000 / 100);
}

}  // namespace
}  // namespace tav
