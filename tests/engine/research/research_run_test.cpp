#include "research/research_run.h"

#include <gtest/gtest.h>

#include <barrier>
#include <thread>

#include "simulation/simulation_results.h"
#include "support/generated_market.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "workspace/screening.h"

namespace tav {
namespace {

Strategy sampleStrategy() {
    Strategy strategy;
    Tactic tactic;
    tactic.buy.conditions[0] = Condition{0, 0, 0, 0, 4, 0, 20, 0, 0, 0};  // n in p3
    tactic.buy.conditions[1] = Condition{2, 0, 0, 2, 70, 0, 0, 0, 0, 0};  // value in p1
    tactic.buy.conditions[2] = Condition{3, 0, 0, 1, 3, 0, 0, 0, 0, 0};   // n in p1
    tactic.buy.count = 3;
    tactic.stop.conditions[0] = stopRule(kStopLoss, 0, 5);
    tactic.stop.count = 1;
    strategy.tactics.push_back(tactic);
    return strategy;
}

TEST(ParameterSweep, AddressesValuesAndRefusals) {
    Strategy strategy = sampleStrategy();
    std::string error;
    const struct {
        const char* text;
        bool ok;
        std::vector<int> values;
    } cases[] = {
        {"1.buy.1.n=10..30/10", true, {10, 20, 30}},
        {"1.buy.2.value=60,70,80", true, {60, 70, 80}},
        {"1.buy.3.n=1..3", true, {1, 2, 3}},
        {"1.buy.1.day=0,1", true, {0, 1}},
        {"1.stop.1.value=2..8/3", true, {2, 5, 8}},
        {"rsiPeriod=6,255", true, {6, 255}},
        {"rsiPeriod=256", false, {}},         // a byte
        {"1.buy.1.n=-1..5", false, {}},       // n is never negative
        {"1.buy.1.day=-1", false, {}},        // no look into the future
        {"1.stop.1.value=40000", false, {}},  // beyond the field
        {"1.buy.2.n=5", false, {}},           // a value row has no n
        {"1.buy.4.n=5", false, {}},           // no such row
        {"2.buy.1.n=5", false, {}},           // no such tactic
        {"1.sell.1.n=5", false, {}},          // the sell column is empty
        {"split.amount=1..5", false, {}},     // the strategy does not split
        {"1.buy.1.n=30..10", false, {}},
        {"1.buy.1.n=10..30/0", false, {}},
        {"noSuchPeriod=5", false, {}},
        {"1.buy.1.n", false, {}},
    };
    for (const auto& c : cases) {
        const auto sweep = parseSweep(c.text, strategy, error);
        EXPECT_EQ(sweep.has_value(), c.ok) << c.text << ": " << error;
        if (sweep) {
            EXPECT_EQ(sweep->values, c.values) << c.text;
        }
    }

    // The values land in the field the address names.
    strategy.split = {kSplitPercent, 10, 0, 0};
    EXPECT_FALSE(parseSweep("split.amount=50..150/50", strategy, error));  // a share of 100 at most
    const auto amount = parseSweep("split.amount=20", strategy, error);
    const auto n = parseSweep("1.buy.1.n=12", strategy, error);
    const auto rsi = parseSweep("rsiPeriod=9", strategy, error);
    ASSERT_TRUE(amount && n && rsi);
    AnalysisParameters parameters = AnalysisParameters::defaults();
    for (const auto* sweep : {&*amount, &*n, &*rsi})
        applyParameter(sweep->address, sweep->values[0], strategy, parameters, PeriodMode::Weekly);
    EXPECT_EQ(strategy.split.amount, 20);
    EXPECT_EQ(strategy.tactics[0].buy.conditions[0].p3, 12);
    EXPECT_EQ(parameters.indicator(IndicatorParam::rsiPeriod, PeriodMode::Weekly), 9);
    EXPECT_EQ(parameters.indicator(IndicatorParam::rsiPeriod, PeriodMode::Daily), 6);
}

class GeneratedMarketSweep : public ::testing::Test {
  protected:
    void SetUp() override {
        test::GeneratedMarket{40, 400, 5}.writeTo(temp.str());
        workspace.loadSettings(std::nullopt);
    }
    ResearchJob job(const std::vector<std::string>& sweepTexts, int threads) {
        auto prepared = prepareMultiRun(workspace, MultiRunSettings{}, threads);
        EXPECT_TRUE(prepared);
        ResearchJob out = researchJobOf(*prepared);
        // The first tactic enters on the RSI crossing a level.
        out.strategy.tactics[0].buy.conditions[0] = Condition{2, 0, 0, 2, 30, 0, 0, 0, 0, 0};
        for (const std::string& sweepText : sweepTexts) {
            std::string error;
            auto sweep = parseSweep(sweepText, out.strategy, error);
            EXPECT_TRUE(sweep) << error;
            if (sweep) out.sweeps.push_back(*sweep);
        }
        return out;
    }
    static std::vector<ParameterPoint> grid(const ResearchJob& job) {
        std::vector<ParameterPoint> points;
        for (int64_t i = 0; i < gridSize(job.sweeps); ++i)
            points.push_back(gridPoint(job.sweeps, i));
        return points;
    }
    // The point run the plain way: the values written into the strategy and
    // the common parameters, every security loaded and run on its own.
    static int64_t plainNetProfit(ResearchJob job, const ParameterPoint& point) {
        for (std::size_t s = 0; s < job.sweeps.size(); ++s)
            applyParameter(job.sweeps[s].address,
                           job.sweeps[s].values[static_cast<std::size_t>(point[s])], job.strategy,
                           job.scan.parameters.common, job.scan.period);
        int64_t net = 0;
        LoadedSecurity loaded;
        for (const std::string& line : job.scan.lines) {
            if (loadForRun(job.scan, job.scan.entry(line), loaded) != LineRun::Ran) continue;
            const ConditionInputs inputs =
                loaded.conditionInputs(job.scan.switches, job.scan.capsules);
            const SimulationInputs sim{job.strategy, job.simulation, loaded.security.unit, inputs,
                                       nullptr};
            const RunWindow window =
                runWindow(loaded.series.bars, job.simulation, ChartView{}, job.currentYear);
            net += netProfit(
                runSimulation(loaded.series.bars, sim, window, RunKind::Statistics).result);
        }
        return net;
    }

    test::TempFolder temp;
    test::TestPlatform platform;
    Workspace workspace{ProgramFolder(temp.str()), platform.platform()};
};

TEST_F(GeneratedMarketSweep, EveryPointAsItsOwnRunAndTheSameForAnyThreads) {
    // Stop values and an analysis period: indicators shared within a period.
    const std::vector<std::string> sweepTexts = {"1.buy.1.value=30,50", "2.stop.1.value=1,50",
                                                 "rsiPeriod=6,14", "maLongPeriod=20,26"};
    const ResearchJob one = job(sweepTexts, 1);
    const ResearchJob two = job(sweepTexts, 2);
    RunControl control;
    const auto a = runPoints(one, grid(one), control, true);
    const auto b = runPoints(two, grid(two), control, true);
    ASSERT_TRUE(a && b);
    ASSERT_EQ(a->points.size(), 16u);
    EXPECT_GT(a->counts.selected, 20);
    EXPECT_EQ(a->counts, b->counts);
    EXPECT_EQ(a->dates, b->dates);
    std::set<int64_t> distinct;
    for (std::size_t p = 0; p < a->points.size(); ++p) {
        const PointRun& x = a->points[p];
        const PointRun& y = b->points[p];
        EXPECT_EQ(x.netProfit, plainNetProfit(one, x.point)) << p;
        EXPECT_EQ(x.netProfit, y.netProfit);
        EXPECT_EQ(x.days, y.days);
        ASSERT_EQ(x.trades.size(), y.trades.size());
        int64_t sum = 0;
        for (std::size_t t = 0; t < x.trades.size(); ++t) {
            EXPECT_EQ(x.trades[t].day, y.trades[t].day);
            EXPECT_EQ(x.trades[t].net, y.trades[t].net);
            sum += x.trades[t].net;
        }
        EXPECT_EQ(sum, measure(x, 0, static_cast<int>(a->dates.size()), a->capital).net);
        distinct.insert(x.netProfit);
    }
    EXPECT_GT(distinct.size(), 3u);  // the values do reach the runs
}

TEST_F(GeneratedMarketSweep, SharedRowTruthsGiveWhatEveryRunEvaluatingGives) {
    // Swept rows that read no position beside ones that do, a split capsule
    // and two analysis groups.
    const std::vector<std::string> sweepTexts = {"1.buy.1.value=30,50", "1.buy.1.day=0,2",
                                                 "2.stop.1.value=1,50", "split.amount=1,2",
                                                 "rsiPeriod=6,14"};
    ResearchJob fast = job({}, 2);
    fast.strategy.split = {kSplitUnits, 1, 0, 0};
    Tactic& second = fast.strategy.tactics[1];
    second.sell.conditions[second.sell.count++] = Condition{0, 0, 0, 0, 8, 2, 0, 3, 0, 0};
    second.buy.conditions[second.buy.count++] = Condition{2, 0, 0, 1, 4, 0, 0, 0, 0, 0};
    for (const std::string& sweepText : sweepTexts) {
        std::string error;
        fast.sweeps.push_back(*parseSweep(sweepText, fast.strategy, error));
    }
    ResearchJob plain = fast;
    plain.precomputeRows = false;
    RunControl control;
    const auto a = runPoints(fast, grid(fast), control, true);
    const auto b = runPoints(plain, grid(plain), control, true);
    ASSERT_TRUE(a && b);
    EXPECT_EQ(a->counts, b->counts);
    EXPECT_EQ(a->dates, b->dates);
    EXPECT_EQ(a->capital, b->capital);
    ASSERT_EQ(a->points.size(), 32u);
    int trades = 0;
    for (std::size_t p = 0; p < a->points.size(); ++p) {
        const PointRun& x = a->points[p];
        const PointRun& y = b->points[p];
        EXPECT_EQ(x.point, y.point);
        EXPECT_EQ(x.netProfit, y.netProfit) << p;
        EXPECT_EQ(x.days, y.days) << p;
        ASSERT_EQ(x.trades.size(), y.trades.size()) << p;
        for (std::size_t t = 0; t < x.trades.size(); ++t) {
            EXPECT_EQ(x.trades[t].day, y.trades[t].day);
            EXPECT_EQ(x.trades[t].net, y.trades[t].net);
        }
        trades += static_cast<int>(x.trades.size());
    }
    EXPECT_GT(trades, 1000);
}

TEST_F(GeneratedMarketSweep, TheBestOfTheGridAndARepeatableEvolution) {
    // Day offsets of the entry row and stop values: twelve different runs.
    ResearchJob sweep = job({"1.buy.1.day=0..3", "1.stop.1.value=3..9/3"}, 2);
    RunControl control;
    const auto data = runPoints(sweep, grid(sweep), control);
    ASSERT_TRUE(data);
    std::vector<Metrics> metrics;
    for (const PointRun& run : data->points)
        metrics.push_back(measure(run, 0, static_cast<int>(data->dates.size()), data->capital));
    // The best by brute force over the table agrees with the ranking.
    for (Objective objective : {Objective::NetProfit, Objective::MaxDrawdown, Objective::Sharpe}) {
        const auto order = rankPoints(metrics, objective, 1);
        for (const Metrics& m : metrics)
            if (m.trades >= 1) {
                EXPECT_GE(score(metrics[static_cast<std::size_t>(order[0])], objective),
                          score(m, objective));
            }
    }
    // A minimum no point reaches ranks by the objective alone; one only the
    // busiest reaches puts it first.
    int busiest = 0;
    for (std::size_t p = 0; p < metrics.size(); ++p)
        if (metrics[p].trades > metrics[static_cast<std::size_t>(busiest)].trades)
            busiest = static_cast<int>(p);
    EXPECT_EQ(rankPoints(metrics, Objective::NetProfit,
                         metrics[static_cast<std::size_t>(busiest)].trades)[0],
              busiest);

    EvolveSettings settings{7, 99, 4};
    // One progress over the budget, through generations of four and three.
    RunControl watched;
    std::vector<std::pair<int, int>> reports;
    watched.progress = [&](int done, int total) { reports.emplace_back(done, total); };
    const auto e1 = evolve(sweep, settings, Objective::NetProfit, 1, watched);
    const auto e2 = evolve(sweep, settings, Objective::NetProfit, 1, control);
    ASSERT_TRUE(e1 && e2);
    ASSERT_EQ(e1->points.size(), 7u);
    ASSERT_FALSE(reports.empty());
    for (std::size_t r = 0; r < reports.size(); ++r) {
        EXPECT_EQ(reports[r].second, 7);
        if (r > 0) {
            EXPECT_GE(reports[r].first, reports[r - 1].first);
        }
    }
    EXPECT_LE(reports.front().first, 4);
    EXPECT_EQ(reports.back().first, 7);
    std::set<ParameterPoint> seen;
    for (std::size_t p = 0; p < e1->points.size(); ++p) {
        EXPECT_EQ(e1->points[p].point, e2->points[p].point);
        EXPECT_TRUE(seen.insert(e1->points[p].point).second);
        // An evolved point runs exactly as in the grid.
        const ParameterPoint& point = e1->points[p].point;
        const auto index = static_cast<std::size_t>(point[0] * 3 + point[1]);
        EXPECT_EQ(e1->points[p].netProfit, data->points[index].netProfit);
    }
    // Many points run in batches give what a few run alone give.
    ResearchJob many = job({"1.stop.1.value=1..140"}, 2);
    const auto batched = runPoints(many, grid(many), control);
    const auto alone = runPoints(many, {{3}, {135}}, control);
    ASSERT_TRUE(batched && alone);
    ASSERT_EQ(batched->points.size(), 140u);
    EXPECT_EQ(batched->dates, alone->dates);
    EXPECT_EQ(batched->points[3].days, alone->points[0].days);
    EXPECT_EQ(batched->points[135].days, alone->points[1].days);
    EXPECT_EQ(batched->points[135].netProfit, alone->points[1].netProfit);

    // A budget beyond the grid runs the grid once.
    settings.budget = 100;
    EXPECT_EQ(evolve(sweep, settings, Objective::NetProfit, 1, control)->points.size(), 12u);
}

// Processes sharing a run, played by threads meeting at a barrier.
struct Exchange {
    explicit Exchange(int size) : meeting(size), slots(static_cast<std::size_t>(size)) {}
    std::barrier<> meeting;
    std::vector<std::vector<std::byte>> slots;
};

class ThreadSharing final : public WorkSharing {
  public:
    ThreadSharing(Exchange& exchange, int rank) : exchange_(exchange), rank_(rank) {}
    int rank() const override { return rank_; }
    int size() const override { return static_cast<int>(exchange_.slots.size()); }
    std::vector<std::vector<std::byte>> allGather(std::vector<std::byte> mine) override {
        exchange_.slots[static_cast<std::size_t>(rank_)] = std::move(mine);
        exchange_.meeting.arrive_and_wait();
        auto all = exchange_.slots;
        exchange_.meeting.arrive_and_wait();
        return all;
    }

  private:
    Exchange& exchange_;
    int rank_;
};

// Runs `run` as `size` sharing processes; what each returned, by rank.
template <class Run>
std::vector<std::optional<ResearchData>> shared(int size, Run run) {
    Exchange exchange(size);
    std::vector<std::optional<ResearchData>> results(static_cast<std::size_t>(size));
    {
        std::vector<std::jthread> processes;
        for (int r = 0; r < size; ++r)
            processes.emplace_back([&, r] {
                ThreadSharing sharing(exchange, r);
                results[static_cast<std::size_t>(r)] = run(sharing);
            });
    }
    return results;
}

void expectSameData(const ResearchData& a, const ResearchData& b) {
    EXPECT_EQ(a.dates, b.dates);
    EXPECT_EQ(a.counts, b.counts);
    EXPECT_EQ(a.capital, b.capital);
    ASSERT_EQ(a.points.size(), b.points.size());
    for (std::size_t p = 0; p < a.points.size(); ++p) {
        const PointRun& x = a.points[p];
        const PointRun& y = b.points[p];
        EXPECT_EQ(x.point, y.point) << p;
        EXPECT_EQ(x.netProfit, y.netProfit) << p;
        EXPECT_EQ(x.days, y.days) << p;
        ASSERT_EQ(x.trades.size(), y.trades.size()) << p;
        for (std::size_t t = 0; t < x.trades.size(); ++t) {
            EXPECT_EQ(x.trades[t].day, y.trades[t].day);
            EXPECT_EQ(x.trades[t].net, y.trades[t].net);
        }
    }
}

TEST_F(GeneratedMarketSweep, SharingProcessesEachGetTheWholeRun) {
    // An analysis period (items per period), trades kept; then enough points
    // for two batches, each exchanged on its own, over a few securities.
    const ResearchJob small =
        job({"1.buy.1.value=30,50", "rsiPeriod=6,14", "1.stop.1.value=3..9/3"}, 1);
    ResearchJob many = job({"1.stop.1.value=1..130"}, 2);
    many.scan.lines.resize(7);
    RunControl control;
    const auto smallAlone = runPoints(small, grid(small), control, true);
    const auto manyAlone = runPoints(many, grid(many), control);
    const EvolveSettings settings{9, 3, 4};
    const auto evolvedAlone = evolve(small, settings, Objective::Sharpe, 1, control);
    ASSERT_TRUE(smallAlone && manyAlone && evolvedAlone);
    ASSERT_GT(smallAlone->counts.selected, 20);
    for (int size : {2, 3}) {
        SCOPED_TRACE(size);
        for (const auto& data : shared(size, [&](WorkSharing& sharing) {
                 RunControl own;
                 return runPoints(small, grid(small), own, true, &sharing);
             })) {
            ASSERT_TRUE(data);
            expectSameData(*data, *smallAlone);
        }
        for (const auto& data : shared(size, [&](WorkSharing& sharing) {
                 RunControl own;
                 return runPoints(many, grid(many), own, false, &sharing);
             })) {
            ASSERT_TRUE(data);
            expectSameData(*data, *manyAlone);
        }
        for (const auto& data : shared(size, [&](WorkSharing& sharing) {
                 RunControl own;
                 return evolve(small, settings, Objective::Sharpe, 1, own, &sharing);
             })) {
            ASSERT_TRUE(data);
            expectSameData(*data, *evolvedAlone);
        }
    }
    // One process cancelled: none waits for it, and every one returns nothing.
    for (const auto& data : shared(3, [&](WorkSharing& sharing) {
             RunControl own;
             if (sharing.rank() == 1) own.cancel();
             return runPoints(many, grid(many), own, false, &sharing);
         }))
        EXPECT_FALSE(data);
}

}  // namespace
}  // namespace tav
