#include "simulation/trade_insight.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>
#include <numeric>
#include <random>

#include "data/price_store.h"
#include "simulation/insight_export.h"
#include "simulation_fixture.h"
#include "support/temp_folder.h"

namespace tav {
namespace {

using test::addRow;
using test::candles;
using test::falling;
using test::rising;
using test::SimulationCase;

TradeInsight insightOf(const SimulationCase& c) {
    TradeInsight insight;
    computeInsight(c.bars, c.journal, insight);
    return insight;
}

TEST(TradeInsight, LongTradeThenOpenPositionWithCommissionAndTax) {
    // Long at 1,010 on bar 3, out at 1,100 on bar 5; long again at 1,010 on
    // bar 7, still held at the close of 1,000. One unit of 100 shares.
    SimulationCase c;
    c.bars = candles("---u-d-u--");
    c.bars[5].open = 1200;
    c.bars[5].close = 1100;
    c.unitShares = 100;
    c.settings.defaultFill = 1;
    c.settings.commissionKind = kCommissionRate;
    c.settings.commissionValue = 10;
    c.settings.taxKind = 1;
    c.strategy.split = {kSplitUnits, 1, 0, 0};
    addRow(c.tactic().buy, rising());
    addRow(c.tactic().sell, falling());
    const SimulationResult r = c.run().result;
    const TradeInsight in = insightOf(c);

    ASSERT_EQ(in.trips.size(), 2u);
    const RoundTrip& first = in.trips[0];
    EXPECT_EQ(first.side, 1);
    EXPECT_EQ(first.entryBar, 3);
    EXPECT_EQ(first.exitBar, 5);
    EXPECT_EQ(first.entryPrice, 1010);
    EXPECT_EQ(first.exitPrice, 1100);
    EXPECT_EQ(first.gross, 9000);
    EXPECT_EQ(first.commission, 101 + 110);
    EXPECT_EQ(first.net(), 9000 - 211);
    EXPECT_EQ(first.barsHeld(), 2);
    EXPECT_EQ(first.reason, ExitReason::Signal);
    const RoundTrip& last = in.trips[1];
    EXPECT_EQ(last.reason, ExitReason::Open);
    EXPECT_EQ(last.exitBar, 9);
    EXPECT_EQ(last.exitPrice, 1000);
    EXPECT_EQ(last.gross, -1000);
    EXPECT_EQ(last.commission, 101);
    EXPECT_EQ(in.tax, 900);
    EXPECT_EQ(r.tax, 900);

    const std::vector<int64_t> expected = {999899,  998899,  1008789, 1008789,
                                           1008688, 1007688, 1007688};
    ASSERT_EQ(in.equity.size(), expected.size());
    for (std::size_t k = 0; k < expected.size(); ++k) {
        EXPECT_EQ(in.equity[k].bar, static_cast<int>(k) + 3);
        EXPECT_EQ(in.equity[k].equity, expected[k]) << "bar " << k + 3;
    }
    EXPECT_EQ(in.equity.back().equity, r.equity + r.openProfit);
    EXPECT_EQ(in.equity[1].drawdown, -1101);
    EXPECT_EQ(in.equity[5].drawdown, -1101);

    // The first fall, from the capital, is the deepest (a tie later does not
    // replace it); it recovered on bar 5. Bars 7 to 9 are the longer spell.
    EXPECT_EQ(in.maxDrawdown.amount, -1101);
    EXPECT_EQ(in.maxDrawdown.peakBar, 3);
    EXPECT_EQ(in.maxDrawdown.troughBar, 4);
    EXPECT_EQ(in.maxDrawdown.recoveryBar, 5);
    EXPECT_NEAR(in.maxDrawdown.percent, -0.1101, 1e-9);
    EXPECT_EQ(in.longestUnderWater, 3);
    EXPECT_EQ(in.underWaterFrom, 7);
    EXPECT_EQ(in.underWaterTo, 9);
    EXPECT_DOUBLE_EQ(in.exposure, 6.0 / 7.0);

    const std::string csv = tripsCsv(in, c.bars, std::vector<std::string>{"戦術,1"});
    EXPECT_EQ(csv,
              "tactic,side,entryDate,entryPrice,exitDate,exitPrice,units,gross,commission,net,"
              "barsHeld,reason\n"
              "\"戦術,1\",long,20240104,1010,20240106,1100,1,9000,211,8789,2,signal\n"
              "\"戦術,1\",long,20240108,1010,20240110,1000,1,-1000,101,-1101,2,open\n");
    EXPECT_TRUE(equityCsv(in, c.bars)
                    .starts_with("date,equity,drawdown\n20240104,999899,-101\n"
                                 "20240105,998899,-1101\n"));
}

// One position each, hand-worked: which side, where it ends, at what, and why.
TEST(TradeInsight, ShortsStopsAndTimeOver) {
    struct Case {
        const char* name;
        const char* pattern;
        uint8_t mode;
        Condition stop;
        int exitBar;
        int32_t exitPrice;
        int64_t gross;
        int64_t commission;
        ExitReason reason;
    };
    const Condition none{};
    const Case cases[] = {
        // Short at 1,000 on the falling bar 3, covered at 1,015 on the rising bar 4.
        {"short by signal", "---d---", kModeShort, none, 4, 1015, -1500, 600, ExitReason::Signal},
        // Long at 1,010; the close of 985 on bar 5 is 25 below: the 20 yen stop.
        {"stop-loss", "---u-----", kModeLong, stopRule(kStopLoss, 1, 20), 5, 985, -2500, 600,
         ExitReason::StopLoss},
        // Long at 1,010; 5 above the entry on bar 4's close of 1,015.
        {"take-profit", "---u-----", kModeLong, stopRule(kStopProfit, 1, 5), 4, 1015, 500, 600,
         ExitReason::TakeProfit},
        // Held more than 2 bars after bar 3: out on bar 6 at 1,000.
        {"time-over", "---u-----", kModeLong, stopRule(kStopTimeOver, 0, 2), 6, 1000, -1000, 600,
         ExitReason::TimeOver},
    };
    for (const Case& k : cases) {
        SCOPED_TRACE(k.name);
        SimulationCase c;
        c.bars = candles(k.pattern);
        c.bars[4].close = 1015;
        c.bars[5].open = 980;  // rising: no sell signal for a long
        c.bars[5].close = 985;
        c.unitShares = 100;
        c.settings.defaultFill = 1;
        c.settings.commissionKind = kCommissionFixed;
        c.settings.commissionValue = 300;
        c.strategy.tradingMode = k.mode;
        c.strategy.split = {kSplitUnits, 1, 0, 0};
        addRow(c.tactic().buy, rising());
        addRow(c.tactic().sell, falling());
        if (k.stop.category != 0 || k.stop.p1 != 0) addRow(c.tactic().stop, k.stop);
        const SimulationResult r = c.run().result;
        const TradeInsight in = insightOf(c);
        ASSERT_FALSE(in.trips.empty());
        const RoundTrip& trip = in.trips.front();
        EXPECT_EQ(trip.side, k.mode == kModeShort ? 2 : 1);
        EXPECT_EQ(trip.entryBar, 3);
        EXPECT_EQ(trip.exitBar, k.exitBar);
        EXPECT_EQ(trip.exitPrice, k.exitPrice);
        EXPECT_EQ(trip.gross, k.gross);
        EXPECT_EQ(trip.commission, k.commission);
        EXPECT_EQ(trip.reason, k.reason);
        EXPECT_EQ(in.equity.back().equity, r.equity + r.openProfit);
    }
}

// Random strategies of price conditions, limit prices, stops, splitting and
// fees. The trade list and the curve must add up to the result block, and the
// journal must leave the run as it was.
void checkReconciles(std::vector<DailyBar> bars, std::mt19937_64& random, int strategies) {
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    auto row = [&](int16_t role) -> Condition {
        switch (pick(0, 3)) {
            case 0:
                return rising(role, static_cast<int16_t>(pick(0, 1)));
            case 1:
                return falling(role);
            case 2:  // a limit price around an earlier price
                return Condition{0, role, 0, 4, static_cast<int16_t>(pick(0, 3)), 0,
                                 static_cast<int16_t>(pick(0, 3)), static_cast<int16_t>(pick(-3, 3)),
                                 0, 0};
            default:  // a price against an earlier price, any action
                return Condition{0, role, 0, static_cast<int16_t>(pick(0, 3)),
                                 static_cast<int16_t>(pick(0, 6)), static_cast<int16_t>(pick(0, 5)),
                                 static_cast<int16_t>(pick(0, 5)), static_cast<int16_t>(pick(-2, 2)),
                                 static_cast<int16_t>(pick(-1, 1)), 0};
        }
    };
    for (int s = 0; s < strategies; ++s) {
        SimulationCase c;
        c.bars = bars;
        c.capsules.resize(1);
        c.capsules[0].rows[0] = rising();
        c.capsules[0].rowCount = 1;
        c.strategy.tradingMode = static_cast<uint8_t>(pick(0, 3));
        c.strategy.split = {static_cast<uint8_t>(pick(0, 3)), pick(1, 30), pick(-2, 3), 0};
        for (int t = pick(1, 3); t > 0; --t) {
            Tactic& tactic = c.tactic(static_cast<std::size_t>(t - 1));
            tactic.side = static_cast<uint8_t>(pick(0, 1));
            for (TacticColumns* columns : {&tactic.buy, &tactic.sell}) {
                columns->logic = static_cast<int16_t>(pick(0, 1));
                columns->fillPrice = static_cast<int16_t>(pick(0, 13));
                for (int n = pick(1, 3); n > 0; --n)
                    addRow(*columns, row(static_cast<int16_t>(pick(0, 5) == 0 ? pick(1, 2) : 0)));
            }
            if (pick(0, 1))
                addRow(tactic.stop, stopRule(static_cast<int16_t>(pick(0, 3)),
                                             static_cast<int16_t>(pick(0, 3)),
                                             static_cast<int16_t>(pick(1, 15))));
        }
        c.unitShares = std::array{1, 100, 1000}[static_cast<std::size_t>(pick(0, 2))];
        c.settings.defaultFill = static_cast<uint8_t>(pick(0, 1));
        c.settings.commissionKind = static_cast<uint8_t>(pick(0, 2));
        c.settings.commissionValue = static_cast<int16_t>(pick(1, 500));
        c.settings.commissionMinimum = static_cast<int16_t>(pick(0, 1) * pick(0, 2000));
        c.settings.taxKind = static_cast<uint8_t>(pick(0, 1));
        const int end = pick(4, static_cast<int>(c.bars.size()));

        const SimulationResult r = c.run(RunKind::Display, false, end).result;
        const std::vector<DailyBar> marked = c.bars;
        SimulationCase plain = c;
        const SimulationInputs noJournal{plain.strategy, plain.settings, plain.unitShares,
                                         ConditionInputs{plain.bars, 1, 13, 10, 25, plain.capsules}};
        ASSERT_EQ(runSimulation(plain.bars, noJournal, RunWindow{3, end, false}, RunKind::Display)
                      .result,
                  r);
        for (std::size_t b = 0; b < marked.size(); ++b)
            ASSERT_EQ(std::memcmp(&marked[b], &plain.bars[b], sizeof(DailyBar)), 0) << "bar " << b;

        const TradeInsight in = insightOf(c);
        SCOPED_TRACE(testing::Message() << "strategy " << s << ", mode "
                                        << int{c.strategy.tradingMode} << ", end " << end);
        int64_t gross = 0, commission = 0;
        int closed = 0, wins = 0;
        for (const RoundTrip& trip : in.trips) {
            commission += trip.commission;
            if (trip.reason == ExitReason::Open) continue;
            gross += trip.gross;
            ++closed;
            wins += trip.gross > 0;
        }
        EXPECT_EQ(gross, r.totalProfit);
        EXPECT_EQ(commission, r.totalCommission);
        EXPECT_EQ(closed, r.trades);
        EXPECT_EQ(wins, r.wins);
        const bool openAtEnd = !in.trips.empty() && in.trips.back().reason == ExitReason::Open;
        EXPECT_EQ(openAtEnd, r.position != 0);
        if (openAtEnd) {
            EXPECT_EQ(in.trips.back().units, r.units);
            EXPECT_EQ(in.trips.back().entryPrice, r.entryPrice);
            EXPECT_EQ(in.trips.back().gross, r.openProfit);
        }
        ASSERT_EQ(static_cast<int>(in.equity.size()), end - 3);
        EXPECT_EQ(in.equity.back().equity, r.equity + r.openProfit);
        int64_t peak = r.capital, deepest = 0;
        for (const EquityPoint& point : in.equity) {
            peak = std::max(peak, point.equity);
            deepest = std::min(deepest, point.equity - peak);
            ASSERT_EQ(point.drawdown, point.equity - peak) << "bar " << point.bar;
        }
        EXPECT_EQ(in.maxDrawdown.amount, deepest);
        if (::testing::Test::HasFailure()) return;
    }
}

TEST(TradeInsight, ReconcilesWithTheResultBlockOnRandomStrategies) {
    std::mt19937_64 random(19);
    std::vector<DailyBar> bars = candles(std::string(260, '-'));
    // A random walk with wide days, so that limits, stops and crossings fire.
    int32_t level = 1000;
    for (DailyBar& bar : bars) {
        const int32_t open = level + std::uniform_int_distribution<int32_t>(-15, 15)(random);
        level = std::max(20, open + std::uniform_int_distribution<int32_t>(-25, 25)(random));
        bar.open = open;
        bar.close = level;
        bar.high = std::max(open, level) + std::uniform_int_distribution<int32_t>(0, 12)(random);
        bar.low = std::min(open, level) - std::uniform_int_distribution<int32_t>(0, 12)(random);
    }
    checkReconciles(bars, random, 400);
}

TEST(TradeInsight, ReconcilesOnTheRealSeries) {
    const std::filesystem::path folder = test::realDataFolder();
    if (folder.empty()) GTEST_SKIP() << "no real data beside the checkout";
    std::mt19937_64 random(1019);
    int files = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder / "Data")) {
        if (files++ % 40 != 0) continue;
        std::vector<DailyBar> bars = loadSeries(entry.path().string());
        if (bars.size() < 10) continue;
        SCOPED_TRACE(entry.path().string());
        checkReconciles(std::move(bars), random, 8);
        if (::testing::Test::HasFailure()) return;
    }
}

}  // namespace
}  // namespace tav
