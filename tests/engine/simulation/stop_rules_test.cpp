#include "simulation/stop_rules.h"

#include <gtest/gtest.h>

#include "simulation/strategy.h"
#include "simulation_fixture.h"

namespace tav {
namespace {

DailyBar priced(int open, int high, int low, int close) {
    DailyBar bar{};
    bar.open = open;
    bar.high = high;
    bar.low = low;
    bar.close = close;
    return bar;
}

struct Probe {
    DailyBar bar;
    StopInputs in;
    int32_t fill = 0;
    Probe(DailyBar b, int32_t entry, bool isShort, int64_t hh = 0, int64_t ll = 0) : bar(b) {
        in = StopInputs{&bar, 10, 4, entry, isShort, hh, ll};
    }
    bool fires(int16_t kind, int16_t item, int16_t value) {
        fill = 0;
        return stopRuleFires(stopRule(kind, item, value), in, fill);
    }
};

TEST(StopRules, LossAndProfitOnBothSides) {
    // Long from 1,000: the close at 900 is a 11 % fall by entry / close.
    Probe longs(priced(950, 960, 880, 900), 1000, false);
    EXPECT_TRUE(longs.fires(kStopLoss, 0, 11));
    EXPECT_FALSE(longs.fires(kStopLoss, 0, 12));
    EXPECT_TRUE(longs.fires(kStopLoss, 1, 100));
    EXPECT_TRUE(longs.fires(kStopLoss, 2, 10));  // low 880: 1000 * 100 / 880 = 113
    EXPECT_EQ(longs.fill, 900);
    EXPECT_TRUE(longs.fires(kStopLoss, 3, 120));
    EXPECT_EQ(longs.fill, 880);
    EXPECT_FALSE(longs.fires(kStopProfit, 2, 1));
    EXPECT_EQ(longs.fill, 0);

    Probe shorts(priced(950, 960, 880, 900), 1000, true);
    EXPECT_TRUE(shorts.fires(kStopProfit, 0, 11));
    EXPECT_TRUE(shorts.fires(kStopProfit, 2, 10));
    EXPECT_EQ(shorts.fill, 900);
    EXPECT_TRUE(shorts.fires(kStopProfit, 3, 100));
    EXPECT_EQ(shorts.fill, 900);
    EXPECT_FALSE(shorts.fires(kStopLoss, 1, 1));
    EXPECT_FALSE(shorts.fires(kStopLoss, 9, 1));
}

TEST(StopRules, ZeroPricesNeverDivide) {
    Probe zeroClose(priced(0, 0, 0, 0), 1000, false, 1200, 0);
    EXPECT_FALSE(zeroClose.fires(kStopLoss, 0, 0));
    EXPECT_FALSE(zeroClose.fires(kStopLoss, 2, 0));
    EXPECT_FALSE(zeroClose.fires(kStopTrailing, 0, 0));
    EXPECT_FALSE(zeroClose.fires(kStopTrailing, 2, 0));
    Probe zeroEntry(priced(950, 960, 880, 900), 0, true);
    EXPECT_FALSE(zeroEntry.fires(kStopLoss, 0, 0));
    EXPECT_FALSE(zeroEntry.fires(kStopLoss, 2, 0));
    // Take-profit needs an entry price on either side.
    EXPECT_FALSE(zeroEntry.fires(kStopProfit, 1, -5000));
    zeroEntry.in.shortPosition = false;
    EXPECT_FALSE(zeroEntry.fires(kStopProfit, 0, -100));
}

TEST(StopRules, TrailingLimitsMirrorEachOther) {
    // Long: highest high 1,200 since entry; a low of 1,070 lies 10.8 % under it.
    Probe longs(priced(1100, 1110, 1070, 1090), 1000, false, 1200, 950);
    EXPECT_TRUE(longs.fires(kStopTrailing, 0, 10));  // 1200 * 100 / 1090 = 110
    EXPECT_FALSE(longs.fires(kStopTrailing, 0, 11));
    EXPECT_TRUE(longs.fires(kStopTrailing, 2, 10));  // 1200 * 100 / 1070 = 112
    EXPECT_EQ(longs.fill, 1080);                     // 1200 - 10 % of 1200
    EXPECT_TRUE(longs.fires(kStopTrailing, 3, 130));
    EXPECT_EQ(longs.fill, 1070);
    EXPECT_FALSE(longs.fires(kStopTrailing, 3, 131));

    // Short: lowest low 800 since entry; a high of 890 lies 11.25 % above it.
    Probe shorts(priced(860, 890, 850, 870), 1000, true, 1200, 800);
    EXPECT_TRUE(shorts.fires(kStopTrailing, 0, 8));  // 870 * 100 / 800 = 108
    EXPECT_TRUE(shorts.fires(kStopTrailing, 2, 10));
    EXPECT_EQ(shorts.fill, 880);
    EXPECT_TRUE(shorts.fires(kStopTrailing, 3, 90));
    EXPECT_EQ(shorts.fill, 890);
    EXPECT_FALSE(shorts.fires(kStopTrailing, 3, 91));
    // No bar since the entry yet: nothing trails.
    shorts.in.trailLow = 0;
    EXPECT_FALSE(shorts.fires(kStopTrailing, 1, -1000));
}

TEST(StopRules, LimitStopClosesAtItsLevelInARun) {
    test::SimulationCase c;
    c.bars = test::candles("---u--D-");
    c.settings.defaultFill = 1;
    c.strategy.split = {kSplitUnits, 1, 0, 0};
    c.unitShares = 100;
    test::addRow(c.tactic().buy, test::rising());
    // Trailing 3 % under the highest high since entry: bar 6 raises it to
    // 1,065, and bar 7's low of 995 reaches 1,034.
    test::addRow(c.tactic().stop, stopRule(kStopTrailing, 2, 3));
    const SimulationResult r = c.run().result;
    EXPECT_EQ(c.bar(6).tradeMark, kMarkNone);
    EXPECT_EQ(c.bar(7).tradeMark, kMarkLongStop);
    EXPECT_EQ(c.bar(7).tradePerShare, 1034 - 1010);
    EXPECT_EQ(r.totalProfit, (1034 - 1010) * 100);
    EXPECT_EQ(r.position, 0);
}

}  // namespace
}  // namespace tav
