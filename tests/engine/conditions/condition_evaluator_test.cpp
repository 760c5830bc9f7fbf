#include "conditions/condition_evaluator.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <vector>

#include "analysis/bands.h"

namespace tav {
namespace {

Condition row(int16_t category, int16_t item, int16_t p1 = 0, int16_t p2 = 0, int16_t p3 = 0,
              int16_t percent = 0, int16_t ticks = 0, int16_t day = 0, int16_t role = 0) {
    return Condition{category, role, day, item, p1, p2, p3, percent, ticks, 0};
}

// Bars dated from Monday 2024-01-01, one a day, with flat prices unless set.
class Evaluator : public ::testing::Test {
  protected:
    void makeBars(int count, int32_t price = 1000) {
        bars.assign(static_cast<std::size_t>(count), DailyBar{});
        for (int i = 0; i < count; ++i) {
            DailyBar& bar = bars[static_cast<std::size_t>(i)];
            std::snprintf(bar.date, sizeof bar.date, "202401%02d", i + 1);
            bar.open = bar.close = price;
            bar.high = price + 10;
            bar.low = price - 10;
            bar.volume = 1000;
        }
    }
    DailyBar& at(int i) { return bars[static_cast<std::size_t>(i)]; }
    bool holds(const Condition& c, int bar) {
        inputs.bollingerMemo = {};  // the tests change bars between calls
        context.evaluationBar = bar;
        inputs.bars = bars;
        inputs.capsules = capsules;
        return evaluateCondition(inputs, context, c);
    }
    bool capsuleHolds(const ConditionCapsule& capsule, int bar) {
        context.evaluationBar = bar;
        inputs.bars = bars;
        inputs.capsules = capsules;
        return evaluateCapsule(inputs, context, capsule);
    }

    std::vector<DailyBar> bars;
    std::vector<ConditionCapsule> capsules;
    ConditionInputs inputs;
    EvaluationContext context;
};

TEST_F(Evaluator, BarUnderTestAndDaysBack) {
    makeBars(5);
    at(0).close = 1100;  // a bullish bar 0 only
    const Condition bullishThreeDaysAgo = row(3, 0, 0, 0, 0, 0, 0, 3);
    EXPECT_TRUE(holds(bullishThreeDaysAgo, 3));
    EXPECT_FALSE(holds(bullishThreeDaysAgo, 4));
    // More days back than bars before: bar 0.
    EXPECT_TRUE(holds(bullishThreeDaysAgo, 1));
    EXPECT_FALSE(holds(row(3, 0), 5));  // past the end
    bars.clear();
    EXPECT_FALSE(holds(row(3, 0), 0));
}

TEST_F(Evaluator, DaysBackTargetsAndTheirLimits) {
    makeBars(6);
    for (int i = 0; i < 6; ++i)
        at(i).close = 1000 + 10 * i;
    // Close at least the close 2 bars back +1%: 1050 >= 1030 + 10.
    EXPECT_TRUE(holds(row(0, 0, 0, 2, 2, 1), 5));
    EXPECT_FALSE(holds(row(0, 0, 0, 2, 2, 3), 5));
    // Ticks step by the tick of the target bar: 1030 + 20 ticks of 1.
    EXPECT_TRUE(holds(row(0, 0, 0, 3, 2, 0, 20), 5));
    // n at or past the bar index counts as 0: today's close against itself.
    EXPECT_TRUE(holds(row(0, 0, 0, 2, 5), 5));
    EXPECT_FALSE(holds(row(0, 0, 0, 0, 5), 5));
    // A negative n would name a later bar: false, not a read past b.
    EXPECT_FALSE(holds(row(0, 0, 0, 3, -1), 4));
    EXPECT_FALSE(holds(row(0, 0, 1, 3, -1), 4));
    // The separator and codes past the lists are false.
    EXPECT_FALSE(holds(row(0, 0, 7, 2), 5));
    EXPECT_FALSE(holds(row(0, 0, 39, 2), 5));
    EXPECT_FALSE(holds(row(0, 0, 0, 6), 5));
    EXPECT_FALSE(holds(row(0, 13, 0, 2), 5));
    EXPECT_FALSE(holds(row(7, 0), 5));
}

TEST_F(Evaluator, HighOfTheLastDaysExcludesToday) {
    makeBars(30);
    for (int i = 0; i < 30; ++i)
        at(i).high = 1010 + i % 3;  // the highest high is 1012
    at(29).close = 1013;
    at(29).high = 1020;
    at(28).close = 1012;
    const Condition breakout = row(0, 0, 4, 0, 20);
    EXPECT_TRUE(holds(breakout, 29));
    at(28).close = 1013;
    EXPECT_FALSE(holds(breakout, 29));
    // n' = 0 compares with yesterday's high, which bar 0 does not have.
    EXPECT_TRUE(holds(row(0, 0, 4, 4, 0), 29));
    EXPECT_FALSE(holds(row(0, 0, 4, 2, 0, -50), 0));
}

TEST_F(Evaluator, LimitPriceFillsOnlyStrictlyInside) {
    makeBars(3);
    // Low 990, high 1010; the target is the close 1 bar back with an offset.
    EXPECT_FALSE(holds(row(0, 4, 0, 0, 1, 0, 10), 2));   // 1010: the high
    EXPECT_FALSE(holds(row(0, 4, 0, 0, 1, 0, -10), 2));  // 990: the low
    EXPECT_TRUE(holds(row(0, 4, 0, 0, 1, 0, 9), 2));
    EXPECT_EQ(context.limitFill, 1009);
    EXPECT_FALSE(holds(row(0, 4, 0, 1, 1, 0, 9), 2));  // no action but 成立
    EXPECT_EQ(context.limitFill, 0);
    // Entry price targets need an open position.
    EXPECT_FALSE(holds(row(0, 4, 8), 2));
    context.entryPrice = 1001;
    EXPECT_TRUE(holds(row(0, 4, 9), 2));
    EXPECT_EQ(context.limitFill, 1001);
}

TEST_F(Evaluator, FirstBarsNeverReadBeforeTheSeries) {
    makeBars(3);
    // Crossings, pivots, two-bar shapes and movements need earlier bars.
    EXPECT_FALSE(holds(row(0, 0, 0, 1, 0, -90), 0));  // down-cross
    EXPECT_TRUE(holds(row(0, 0, 0, 3, 0), 0));        // 以下: today only
    EXPECT_FALSE(holds(row(0, 0, 33, 5, 0, 50), 0));
    EXPECT_TRUE(holds(row(0, 0, 33, 5, 0, 50), 1));
    EXPECT_FALSE(holds(row(3, 20, 0), 0));
    EXPECT_FALSE(holds(row(4, 7, 4), 0));
    EXPECT_TRUE(holds(row(4, 7, 4), 1));
    EXPECT_FALSE(holds(row(4, 7, 2), 1));  // turning needs the day before yesterday
    EXPECT_FALSE(holds(row(2, 2, 0, 8), 1));
    EXPECT_FALSE(holds(row(2, 19, 0, 1), 0));
}

TEST_F(Evaluator, ValueComparisonsScaleByItem) {
    makeBars(3);
    at(2).rsi = 300;
    EXPECT_TRUE(holds(row(2, 2, 30, 2), 2));
    EXPECT_FALSE(holds(row(2, 2, 31, 2), 2));
    at(2).roc = 105;  // ROC is compared as it is
    EXPECT_TRUE(holds(row(2, 5, 100, 6, 106), 2));
    EXPECT_FALSE(holds(row(2, 5, 100, 6, 105), 2));
    // 以上で陰転: down today after a peak at or above the level.
    at(0).rsi = 700;
    at(1).rsi = 800;
    at(2).rsi = 600;
    EXPECT_TRUE(holds(row(2, 2, 80, 7), 2));
    EXPECT_FALSE(holds(row(2, 2, 81, 7), 2));
    // Short RSI crossing below the long one at or above 60.
    at(1).rsiShort = 700;
    at(1).rsiLong = 650;
    at(2).rsiShort = 600;
    at(2).rsiLong = 640;
    EXPECT_TRUE(holds(row(2, 19, 60, 0), 2));
    EXPECT_FALSE(holds(row(2, 19, 61, 0), 2));
}

TEST_F(Evaluator, ElapsedDaysCountFromThePosition) {
    makeBars(10);
    EXPECT_FALSE(holds(row(2, 1, 3), 9));  // no entry: only A <= 0 holds
    EXPECT_TRUE(holds(row(2, 1, 0), 9));
    EXPECT_FALSE(holds(row(2, 1, 0), 0));
    context.entryBar = 5;
    EXPECT_TRUE(holds(row(2, 1, 3), 8));
    EXPECT_FALSE(holds(row(2, 1, 3), 7));
    context.exitBar = 2;
    EXPECT_TRUE(holds(row(2, 0, 7), 9));
    EXPECT_FALSE(holds(row(2, 0, 7, 1), 9));
}

TEST_F(Evaluator, CandleShapes) {
    makeBars(14);
    // 陽の大引坊主: wide, opening in the lower half, closing exactly at the high.
    at(13) = at(12);
    at(13).open = 995;
    at(13).high = 1030;
    at(13).low = 990;
    at(13).close = 1030;
    EXPECT_TRUE(holds(row(3, 6, 2), 13));
    at(13).close = 1029;
    EXPECT_FALSE(holds(row(3, 6, 2), 13));
    // No close, no shape.
    at(13).close = 0;
    EXPECT_FALSE(holds(row(3, 1), 13));

    // 連続陽線: the last n bars, today included; more than ten never holds.
    for (int i = 0; i < 14; ++i)
        at(i).close = 1001;
    EXPECT_FALSE(holds(row(3, 28, 11), 13));
    EXPECT_TRUE(holds(row(3, 28, 10), 13));
    at(11).close = 999;
    EXPECT_TRUE(holds(row(3, 28, 2), 13));
    EXPECT_FALSE(holds(row(3, 28, 3), 13));
    at(13).close = 990;
    EXPECT_FALSE(holds(row(3, 28, 1), 13));
    EXPECT_TRUE(holds(row(3, 29, 0), 13));
    EXPECT_TRUE(holds(row(3, 28, 3), 2));  // from bar 0 when fewer bars exist

    // 空踏み上げ: each of the n pairs ending today gaps up.
    at(11).high = 1025;
    at(12).low = 1020;
    at(12).high = 1030;
    at(13).low = 1040;
    EXPECT_TRUE(holds(row(3, 26, 1), 13));
    EXPECT_FALSE(holds(row(3, 26, 2), 13));
    EXPECT_FALSE(holds(row(3, 26, 1), 0));
}

TEST_F(Evaluator, IndicatorComparisons) {
    makeBars(60);
    // Weekday from the calendar: 2024-01-05 is a Friday.
    EXPECT_TRUE(holds(row(1, 8, 5, 0), 4));
    EXPECT_FALSE(holds(row(1, 8, 5, 1), 4));
    EXPECT_TRUE(holds(row(1, 8, 1, 0), 0));
    setBarDate(at(3), "2024013x");
    EXPECT_FALSE(holds(row(1, 8, 4, 1), 3));

    // Moving averages converge within 2 %.
    at(10).maLong = 1000;
    at(10).maMid = 1015;
    at(10).maShort = 1020;
    EXPECT_TRUE(holds(row(1, 9, 0, 0, 2), 10));
    EXPECT_FALSE(holds(row(1, 9, 0, 0, 1), 10));

    // Volume against a multiple of the mean volume.
    inputs.volumeGuide = 3000;
    at(10).volume = 2000;
    EXPECT_TRUE(holds(row(1, 0, 1, 2, 2), 10));
    EXPECT_FALSE(holds(row(1, 0, 0, 2), 10));

    // Range above the largest of the 3 bars before today.
    at(10).high = 1030;
    at(10).low = 1000;
    at(8).high = 1040;
    at(8).low = 1015;
    EXPECT_TRUE(holds(row(1, 10, 0, 4, 3), 10));
    at(8).low = 1005;
    EXPECT_FALSE(holds(row(1, 10, 0, 4, 3), 10));
}

TEST_F(Evaluator, CloudNeedsFiftyBarsBack) {
    makeBars(60);
    for (int i = 0; i < 60; ++i) {
        at(i).senkou1 = 980;
        at(i).senkou2 = 900;
    }
    const Condition aboveCloud = row(0, 0, 31, 4);
    EXPECT_FALSE(holds(aboveCloud, 50));
    EXPECT_TRUE(holds(aboveCloud, 51));
    at(1).senkou1 = 1000;
    EXPECT_FALSE(holds(aboveCloud, 51));
    EXPECT_TRUE(holds(row(0, 0, 32, 4), 51));
}

TEST_F(Evaluator, VolumeAverageTargetInThousands) {
    makeBars(6);
    at(2).volume = 1'000'500;
    at(3).volume = 0;  // stands in with the previous volume
    at(4).volume = 3'000;
    at(5).volume = 668'000;
    // Bars 2..4 in thousands: (1000 + 1000 + 3) / 3 = 667, so 667,000.
    EXPECT_TRUE(holds(row(0, 5, 1, 4, 3), 5));
    at(5).volume = 667'000;
    EXPECT_FALSE(holds(row(0, 5, 1, 4, 3), 5));
    EXPECT_TRUE(holds(row(0, 5, 1, 2, 3), 5));
}

TEST_F(Evaluator, CapsulesCombineRowsByRole) {
    makeBars(3);
    at(2).close = 1100;  // bullish today
    const Condition pass = row(3, 0);
    const Condition fail = row(3, 1);
    ConditionCapsule capsule;
    capsule.logic = kLogicAnd;
    capsule.rowCount = 2;
    capsule.rows[0] = pass;
    capsule.rows[1] = fail;
    capsule.rows[1].role = kRoleCapsuleDisabled;
    EXPECT_TRUE(capsuleHolds(capsule, 2));
    capsule.rows[1].role = kRoleNormal;
    EXPECT_FALSE(capsuleHolds(capsule, 2));

    capsule.logic = kLogicOr;
    EXPECT_TRUE(capsuleHolds(capsule, 2));
    capsule.rows[1].role = kRoleFilter;
    EXPECT_FALSE(capsuleHolds(capsule, 2));
    // An unknown role is ignored by OR and keeps AND from holding.
    capsule.rows[1].role = 9;
    EXPECT_TRUE(capsuleHolds(capsule, 2));
    capsule.logic = kLogicAnd;
    EXPECT_FALSE(capsuleHolds(capsule, 2));

    ConditionCapsule empty;
    EXPECT_FALSE(capsuleHolds(empty, 2));
    empty.logic = kLogicAnd;
    EXPECT_TRUE(capsuleHolds(empty, 2));
}

TEST_F(Evaluator, CapsuleReferencesEndAndMissingOnesAreEmpty) {
    makeBars(3);
    at(2).close = 1100;
    ConditionCapsule first;
    first.rowCount = 1;
    first.rows[0] = row(3, 0);
    // The second capsule names itself and the first: only its own rows count.
    ConditionCapsule loop;
    loop.rowCount = 2;
    loop.rows[0] = row(5, 1);
    loop.rows[1] = row(5, 0);
    capsules = {first, loop};
    EXPECT_TRUE(holds(row(5, 0), 2));
    EXPECT_FALSE(holds(row(5, 0), 1));
    EXPECT_FALSE(holds(row(5, 1), 2));
    EXPECT_FALSE(holds(row(5, 7), 2));
    loop.logic = kLogicAnd;
    loop.rows[1].role = kRoleCapsuleDisabled;
    loop.rows[0].role = kRoleFilter;
    capsules[1] = loop;
    EXPECT_FALSE(holds(row(5, 1), 2));
}

TEST_F(Evaluator, BollingerTargetsAndFrame) {
    makeBars(30);
    for (int i = 0; i < 30; ++i) {
        at(i).close = 1000 + (i * 37) % 50;
        at(i).bollingerMid = 1020;
    }
    inputs.bollingerPeriod = 13;
    const BandLevels lines = bollingerLevels(bars, 13, 29);
    ASSERT_GT(lines[6], lines[3]);
    int above = 0;
    for (int16_t k = -3; k <= 3; ++k) {
        const bool expected = at(29).close >= lines[static_cast<std::size_t>(k + 3)];
        EXPECT_EQ(holds(row(0, 0, 23, 2, k), 29), expected) << k;
        above += expected;
    }
    EXPECT_GT(above, 0);
    EXPECT_LT(above, 7);
    EXPECT_FALSE(holds(row(0, 0, 23, 2, -4), 29));

    // The +-3 lines against a frame of p3 % around the middle line.
    const BandLevels levels = bollingerLevels(bars, 13, 29);
    const int width = static_cast<int>((levels[6] - 1020) * 100 / 1020);
    EXPECT_TRUE(holds(row(1, 4, 0, 4, static_cast<int16_t>(width)), 29));
    EXPECT_FALSE(holds(row(1, 4, 0, 4, static_cast<int16_t>(width + 1)), 29));
    EXPECT_TRUE(holds(row(1, 4, 0, 5, static_cast<int16_t>(width + 1)), 29));
    at(29).bollingerMid = 0;
    EXPECT_FALSE(holds(row(1, 4, 0, 3, 90), 29));
}

TEST_F(Evaluator, ParabolicAndBandTargets) {
    makeBars(20);
    at(19).sarTrend = 1;
    at(19).sar = 1050;
    at(19).sarBand = 1000;
    EXPECT_FALSE(holds(row(0, 0, 35, 2), 19));  // rising-only target in a falling trend
    EXPECT_TRUE(holds(row(0, 0, 30, 2), 19));
    EXPECT_TRUE(holds(row(0, 0, 36, 5), 19));
    EXPECT_TRUE(holds(row(4, 12, 3), 19));
    EXPECT_FALSE(holds(row(4, 12, 4), 19));
    // Envelope line -1 with 10 %: 900 of a mid average of 1000.
    at(19).maMid = 1000;
    inputs.envelopePercent = 10;
    EXPECT_TRUE(holds(row(0, 2, 24, 2, -1), 19));  // low 990 >= 900
    EXPECT_TRUE(holds(row(0, 2, 24, 5, 1), 19));   // low 990 < 1100
    EXPECT_FALSE(holds(row(0, 2, 24, 2, 4), 19));  // no fourth line
    // MA band support: 1000 - 250.
    inputs.maBandPercent = 25;
    EXPECT_TRUE(holds(row(0, 0, 28, 4, 0, 0, 249), 19));
    EXPECT_FALSE(holds(row(0, 0, 28, 4, 0, 0, 250), 19));
}

}  // namespace
}  // namespace tav
