#include <gtest/gtest.h>

#include <map>
#include <tuple>

#include "portfolio/portfolio_run.h"
#include "simulation/trade_insight.h"
#include "support/generated_market.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "workspace/screening.h"

namespace tav {
namespace {

constexpr int32_t kDay1 = 20240104;
constexpr int32_t kDay2 = 20240105;
constexpr int32_t kDay3 = 20240108;

// A security of 100-share units, closing at `close` on the three days.
SecuritySignals security(StockCode code, int32_t close, std::vector<Signal> signals) {
    return {code, "", 100, std::move(signals), {{kDay1, close}, {kDay2, close}, {kDay3, close}}};
}
Signal opening(int32_t date, int32_t price, int64_t units, int64_t score = 0) {
    return {date, FillKind::Open, 1, 0, ExitReason::Signal, units, price, score};
}
Signal closing(int32_t date, int32_t price, ExitReason reason = ExitReason::Signal) {
    return {date, FillKind::Close, 1, 0, reason, 0, price, 0};
}

PortfolioSettings account(int64_t capital, int maxPositions) {
    PortfolioSettings s;
    s.capital = capital;
    s.maxPositions = maxPositions;
    return s;
}

std::vector<std::pair<StockCode, EntryOutcome>> decisions(const PortfolioOutcome& out) {
    std::vector<std::pair<StockCode, EntryOutcome>> seen;
    for (const PortfolioTrade& t : out.trades)
        seen.emplace_back(out.securities[static_cast<std::size_t>(t.security)].code, t.outcome);
    return seen;
}

TEST(PortfolioWalk, TheScoreChoosesAmongMoreSignalsThanCashOrPositionsAllow) {
    // Three entries of 100,000 yen each on one day; ties keep the input order.
    const std::vector<SecuritySignals> market = {
        security(1001, 1000, {opening(kDay1, 1000, 1, 5)}),
        security(1002, 1000, {opening(kDay1, 1000, 1, 9)}),
        security(1003, 1000, {opening(kDay1, 1000, 1, 7)}),
        security(1004, 1000, {opening(kDay1, 1000, 1, 5)}),
    };
    using E = EntryOutcome;
    const struct {
        int64_t capital;
        int maxPositions;
        std::vector<std::pair<StockCode, EntryOutcome>> expected;
    } cases[] = {
        {250'000,
         0,
         {{1002, E::Taken}, {1003, E::Taken}, {1001, E::SkippedCash}, {1004, E::SkippedCash}}},
        {1'000'000,
         1,
         {{1002, E::Taken},
          {1003, E::SkippedLimit},
          {1001, E::SkippedLimit},
          {1004, E::SkippedLimit}}},
        {1'000'000,
         3,
         {{1002, E::Taken}, {1003, E::Taken}, {1001, E::Taken}, {1004, E::SkippedLimit}}},
    };
    for (const auto& c : cases) {
        const auto out =
            walkAccount(account(c.capital, c.maxPositions), SimulationSettings{}, market);
        EXPECT_EQ(decisions(out), c.expected) << c.capital << ' ' << c.maxPositions;
        const int taken = static_cast<int>(std::count_if(
            c.expected.begin(), c.expected.end(), [](auto& d) { return d.second == E::Taken; }));
        EXPECT_EQ(out.days.back().cash, c.capital - taken * 100'000);
        EXPECT_EQ(out.days.back().positions, taken);
        EXPECT_EQ(out.skippedCash + out.skippedLimit, 4 - taken);
    }
}

TEST(PortfolioWalk, AnExitPaysForAnEntryOfTheSameDay) {
    // All the cash sits in 1001 until day 2, when it is sold before 1002 is bought.
    const std::vector<SecuritySignals> market = {
        security(1001, 1000, {opening(kDay1, 1000, 1), closing(kDay2, 1100)}),
        security(1002, 1050, {opening(kDay2, 1000, 1)}),
    };
    const auto out = walkAccount(account(100'000, 1), SimulationSettings{}, market);
    ASSERT_EQ(out.trades.size(), 2u);
    EXPECT_EQ(out.trades[0].outcome, EntryOutcome::Taken);
    EXPECT_EQ(out.trades[0].exitDate, kDay2);
    EXPECT_EQ(out.trades[0].profit, 10'000);
    EXPECT_EQ(out.trades[1].outcome, EntryOutcome::Taken);
    EXPECT_EQ(out.trades[1].reason, ExitReason::Open);
    EXPECT_EQ(out.trades[1].profit, 5'000);  // held, valued at the last close
    const std::vector<PortfolioDay> days = {
        {kDay1, 100'000, 0, 0, 1},
        {kDay2, 115'000, 10'000, 0, 1},
        {kDay3, 115'000, 10'000, 0, 1},
    };
    EXPECT_EQ(out.days, days);
    EXPECT_EQ(out.summary.trades, 1);
    EXPECT_EQ(out.summary.equity, 110'000);
    EXPECT_EQ(out.summary.openProfit, 5'000);
}

TEST(PortfolioWalk, ADayTradeClosesAfterTheEntriesAndAShortGainsOnAFall) {
    Signal shortEntry = opening(kDay1, 1000, 1);
    shortEntry.side = 2;
    Signal cover = closing(kDay3, 900);
    cover.side = 2;
    const std::vector<SecuritySignals> market = {
        security(1001, 1050, {opening(kDay1, 1000, 1), closing(kDay1, 1050)}),
        security(1002, 950, {shortEntry, cover}),
    };
    const auto out = walkAccount(account(200'000, 2), SimulationSettings{}, market);
    ASSERT_EQ(out.trades.size(), 2u);
    EXPECT_EQ(out.trades[0].exitDate, kDay1);
    EXPECT_EQ(out.trades[0].profit, 5'000);
    EXPECT_EQ(out.trades[1].outcome, EntryOutcome::Taken);
    EXPECT_EQ(out.trades[1].profit, 10'000);
    const std::vector<PortfolioDay> days = {
        {kDay1, 210'000, 105'000, 0, 1},
        {kDay2, 210'000, 105'000, 0, 1},
        {kDay3, 215'000, 215'000, 0, 0},
    };
    EXPECT_EQ(out.days, days);
}

TEST(PortfolioWalk, SizingInRoundLots) {
    const struct {
        PositionSizing sizing;
        int64_t value;
        int32_t price;
        int64_t units;  // 0: skipped, the lot does not fit
    } cases[] = {
        {PositionSizing::Fixed, 150'000, 2000, 0},  {PositionSizing::Fixed, 150'000, 700, 2},
        {PositionSizing::EquityShare, 10, 1000, 1},  // a tenth of 1,000,000 buys one lot
        {PositionSizing::EquityShare, 9, 1000, 0},  {PositionSizing::Strategy, 0, 1000, 7},
    };
    for (const auto& c : cases) {
        PortfolioSettings s = account(1'000'000, 5);
        s.sizing = c.sizing;
        s.sizeValue = c.value;
        const std::vector<SecuritySignals> market = {
            security(1001, c.price, {opening(kDay1, c.price, 7)})};
        const auto out = walkAccount(s, SimulationSettings{}, market);
        ASSERT_EQ(out.trades.size(), 1u);
        EXPECT_EQ(out.trades[0].outcome,
                  c.units == 0 ? EntryOutcome::SkippedLot : EntryOutcome::Taken)
            << c.value << ' ' << c.price;
        if (c.units != 0) {
            EXPECT_EQ(out.trades[0].units, c.units) << c.value << ' ' << c.price;
        }
        EXPECT_EQ(out.skippedLot, c.units == 0 ? 1 : 0);
    }
}

TEST(PortfolioWalk, CommissionAndTaxAsTheStrategySettingsCharge) {
    SimulationSettings costs;
    costs.commissionKind = 1;  // 0.10 % of the amount
    costs.commissionValue = 10;
    costs.taxKind = 1;  // 10 % of a positive profit
    costs.taxRate = 1000;
    const std::vector<SecuritySignals> market = {
        security(1001, 1100, {opening(kDay1, 1000, 10), closing(kDay3, 1100)})};
    const auto out = walkAccount(account(2'000'000, 5), costs, market);
    ASSERT_EQ(out.trades.size(), 1u);
    EXPECT_EQ(out.trades[0].commission, 1'000 + 1'100);
    EXPECT_EQ(out.trades[0].net(), 97'900);
    EXPECT_EQ(out.summary.totalCommission, 2'100);
    EXPECT_EQ(out.summary.tax, 10'000);
    EXPECT_EQ(out.summary.equity, 2'097'900);
    EXPECT_EQ(out.days.front().cash, 2'000'000 - 1'000'000 - 1'000);
    EXPECT_EQ(netProfit(out.summary), 87'900);
    // With no room for the entry's commission the entry is skipped.
    const auto tight = walkAccount(account(1'000'500, 5), costs, market);
    EXPECT_EQ(tight.trades[0].outcome, EntryOutcome::SkippedCash);
    EXPECT_EQ(tight.days.back().equity, 1'000'500);
}

class GeneratedMarketAccount : public ::testing::Test {
  protected:
    void SetUp() override {
        test::GeneratedMarket{120, 320, 11}.writeTo(temp.str());
        workspace.loadSettings(std::nullopt);
    }
    PortfolioJob job(const PortfolioSettings& settings, int threads) {
        MultiRunSettings multi;
        auto prepared = prepareMultiRun(workspace, multi, threads);
        EXPECT_TRUE(prepared);
        return {std::move(prepared->scan), std::move(prepared->strategy.strategy),
                prepared->simulation, prepared->currentYear, settings};
    }

    test::TempFolder temp;
    test::TestPlatform platform;
    Workspace workspace{ProgramFolder(temp.str()), platform.platform()};
};

TEST_F(GeneratedMarketAccount, AnAmpleAccountTakesEveryTradeOfTheIndependentRuns) {
    // The strategy's own capital buys at least one unit of every security, so
    // that no independent trade is a position of 0 units.
    PortfolioJob run = job(account(int64_t{1} << 50, 0), 2);
    run.simulation.capital = 100'000'000;
    RunControl control;
    const auto out = runPortfolio(run, control);
    ASSERT_TRUE(out);
    EXPECT_EQ(out->skippedCash + out->skippedLimit + out->skippedLot, 0);

    using Trip =
        std::tuple<StockCode, int32_t, int32_t, int32_t, int32_t, int64_t, int64_t, ExitReason>;
    std::vector<Trip> account;
    for (const PortfolioTrade& t : out->trades)
        account.emplace_back(out->securities[static_cast<std::size_t>(t.security)].code,
                             t.entryDate, t.exitDate, t.entryPrice, t.exitPrice, t.units, t.profit,
                             t.reason);
    std::sort(account.begin(), account.end());

    std::vector<Trip> independent;
    int64_t profit = 0;
    int trades = 0;
    LoadedSecurity loaded;
    TradeJournal journal;
    TradeInsight insight;
    for (const std::string& line : run.scan.lines) {
        const ScanEntry entry = run.scan.entry(line);
        if (!run.scan.passesListFilters(entry) || !run.scan.load(entry, loaded)) continue;
        const ConditionInputs inputs = loaded.conditionInputs(run.scan.switches, run.scan.capsules);
        const SimulationInputs sim{run.strategy, run.simulation, loaded.security.unit, inputs,
                                   &journal};
        auto& bars = loaded.series.bars;
        const RunWindow window = runWindow(bars, run.simulation, ChartView{}, run.currentYear);
        const SimulationResult result =
            runSimulation(bars, sim, window, RunKind::Statistics).result;
        profit += result.totalProfit;
        trades += result.trades;
        computeInsight(bars, journal, insight);
        for (const RoundTrip& trip : insight.trips) {
            const bool held = trip.reason == ExitReason::Open;
            independent.emplace_back(
                entry.code,
                std::stoi(std::string(bars[static_cast<std::size_t>(trip.entryBar)].dateText())),
                held ? 0
                     : std::stoi(
                           std::string(bars[static_cast<std::size_t>(trip.exitBar)].dateText())),
                trip.entryPrice, trip.exitPrice, trip.units, trip.gross, trip.reason);
        }
    }
    std::sort(independent.begin(), independent.end());
    ASSERT_GT(independent.size(), 100u);
    EXPECT_EQ(account, independent);
    EXPECT_EQ(out->summary.totalProfit, profit);
    EXPECT_EQ(out->summary.trades, trades);
}

TEST_F(GeneratedMarketAccount, AnyNumberOfThreadsGivesTheSameAccount) {
    for (PositionScore score : {PositionScore::TradingValue, PositionScore::Random}) {
        PortfolioSettings s = account(3'000'000, 4);
        s.sizing = PositionSizing::EquityShare;
        s.sizeValue = 20;
        s.score = score;
        s.seed = 42;
        RunControl control;
        const auto one = runPortfolio(job(s, 1), control);
        const auto two = runPortfolio(job(s, 2), control);
        ASSERT_TRUE(one && two);
        EXPECT_GT(one->skippedLimit + one->skippedCash, 0);
        EXPECT_EQ(one->trades, two->trades);
        EXPECT_EQ(one->days, two->days);
        EXPECT_EQ(one->summary, two->summary);
        EXPECT_EQ(one->securities, two->securities);
    }
}

// The texts a run's sizing and score are given as; a refused text leaves
// the settings as they were.
TEST(PortfolioTexts, SizingAndScore) {
    struct Case {
        const char* text;
        bool sizing;  // else a score
        bool accepted;
        int kind;        // the PositionSizing or PositionScore chosen
        int64_t number;  // sizeValue or seed
    };
    const Case cases[] = {
        {"strategy", true, true, static_cast<int>(PositionSizing::Strategy), 0},
        {"fixed:500000", true, true, static_cast<int>(PositionSizing::Fixed), 500000},
        {"equity:100", true, true, static_cast<int>(PositionSizing::EquityShare), 100},
        {"equity:101", true, false, 0, 0},
        {"equity:0", true, false, 0, 0},
        {"fixed:", true, false, 0, 0},
        {"fixed:-5", true, false, 0, 0},
        {"fixed:5x", true, false, 0, 0},
        {"value", false, true, static_cast<int>(PositionScore::TradingValue), 0},
        {"bars", false, true, static_cast<int>(PositionScore::Bars), 0},
        {"random:42", false, true, static_cast<int>(PositionScore::Random), 42},
        {"random:", false, false, 0, 0},
        {"slot:nothing", false, false, 0, 0},
        {"values", false, false, 0, 0},
    };
    for (const Case& c : cases) {
        PortfolioSettings settings;
        settings.sizing = PositionSizing::Fixed;
        settings.sizeValue = 7;
        settings.score = PositionScore::Slot;
        settings.seed = 9;
        const PortfolioSettings before = settings;
        const bool accepted =
            c.sizing ? parsePositionSizing(c.text, settings) : parsePositionScore(c.text, settings);
        ASSERT_EQ(accepted, c.accepted) << c.text;
        if (!accepted) {
            EXPECT_EQ(settings.sizing, before.sizing) << c.text;
            EXPECT_EQ(settings.sizeValue, before.sizeValue) << c.text;
            EXPECT_EQ(settings.score, before.score) << c.text;
            continue;
        }
        if (c.sizing) {
            EXPECT_EQ(static_cast<int>(settings.sizing), c.kind) << c.text;
            if (settings.sizing != PositionSizing::Strategy) {
                EXPECT_EQ(settings.sizeValue, c.number) << c.text;
            }
        } else {
            EXPECT_EQ(static_cast<int>(settings.score), c.kind) << c.text;
            if (settings.score == PositionScore::Random) {
                EXPECT_EQ(settings.seed, static_cast<uint64_t>(c.number)) << c.text;
            }
        }
    }
    // Every slot is found by its own name.
    for (const ScoreSlot& slot : scoreSlots()) {
        PortfolioSettings settings;
        ASSERT_TRUE(parsePositionScore("slot:" + std::string(slot.name), settings)) << slot.name;
        EXPECT_EQ(scoreSlots()[static_cast<std::size_t>(settings.slot)].name, slot.name);
    }
}

}  // namespace
}  // namespace tav
