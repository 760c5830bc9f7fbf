#include "conditions/condition_bits.h"

#include <gtest/gtest.h>

#include <random>

#include "analysis/recompute.h"
#include "engine/analysis/random_series.h"

namespace tav {
namespace {

// Rows that read the position are left to evaluation, a capsule by its rows;
// the others, once asked for often enough, hold as evaluation says on every
// bar of the window, past the series false.
TEST(ConditionBits, WhichRowsAreWorkedOutAndHowTheyHold) {
    std::mt19937_64 random(7);
    std::vector<DailyBar> bars = test::randomBars(random, 60);
    AnalysisState state;
    recomputeIndicators(bars, AnalysisSettings{}, state);
    std::vector<ConditionCapsule> capsules(2);
    capsules[0].rows[0] = Condition{3, kRoleNormal, 0, 0, 0, 0, 0, 0, 0, 0};
    capsules[0].rowCount = 1;
    capsules[1] = capsules[0];
    capsules[1].rows[1] = Condition{2, kRoleCapsuleDisabled, 0, 1, 3, 0, 0, 0, 0, 0};
    capsules[1].rowCount = 2;
    const ConditionInputs inputs{bars, state.values.volumeGuide, 13, 10, 25, capsules};
    const struct {
        Condition row;
        bool worked;
    } cases[] = {
        {{0, 0, 0, 0, 3, 0, 2, 5, 1, 0}, true},    // close against an earlier open
        {{0, 0, 0, 5, 1, 0, 3, 0, 0, 0}, true},    // volume against its average
        {{0, 0, 0, 0, 8, 0, 0, 0, 0, 0}, false},   // the entry price
        {{0, 0, 0, 1, 11, 0, 0, 0, 0, 0}, false},  // the low since the entry
        {{0, 0, 0, 4, 0, 0, 0, 0, 0, 0}, false},   // a limit price writes its fill
        {{1, 0, 0, 4, 0, 2, 10, 0, 0, 0}, true},   // the Bollinger frame
        {{2, 0, 0, 0, 5, 0, 0, 0, 0, 0}, false},   // days since the exit
        {{2, 0, 0, 1, 5, 0, 0, 0, 0, 0}, false},   // days since the entry
        {{2, 0, 2, 2, 50, 2, 0, 0, 0, 0}, true},   // RSI two bars back
        {{4, 0, 0, 12, 2, 0, 0, 0, 0, 0}, true},   // the parabolic turning
        {{5, 0, 0, 0, 0, 0, 0, 0, 0, 0}, true},    // a capsule of candles
        {{5, 0, 0, 1, 0, 0, 0, 0, 0, 0}, false},   // a disabled elapsed row inside
        {{5, 0, 0, 9, 0, 0, 0, 0, 0, 0}, true},    // no such capsule: false
    };
    ConditionBits bits;
    bits.reset(-4, 70, 3);
    EXPECT_EQ(bits.start(), 0);
    for (const auto& c : cases) {
        EXPECT_EQ(bits.bits(inputs, c.row), nullptr);
        EXPECT_EQ(bits.bits(inputs, c.row), nullptr);
        const uint64_t* words = bits.bits(inputs, c.row);
        ASSERT_EQ(words != nullptr, c.worked) << c.row.category << "/" << c.row.item;
        if (!words) continue;
        EXPECT_EQ(bits.bits(inputs, c.row), words);  // worked out once
        for (int bar = 0; bar < 70; ++bar) {
            EvaluationContext context{bar, 0, 0, 0, 0};
            const bool held = bar < 60 && evaluateCondition(inputs, context, c.row);
            ASSERT_EQ(ConditionBits::test(words, bar), held) << c.row.category << "/" << bar;
        }
    }
}

}  // namespace
}  // namespace tav
