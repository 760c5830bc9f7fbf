#include "simulation/simulation_engine.h"

#include <gtest/gtest.h>

#include "simulation/position_sizing.h"
#include "simulation_fixture.h"

namespace tav {
namespace {

using test::addRow;
using test::bigRise;
using test::candles;
using test::falling;
using test::rising;
using test::SimulationCase;

// Buys on a rising bar, sells on a falling one, at the signal bar's close.
SimulationCase risingFalling(std::string_view pattern) {
    SimulationCase c;
    c.bars = candles(pattern);
    c.settings.defaultFill = 1;
    addRow(c.tactic().buy, rising());
    addRow(c.tactic().sell, falling());
    return c;
}

TEST(SimulationEngine, CommissionMinimumAndTaxOnOneTrade) {
    // One unit of 1,000 shares bought at 1,000 and sold at 1,050.
    SimulationCase c;
    c.bars = candles("---u-d-");
    c.bars[5].open = 1050;
    c.unitShares = 1000;
    c.strategy.split = {kSplitUnits, 1, 0, 0};
    addRow(c.tactic().buy, rising());
    addRow(c.tactic().sell, falling());
    c.tactic().buy.fillPrice = 1;  // 当日始値
    c.tactic().sell.fillPrice = 1;
    c.settings.commissionKind = kCommissionRate;
    c.settings.commissionValue = 10;
    c.settings.taxKind = 1;
    c.settings.taxRate = 1000;

    SimulationResult r = c.run().result;
    EXPECT_EQ(r.trades, 1);
    EXPECT_EQ(r.wins, 1);
    EXPECT_EQ(r.totalProfit, 50000);
    EXPECT_EQ(r.totalCommission, 1000 + 1050);
    EXPECT_EQ(r.tax, 5000);
    EXPECT_EQ(r.equity, 1000000 - 1000 + 50000 - 1050);
    EXPECT_EQ(c.bar(3).tradeMark, kMarkLongEntry);
    EXPECT_EQ(c.bar(3).tradeUnits, 1);
    EXPECT_EQ(c.bar(5).tradeMark, kMarkLongExit);
    EXPECT_EQ(c.bar(5).tradePerShare, 50);

    c.settings.commissionMinimum = 1500;
    EXPECT_EQ(c.run().result.totalCommission, 3000);

    // A loss pays no tax.
    c.bars[5].open = 950;
    c.bars[5].close = 940;
    r = c.run().result;
    EXPECT_EQ(r.totalProfit, -50000);
    EXPECT_EQ(r.tax, 0);
    EXPECT_EQ(r.grossLoss, -50000);
    EXPECT_EQ(r.maxLoss, -50000);
}

TEST(SimulationEngine, CommissionKinds) {
    SimulationSettings s;
    s.commissionKind = kCommissionRate;
    s.commissionValue = 10;
    EXPECT_EQ(commissionFor(s, 1000 * 1000), 1000);
    s.commissionMinimum = 1500;
    EXPECT_EQ(commissionFor(s, 1000 * 1000), 1500);
    EXPECT_EQ(commissionFor(s, 2000 * 1000), 2000);
    s.commissionKind = kCommissionFixed;
    s.commissionValue = 300;
    EXPECT_EQ(commissionFor(s, 1), 1500);
    s.commissionMinimum = 0;
    EXPECT_EQ(commissionFor(s, 1), 300);
    // No commission has no minimum either; large amounts do not overflow.
    s.commissionKind = kCommissionNone;
    s.commissionMinimum = 1500;
    EXPECT_EQ(commissionFor(s, 123456), 0);
    s.commissionKind = kCommissionRate;
    s.commissionValue = 10;
    EXPECT_EQ(commissionFor(s, int64_t{5'000'000'000}), 5'000'000);
}

TEST(SimulationEngine, TriggerEntersOnALaterBar) {
    SimulationCase c;
    c.settings.defaultFill = 1;
    addRow(c.tactic().buy, rising());
    addRow(c.tactic().buy, bigRise(kRoleTrigger));
    addRow(c.tactic().sell, falling());

    // The trigger holds on the setup bar too, but only the next one enters.
    c.bars = candles("---UU-");
    c.run();
    EXPECT_EQ(c.bar(3).tradeMark, kMarkNone);
    EXPECT_EQ(c.bar(4).tradeMark, kMarkLongEntry);

    // The setup waits through bars without the trigger.
    c.bars = candles("---UuuU-");
    c.run();
    EXPECT_EQ(c.bar(4).tradeMark, kMarkNone);
    EXPECT_EQ(c.bar(5).tradeMark, kMarkNone);
    EXPECT_EQ(c.bar(6).tradeMark, kMarkLongEntry);

    // A filter that fails blocks the trigger.
    addRow(c.tactic().buy, rising(kRoleFilter, 1));
    c.bars = candles("---UU-UU");
    c.run();
    EXPECT_EQ(c.bar(6).tradeMark, kMarkNone);  // yesterday was flat
    EXPECT_EQ(c.bar(7).tradeMark, kMarkLongEntry);
}

TEST(SimulationEngine, ReentryOnTheClosingBarOnlyInMixedMode) {
    // Sells the day after a rising bar: bar 4 closes what bar 3 opened while
    // its own rise is a buy signal.
    SimulationCase c;
    c.bars = candles("---uu-");
    c.settings.defaultFill = 1;
    addRow(c.tactic().buy, rising());
    addRow(c.tactic().sell, rising(kRoleNormal, 1));

    SimulationResult r = c.run().result;
    EXPECT_EQ(c.bar(4).tradeMark, kMarkLongExit);
    EXPECT_EQ(c.bar(4).tradeReentry, 0);
    EXPECT_EQ(r.trades, 1);
    EXPECT_EQ(r.position, 0);

    c.strategy.tradingMode = kModeMixed;
    r = c.run().result;
    EXPECT_EQ(c.bar(4).tradeMark, kMarkLongEntry);
    EXPECT_EQ(c.bar(4).tradeReentry, 1);
    EXPECT_EQ(c.bar(5).tradeMark, kMarkLongExit);
    EXPECT_EQ(r.trades, 2);
}

TEST(SimulationEngine, ShortsDayTradesAndTheOwnerTactic) {
    // Short only: a fall sells short at 1,000, a rise buys back at 1,010.
    SimulationCase c = risingFalling("---d-u-");
    c.strategy.tradingMode = kModeShort;
    SimulationResult r = c.run().result;
    EXPECT_EQ(c.bar(3).tradeMark, kMarkShortEntry);
    EXPECT_EQ(c.bar(5).tradeMark, kMarkShortExit);
    EXPECT_EQ(c.bar(5).tradePerShare, -10);
    EXPECT_EQ(r.totalProfit, -10 * 1000);
    EXPECT_EQ(r.wins, 0);

    // A day trade buys at the open and sells at the close of the same bar.
    c = risingFalling("---u--");
    c.tactic().buy.fillPrice = 1;
    c.tactic().sell = TacticColumns{};
    addRow(c.tactic().sell, rising());
    c.tactic().sell.fillPrice = kFillDayTrade;
    r = c.run().result;
    EXPECT_EQ(c.bar(3).tradeMark, kMarkLongDayTradeExit);
    EXPECT_EQ(c.bar(3).tradeUnits, 0);
    EXPECT_EQ(r.trades, 1);
    EXPECT_EQ(r.totalProfit, 10 * 1000);
    EXPECT_EQ(r.position, 0);

    // The first tactic's setup waits for its trigger; meanwhile the second
    // tactic, which needs none, is not looked at.
    c = risingFalling("---uuU-");
    c.strategy.tactics.insert(c.strategy.tactics.begin(), Tactic{});
    addRow(c.tactic(0).buy, rising());
    addRow(c.tactic(0).buy, bigRise(kRoleTrigger));
    c.run();
    EXPECT_EQ(c.bar(3).tradeMark, kMarkNone);
    EXPECT_EQ(c.bar(4).tradeMark, kMarkNone);
    EXPECT_EQ(c.bar(5).tradeMark, kMarkLongEntry);
    c.tactic(0).disabled = 1;
    c.run();
    EXPECT_EQ(c.bar(3).tradeMark, kMarkLongEntry);
}

TEST(SimulationEngine, ZeroUnitPositionStillTrades) {
    SimulationCase c = risingFalling("---u-d-");
    c.settings.capital = 500;  // less than one unit
    addRow(c.tactic().stop, stopRule(kStopTimeOver, 0, 0));
    const SimulationResult r = c.run().result;
    EXPECT_EQ(c.bar(3).tradeMark, kMarkLongEntry);
    EXPECT_EQ(c.bar(3).tradeUnits, 0);
    // The stop needs units; the sell signal closes it at profit 0, a loss.
    EXPECT_EQ(c.bar(4).tradeMark, kMarkNone);
    EXPECT_EQ(c.bar(5).tradeMark, kMarkLongExit);
    EXPECT_EQ(c.bar(5).tradePerShare, -10);
    EXPECT_EQ(r.trades, 1);
    EXPECT_EQ(r.wins, 0);
    EXPECT_EQ(r.totalProfit, 0);
    EXPECT_EQ(r.grossLoss, 0);
    EXPECT_EQ(r.equity, 500);
}

TEST(SimulationEngine, TimeOverClosesOnTheSixthBarAfterEntry) {
    SimulationCase c = risingFalling("---u--------");
    addRow(c.tactic().stop, stopRule(kStopTimeOver, 0, 5));
    const SimulationResult r = c.run().result;
    for (int j = 4; j < 9; ++j)
        EXPECT_EQ(c.bar(j).tradeMark, kMarkNone) << j;
    EXPECT_EQ(c.bar(9).tradeMark, kMarkLongStop);
    EXPECT_EQ(c.bar(9).tradePerShare, 1000 - 1010);
    EXPECT_EQ(r.trades, 1);
}

TEST(SimulationEngine, ReversalOpensNothingForTheSideHeld) {
    SimulationCase c = risingFalling("---uu-d-");
    c.strategy.tradingMode = kModeReverse;
    c.settings.commissionKind = kCommissionFixed;
    c.settings.commissionValue = 100;
    const SimulationResult r = c.run().result;
    EXPECT_EQ(c.bar(3).tradeMark, kMarkLongEntry);
    // A second buy signal neither adds units nor charges a fee.
    EXPECT_EQ(c.bar(4).tradeMark, kMarkNone);
    EXPECT_EQ(c.bar(4).tradeUnits, 0);
    // The sell signal closes the long and opens a short on the same bar.
    EXPECT_EQ(c.bar(6).tradeMark, kMarkShortEntry);
    EXPECT_EQ(c.bar(6).tradeReentry, 1);
    EXPECT_EQ(c.bar(6).tradePerShare, 1000 - 1010);
    EXPECT_EQ(r.trades, 1);
    EXPECT_EQ(r.totalCommission, 300);
    EXPECT_EQ(r.position, 2);
    // Reversed at 1,000 with the equity left after the loss and the fees.
    EXPECT_EQ(r.units, (1000000 - 100 - 10 * (1000000 / 1010) - 100) / 1000);
}

TEST(SimulationEngine, CloseWithoutANextBarKeepsThePositionOpen) {
    // Next-bar fills: bought at bar 4's open, the sell signal on the last bar
    // has no price yet.
    SimulationCase c;
    c.bars = candles("---u-d");
    c.bars[4].open = 980;
    addRow(c.tactic().buy, rising());
    addRow(c.tactic().sell, falling());
    RunOutcome outcome = c.run();
    EXPECT_EQ(c.bar(3).tradeMark, kMarkLongEntry);
    EXPECT_EQ(c.bar(5).tradeMark, kMarkNone);
    EXPECT_EQ(outcome.result.trades, 0);
    EXPECT_EQ(outcome.result.position, 1);
    EXPECT_EQ(outcome.result.entryPrice, 980);
    EXPECT_EQ(outcome.result.units, 1000000 / 980);
    EXPECT_EQ(outcome.result.openPerShare, 1000 - 980);
    EXPECT_EQ(outcome.result.openProfit, (1000000 / 980) * 20);
    EXPECT_EQ(outcome.result.equity, 1000000);
    // Screening still sees the exit signal.
    EXPECT_EQ(c.run(RunKind::Signal, true).signal, kExitSignal);
    EXPECT_EQ(c.run(RunKind::Signal, false).signal, kNoSignal);

    // An entry on the last bar takes its close as the trade price.
    c.bars = candles("----u");
    outcome = c.run(RunKind::Signal);
    EXPECT_EQ(outcome.signal, kEntrySignal);
    EXPECT_EQ(outcome.result.entryPrice, 1010);
}

TEST(SimulationEngine, MoneyAndUnitsDoNotWrap) {
    SimulationCase c;
    c.bars = candles("---u-d-");
    c.bars[5].open = 3000;
    c.unitShares = 1000;
    c.settings.capital = 2'000'000'000;
    c.settings.taxKind = 1;
    addRow(c.tactic().buy, rising());
    addRow(c.tactic().sell, falling());
    c.tactic().buy.fillPrice = 1;
    c.tactic().sell.fillPrice = 1;
    const SimulationResult r = c.run().result;
    EXPECT_EQ(c.bar(3).tradeUnits, 2000);
    EXPECT_EQ(r.totalProfit, int64_t{2000} * 2000 * 1000);
    EXPECT_EQ(r.tax, int64_t{400'000'000});

    // All in at 10 yen a share: far more units than 16 bits hold.
    SizingState state{1'000'000, 0, 0, 1, 0, 1'000'000};
    EXPECT_EQ(sizeFor(SplitSettings{}, state, 10, false), 100000);
    state.equity = -5000;
    EXPECT_EQ(sizeFor(SplitSettings{}, state, 10, false), 0);
    EXPECT_EQ(sizeFor(SplitSettings{}, state, 0, false), 0);
}

TEST(SimulationEngine, SplitMethods) {
    SizingState state{1'000'000, 0, 0, 100, 0, 1'000'000};
    // 定数法: amount + count * step units, in 16 bits, never negative.
    SplitSettings units{kSplitUnits, 3, -1, 0};
    EXPECT_EQ(sizeFor(units, state, 1000, false), 3);
    state.splitCount = 4;
    EXPECT_EQ(sizeFor(units, state, 1000, false), 0);
    state.splitCount = 0;
    units.amount = 70000;  // 70000 wraps to 4464 in 16 bits
    units.step = 0;
    EXPECT_EQ(sizeFor(units, state, 1, false), 4464);
    EXPECT_EQ(sizeFor(units, state, 1000, false), 0);  // 4464 units cost too much

    // 定率法: a share of the capital at first, at least one unit; of
    // equity plus held value for an add.
    SplitSettings percent{kSplitPercent, 10, 5, 0};
    EXPECT_EQ(sizeFor(percent, state, 1000, false), 1);   // 100,000 / 100,000
    EXPECT_EQ(sizeFor(percent, state, 30000, false), 0);  // one unit costs 3,000,000
    state.units = 2;
    state.entryPrice = 1000;
    state.splitCount = 1;
    EXPECT_EQ(sizeFor(percent, state, 500, true), 3);  // 15 % of 1,200,000 / 50,000

    // 定額法: yen per purchase, raised to one unit's cost.
    state = SizingState{1'000'000, 0, 0, 100, 0, 1'000'000};
    SplitSettings yen{kSplitYen, 250000, 0, 0};
    EXPECT_EQ(sizeFor(yen, state, 1000, false), 2);
    yen.amount = 10;
    EXPECT_EQ(sizeFor(yen, state, 1000, false), 1);
    yen.amount = -1;
    EXPECT_EQ(sizeFor(yen, state, 1000, false), 0);
}

TEST(SimulationEngine, AddsWhileTheSplitCapsuleHolds) {
    SimulationCase c = risingFalling("---uuud-");
    c.strategy.split = {kSplitUnits, 2, 1, 0};
    ConditionCapsule capsule;
    capsule.rowCount = 1;
    capsule.rows[0] = rising();
    c.capsules = {capsule};
    const SimulationResult r = c.run().result;
    EXPECT_EQ(c.bar(3).tradeUnits, 2);
    EXPECT_EQ(c.bar(4).tradeMark, kMarkLongEntry);
    EXPECT_EQ(c.bar(4).tradeUnits, 3);
    EXPECT_EQ(c.bar(5).tradeUnits, 4);
    EXPECT_EQ(c.bar(6).tradeMark, kMarkLongExit);
    EXPECT_EQ(r.totalProfit, (1000 - 1010) * 9);
}

TEST(SimulationEngine, RunWindow) {
    std::vector<DailyBar> bars = candles(std::string(120, '-'));  // 2024-01-01 ... 2024-05-08
    SimulationSettings s;
    ChartView view;
    RunWindow w = runWindow(bars, s, view, 2024);
    EXPECT_EQ(w.start, 3);
    EXPECT_EQ(w.end, 120);
    view = ChartView{100, 30, -1};
    w = runWindow(bars, s, view, 2024);
    EXPECT_EQ(w.start, 71);
    EXPECT_EQ(w.end, 101);
    view.selectedEnd = 80;
    EXPECT_EQ(runWindow(bars, s, view, 2024).end, 81);

    // Three months back from 2024-05-08: the last bar before 2024-02-08.
    s.periodKind = kPeriodThreeMonths;
    w = runWindow(bars, s, ChartView{}, 2024);
    EXPECT_EQ(std::string(bars[static_cast<std::size_t>(w.start)].dateText()), "20240207");
    EXPECT_FALSE(w.shortOfData);
    s.periodKind = kPeriodSixMonths;
    w = runWindow(bars, s, ChartView{}, 2024);
    EXPECT_TRUE(w.shortOfData);
    EXPECT_EQ(w.start, 3);

    // From February 2024 for three months: up to the last bar of April.
    s.periodKind = kPeriodThreeMonths;
    s.startYear = 1;
    s.startMonth = 1;
    w = runWindow(bars, s, ChartView{}, 2024);
    EXPECT_EQ(std::string(bars[static_cast<std::size_t>(w.start)].dateText()), "20240128");
    EXPECT_EQ(std::string(bars[static_cast<std::size_t>(w.end)].dateText()), "20240428");
    // A start year with no bars before it.
    s.startYear = 3;
    w = runWindow(bars, s, ChartView{}, 2024);
    EXPECT_TRUE(w.shortOfData);
    EXPECT_GE(w.end, w.start);
}

}  // namespace
}  // namespace tav

namespace tav {
namespace {

// A limit row: yesterday's close moved by `percent`.
Condition limitRow(int16_t percent) { return Condition{0, 0, 0, 4, 0, 0, 1, percent, 0, 0}; }

TEST(SimulationEngine, LimitRowsFillTheirSignalAtTheLimit) {
    struct Case {
        const char* name;
        int32_t buyDayLow;    // bar 3's low; the buy limit is 990
        int32_t sellDayHigh;  // bar 5's high; the sell limit is 1,010
        int entryBar;         // -1: no entry
        int32_t entryPrice;
        int32_t perShare;  // on bar 5
    };
    const Case cases[] = {
        {"both inside the range", 985, 1020, 3, 990, 20},
        {"buy limit at the low", 990, 1020, -1, 0, 0},
        {"sell limit at the high", 985, 1010, 3, 990, 0},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        test::SimulationCase c;
        c.bars = test::candles("--------");
        c.bars[3].low = k.buyDayLow;
        c.bars[5].high = k.sellDayHigh;
        c.settings.defaultFill = 1;  // the close, 1,000, unless the limit fills
        test::addRow(c.tactic().buy, limitRow(-1));
        test::addRow(c.tactic().sell, limitRow(1));
        const SimulationResult r = c.run().result;
        if (k.entryBar < 0) {
            EXPECT_EQ(r.trades, 0);
            EXPECT_EQ(r.position, 0);
            continue;
        }
        EXPECT_EQ(c.bar(k.entryBar).tradeMark, kMarkLongEntry);
        ASSERT_FALSE(c.journal.fills.empty());
        EXPECT_EQ(c.journal.fills[0].price, 990);
        const int64_t units = 1000000 / 990;
        if (k.perShare != 0) {
            EXPECT_EQ(c.bar(5).tradeMark, kMarkLongExit);
            EXPECT_EQ(c.bar(5).tradePerShare, k.perShare);
            EXPECT_EQ(r.totalProfit, k.perShare * units);
        } else {
            EXPECT_EQ(r.position, 1);
            EXPECT_EQ(r.entryPrice, 990);
            EXPECT_EQ(r.units, units);
        }
    }
}

}  // namespace
}  // namespace tav
