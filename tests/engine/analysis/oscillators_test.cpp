// Oscillators and volume indicators, grouped by indicator.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>

#include "analysis/indicators.h"
#include "bar_builders.h"

namespace tav {
namespace {

using namespace analysis;
using test::barsFromCloses;
using test::flatBars;

// ---- RCI ----

TEST(Rci, RisingFallingAndFlatWindows) {
    auto rising = barsFromCloses({1, 10, 20, 30, 40, 50});
    auto falling = barsFromCloses({1, 50, 40, 30, 20, 10});
    auto flat = barsFromCloses({1, 7, 7, 7, 7, 7});
    computeRci(rising, 5, &DailyBar::rci, true);
    computeRci(falling, 5, &DailyBar::rci, true);
    computeRci(flat, 5, &DailyBar::rci, true);
    EXPECT_EQ(rising[5].rci, 1000);
    EXPECT_EQ(falling[5].rci, -1000);
    // Every price rank is 3 and the time ranks are 5..1: S = 10, a flat window reads 500.
    EXPECT_EQ(flat[5].rci, 500);
    EXPECT_EQ(rising[4].rci, 0);  // warm-up: cleared, not computed
}

TEST(Rci, ExactWhereSinglePrecisionLosesOne) {
    // Price ranks 2, 5, 4, 3, 1 against time ranks 5..1: S = 9 + 1 + 1 + 1 = 12,
    // (1 - 72 / 120) x 1000 = 400 exactly (399 when the last step runs in float).
    auto bars = barsFromCloses({1, 40, 10, 20, 30, 50});
    computeRci(bars, 5, &DailyBar::rci, true);
    EXPECT_EQ(bars[5].rci, 400);
    EXPECT_EQ(rciAt(bars, 5, 5), 400);
}

TEST(Rci, TiesShareTheirMeanRank) {
    // Closes 10, 20, 20, 30 (newest highest): price ranks 4, 2.5, 2.5, 1 against
    // time ranks 4..1 give S = 0.5, RCI = (1 - 3 / 60) x 1000 = 950.
    auto bars = barsFromCloses({5, 10, 20, 20, 30});
    computeRci(bars, 4, &DailyBar::rci, true);
    EXPECT_EQ(bars[4].rci, 950);
}

// Four lines walked together must each give what counting ranks gives:
// periods equal, short, long and unused, closes with many ties and extreme
// values, series that cross the walk's chunks and end inside a group of four.
TEST(Rci, FourLinesTogetherMatchCounting) {
    std::mt19937_64 random(4);
    auto uniform = [&](int lo, int hi) {
        return std::uniform_int_distribution<int>(lo, hi)(random);
    };
    constexpr int16_t kUntouched = 12345;
    for (int run = 0; run < 60; ++run) {
        const int count = run < 20 ? uniform(0, 40) : uniform(250, 1300);
        const int distinct = run % 3 == 0 ? 3 : run % 3 == 1 ? 50 : 1'000'000;
        std::vector<DailyBar> bars(count);
        for (DailyBar& bar : bars) {
            bar.close = run % 5 == 4 ? std::numeric_limits<int32_t>::max() - uniform(0, distinct)
                                     : uniform(0, distinct);
            bar.rci = bar.rciLong = bar.rciMid = bar.rciShort = kUntouched;
        }
        auto period = [&]() {
            const int kind = uniform(0, 9);
            return kind == 0 ? uniform(0, 1) : kind < 7 ? uniform(2, 30) : uniform(2, 255);
        };
        const RciLine lines[kRciLines] = {
            {period(), &DailyBar::rci, true},
            {period(), &DailyBar::rciLong, false},
            {period(), &DailyBar::rciMid, run % 4 == 0},
            {run % 7 == 0 ? lines[0].period : period(), &DailyBar::rciShort, false}};
        computeRcis(bars, lines);
        for (const RciLine& line : lines) {
            for (int k = 0; k < count; ++k) {
                const int16_t expected = line.period > 1 && k >= line.period
                                             ? rciAt(bars, k, line.period)
                                         : line.clearFirst ? 0
                                                           : kUntouched;
                ASSERT_EQ(bars[k].*line.slot, expected)
                    << "run " << run << " period " << line.period << " bar " << k;
            }
        }
    }
}

TEST(Rci, PeriodsZeroAndOneLeaveTheSlots) {
    auto bars = barsFromCloses({1, 2, 3, 4});
    for (DailyBar& bar : bars)
        bar.rciLong = 77;
    computeRci(bars, 1, &DailyBar::rciLong, false);
    computeRci(bars, 0, &DailyBar::rci, true);
    for (const DailyBar& bar : bars) {
        EXPECT_EQ(bar.rciLong, 77);
        EXPECT_EQ(bar.rci, 0);
    }
}

// ---- RSI ----

TEST(Rsi, WindowWithoutMovesClearsRsiAndKeepsMultiRsi) {
    auto bars = flatBars(10, 500);
    for (DailyBar& bar : bars)
        bar.rsi = bar.rsiShort = 321;
    computeRsi(bars, 6, &DailyBar::rsi, true);
    computeRsi(bars, 5, &DailyBar::rsiShort, false);
    for (const DailyBar& bar : bars) {
        EXPECT_EQ(bar.rsi, 0);
        EXPECT_EQ(bar.rsiShort, 321);
    }
}

TEST(Rsi, UpShareOfMovesPerMille) {
    // Moves over bars 2..4: +30, -10, +20 -> 50 / 60.
    auto bars = barsFromCloses({100, 90, 120, 110, 130});
    RsiWindow window = computeRsi(bars, 3, &DailyBar::rsi, true);
    EXPECT_EQ(bars[4].rsi, 833);
    EXPECT_EQ(window.up, 50);
    EXPECT_EQ(window.down, 10);
    // A close of 0 leaves the slot as cleared.
    bars[4].close = 0;
    computeRsi(bars, 3, &DailyBar::rsi, true);
    EXPECT_EQ(bars[4].rsi, 0);
}

// ---- Williams %R, ROC ----

TEST(WilliamsR, UndefinedBeforePeriodAndOnZeroLows) {
    auto bars = barsFromCloses({100, 110, 120, 130, 140, 150, 100});
    bars[6].high = 160;
    bars[6].low = 95;
    computeWilliamsR(bars, 5);
    EXPECT_EQ(bars[4].williamsR, -1);
    // HH 160, LL 95 (bars 1..6 with close 100): (60000 / 65) = 923 -> 920.
    EXPECT_EQ(bars[6].williamsR, 920);
    bars[3].low = 0;
    computeWilliamsR(bars, 5);
    EXPECT_EQ(bars[6].williamsR, -1);
}

TEST(WilliamsR, RoundsHalfUpToTens) {
    // HH 200, LL 0 is not allowed (a zero low); use LL 100: a = 55 x 1000 / 100 = 550.
    auto bars = barsFromCloses({200, 100, 145});
    computeWilliamsR(bars, 2);
    EXPECT_EQ(bars[2].williamsR, 550);
    bars[2].close = bars[2].open = bars[2].high = bars[2].low = 144;  // a = 560
    computeWilliamsR(bars, 2);
    EXPECT_EQ(bars[2].williamsR, 560);
    bars[2].close = bars[2].open = bars[2].high = bars[2].low = 146;  // a = 540
    computeWilliamsR(bars, 2);
    EXPECT_EQ(bars[2].williamsR, 540);
    bars[0].high = 199;  // a = 53 x 1000 / 99 = 535 -> 540 (5 rounds up)
    computeWilliamsR(bars, 2);
    EXPECT_EQ(bars[2].williamsR, 540);
}

TEST(Roc, PercentOfTheEarlierCloseAndItsWrap) {
    auto bars = barsFromCloses({100, 100, 250, 40000});
    computeRoc(bars, 1);
    EXPECT_EQ(bars[1].roc, 100);
    EXPECT_EQ(bars[2].roc, 250);
    // 16000 % fits; a close 400 times the earlier one wraps in the 16-bit slot.
    EXPECT_EQ(bars[3].roc, 16000);
    auto jump = barsFromCloses({100, 40000});
    computeRoc(jump, 1);
    EXPECT_EQ(jump[1].roc, static_cast<int16_t>(40000));
}

// ---- Volatility RSI ----

TEST(VlRsi, ZeroVolatilityUsesHalfThePeriod) {
    // Flat closes up to bar 15, then moves only inside the last 7 bars.
    auto bars = flatBars(16, 1000);
    bars[14].close = 1010;
    bars[15].close = 1005;
    computeVolatility(bars);
    EXPECT_EQ(bars[3].volatility5, 0.0);
    EXPECT_GT(bars[14].volatility5, 0.0);
    // At bar 10 the mean volatility is 0: window 14 / 2 = 7, no move -> 0.
    computeVlRsi(bars, 14);
    EXPECT_EQ(bars[13].vlRsi, 0);
    EXPECT_EQ(vlRsiWindow(bars, 12, 14), 7);
    // High recent volatility shortens the window, never below n / 2.
    EXPECT_EQ(vlRsiWindow(bars, 15, 14), 7);
    EXPECT_EQ(bars[15].vlRsi, 666);  // +10, -5 -> 10 / 15
}

TEST(Volatility, SampleDeviationOfFiveCloses) {
    auto bars = barsFromCloses({2, 4, 4, 4, 5, 5, 7, 9});
    computeVolatility(bars);
    EXPECT_EQ(bars[3].volatility5, 0.0);                        // not reached
    EXPECT_DOUBLE_EQ(bars[4].volatility5, std::sqrt(4.8 / 4));  // mean 3.8
    EXPECT_DOUBLE_EQ(bars[7].volatility5, 2.0);                 // 4 5 5 7 9: mean 6, squares 16
}

// ---- DMI ----

TEST(Dmi, SumsOverTransitionsAndAverage) {
    auto bars = barsFromCloses({100, 110, 105, 120, 118});
    computeDmi(bars, 2);
    // Bar 3: transitions 2 and 3. PDM 15, MDM 5, TR 5 + 15 = 20.
    EXPECT_EQ(bars[3].plusDi, 750);
    EXPECT_EQ(bars[3].minusDi, 250);
    EXPECT_EQ(bars[3].dx, 500);
    EXPECT_EQ(bars[2].dx, 0);  // j <= n: not reached
    computeAdx(bars, 2);
    EXPECT_EQ(bars[2].adx, 0);
    EXPECT_EQ(bars[4].adx, (bars[3].dx + bars[4].dx) / 2);
    computeAdx(bars, 0);  // no average: 0 everywhere
    for (const DailyBar& bar : bars)
        EXPECT_EQ(bar.adx, 0);
}

// ---- MACD ----

TEST(Macd, SeedThenExtendedPrecisionUpdate) {
    auto bars = barsFromCloses({0, 100, 110, 120, 130});
    computeMacdAverage(bars, 3, &DailyBar::macdLongEma);
    EXPECT_EQ(bars[1].macdLongEma, 0.0f);
    EXPECT_EQ(bars[2].macdLongEma, 70.0f);  // (100 + 110) / 3, bar 0 not counted
    const float alpha = 2.0f / 4.0f;
    EXPECT_EQ(bars[3].macdLongEma, static_cast<float>((1.0L - alpha) * 70.0L + alpha * 120.0L));
}

TEST(Macd, PeriodOneFollowsClosesAndZeroReadsZero) {
    auto bars = barsFromCloses({50, 100, 110, 95});
    computeMacd(bars, 0, 1, 0);
    for (int j = 1; j < 4; ++j) {
        EXPECT_EQ(bars[j].macdShortEma, static_cast<float>(bars[j].close));
        EXPECT_EQ(bars[j].macdLongEma, 0.0f);
        EXPECT_EQ(bars[j].macd, bars[j].close * 10);
        EXPECT_EQ(bars[j].macdSignal, 0);
    }
}

TEST(Macd, SignalTakesThePreviousValueForZero) {
    auto bars = barsFromCloses({0, 0, 0, 0});
    bars[1].macd = 40;
    bars[3].macd = 10;
    computeMacdSignal(bars, 3);
    // Bar 3: 40 + (0 -> 40) + 10 over 3.
    EXPECT_EQ(bars[3].macdSignal, 30);
    EXPECT_EQ(bars[1].macdSignal, 13);
}

// ---- Stochastics ----

TEST(Stochastics, FastSlowAndGuards) {
    auto bars = barsFromCloses({100, 110, 90, 120, 100, 130, 115});
    computeStochastics(bars, 1, 2);
    // Bar 3: HH 120, LL 90, num 30, den 30 -> K 1000.
    EXPECT_EQ(bars[3].stochK, 1000);
    // Bar 4: num 0 -> K 0; D over bars 3, 4: 30 / 50.
    EXPECT_EQ(bars[4].stochK, 0);
    EXPECT_EQ(bars[4].stochD, 600);
    // m >= k gives 0.
    EXPECT_EQ(bars[2].stochD, 0);
    EXPECT_EQ(bars[5].stochSlowD, (bars[4].stochD + bars[5].stochD) / 2);
}

// ---- Force index ----

TEST(ForceIndex, ZeroVolumeCountsOne) {
    auto bars = barsFromCloses({100, 110, 121, 121});
    bars[2].volume = 0;
    computeForceIndex(bars);
    EXPECT_EQ(bars[1].forceIndex, 0);  // from bar 2 on
    // T[1] = 10 x 1000 / 110 = 90, T[2] = 1 (no volume).
    EXPECT_EQ(bars[2].forceIndex, (90 + 1) / 2);
    EXPECT_EQ(bars[3].forceIndex, (1 + 0) / 2);
}

// ---- VR, Wako VR, PVR ----

TEST(VolumeRatios, FirstValueAfterThePeriod) {
    auto bars = barsFromCloses({10, 11, 12, 11, 11, 12, 13, 12, 13, 14, 13, 14, 15, 14, 15, 16});
    computeVolumeRatios(bars, 13, 13);
    EXPECT_EQ(bars[13].vr, 0);  // n >= k: all sums 0
    EXPECT_NE(bars[14].vr, 0);
    // Bar 14: bars 2..14 of 1000 each: 8 up, 4 down, 1 unchanged.
    EXPECT_EQ(bars[14].vr, (8000 + 500) * 100 / (4000 + 500));
    EXPECT_EQ(bars[14].wakoVr, (8000 - 4000 - 1000) * 1000 / 13000);
}

TEST(Pvr, SmoothedDistanceAndGuards) {
    auto bars = barsFromCloses({100, 100, 100, 110});
    computePvr(bars, 2);
    // Bar 3: a = (100 + 110) / 2 = 105, (5 x 1000 / 105 - 0) x 0.2 = 9.
    EXPECT_EQ(bars[3].pvr, 9);
    // A weighted average that truncates to 0 counts as 1 instead of dividing by zero.
    auto tiny = barsFromCloses({0, 0, 1, 1});
    tiny[2].volume = 1;
    tiny[1].volume = 1'000'000;
    computePvr(tiny, 2);
    EXPECT_EQ(tiny[2].pvr, 0);  // close[0] is 0: not computed
    EXPECT_EQ(tiny[3].pvr, 0);  // a = 1: (0 - 0) x 0.2
    // A zero period never reads before bar 0 and leaves pvr cleared.
    bars[2].pvr = 5;
    computePvr(bars, 0);
    for (const DailyBar& bar : bars)
        EXPECT_EQ(bar.pvr, 0);
}

// ---- Turning marks ----

TEST(TurnMarks, OnlyTheFirstOfConsecutiveTurns) {
    auto bars = flatBars(6, 100);
    const int16_t rsi[] = {100, 200, 150, 100, 50, 60};
    for (int k = 0; k < 6; ++k)
        bars[k].rsi = rsi[k];
    // Bars 2..4 fall in the lower zone, bar 5 turns up.
    bars[2].rsi = 180;
    bars[3].rsi = 190;  // up from 180: mark 2
    bars[4].rsi = 200;  // up again: bar 3 already has mark 2
    computeTurnMarks(bars);
    const int slot = static_cast<int>(TurnMarkSlot::Rsi);
    EXPECT_EQ(bars[1].turnMarks[slot], 2);
    EXPECT_EQ(bars[2].turnMarks[slot], 0);
    EXPECT_EQ(bars[3].turnMarks[slot], 2);
    EXPECT_EQ(bars[4].turnMarks[slot], 0);
}

TEST(TurnMarks, ZonesPerOscillator) {
    auto bars = flatBars(3, 100);
    // roc tests only the previous value: 120 -> 200 is not a turn down, 200 -> 150 is.
    bars[0].roc = 120;
    bars[1].roc = 200;
    bars[2].roc = 150;
    // williamsR upper zone is >= 750 on both bars, lower zone <= 250.
    bars[0].williamsR = 250;
    bars[1].williamsR = 251;
    bars[2].williamsR = 750;
    // rsi lower zone is strict: 250 is not in it.
    bars[0].rsi = 249;
    bars[1].rsi = 250;
    computeTurnMarks(bars);
    EXPECT_EQ(bars[1].turnMarks[static_cast<int>(TurnMarkSlot::Roc)], 0);
    EXPECT_EQ(bars[2].turnMarks[static_cast<int>(TurnMarkSlot::Roc)], 1);
    EXPECT_EQ(bars[1].turnMarks[static_cast<int>(TurnMarkSlot::WilliamsR)], 0);
    EXPECT_EQ(bars[1].turnMarks[static_cast<int>(TurnMarkSlot::Rsi)], 0);
}

}  // namespace
}  // namespace tav
