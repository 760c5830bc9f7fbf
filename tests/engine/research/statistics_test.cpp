#include <gtest/gtest.h>

#include <cmath>

#include "research/overfitting.h"
#include "research/random.h"
#include "research/walk_forward.h"

namespace tav {
namespace {

TEST(NormalQuantile, MatchesTabulatedValuesAndInvertsTheCdf) {
    const struct {
        double p, x;
    } cases[] = {{0.5, 0.0},
                 {0.975, 1.9599639845400536},
                 {0.01, -2.3263478740408408},
                 {1e-6, -4.753424308822899}};
    for (const auto& c : cases) {
        EXPECT_NEAR(normalQuantile(c.p), c.x, 1e-12) << c.p;
        EXPECT_NEAR(normalCdf(c.x), c.p, 1e-14) << c.p;
    }
}

// The example of Bailey and López de Prado (2014): an annualised Sharpe ratio
// of 2.5 over 1250 days, 100 trials whose Sharpe ratios vary by 1/2 a year,
// skewness −3 and kurtosis 10 give SR0 ≈ 0.1132 a day and a DSR ≈ 0.9004.
TEST(DeflatedSharpe, ThePublishedExample) {
    const double sr0 = expectedMaximumSharpe(0.5 / 250, 100);
    EXPECT_NEAR(sr0, 0.11317200186513214, 1e-10);
    EXPECT_NEAR(probabilisticSharpe(2.5 / std::sqrt(250.0), sr0, 1250, -3, 10), 0.9003968344493904,
                1e-9);
    // One trial deflates nothing; a Sharpe ratio at SR0 is a coin toss.
    EXPECT_EQ(expectedMaximumSharpe(0.5, 1), 0);
    EXPECT_DOUBLE_EQ(probabilisticSharpe(0.1, 0.1, 500, 0, 3), 0.5);
}

TEST(DeflatedSharpe, MomentsOfTheBestReturns) {
    // Returns 1, −1 alternating: mean 0, no skew, kurtosis 1.
    std::vector<double> best;
    for (int i = 0; i < 100; ++i)
        best.push_back(i % 2 ? -0.01 : 0.01);
    const DeflatedSharpe d = deflatedSharpe(best, {0.0, 0.1, 0.2});
    EXPECT_NEAR(d.sharpe, 0, 1e-12);
    EXPECT_NEAR(d.skewness, 0, 1e-12);
    EXPECT_NEAR(d.kurtosis, 1, 1e-12);
    EXPECT_NEAR(d.expectedMaximum, expectedMaximumSharpe(0.01, 3), 1e-12);
    EXPECT_LT(d.probability, 0.5);
}

std::vector<double> noise(SplitMix64& random, int count, double drift) {
    std::vector<double> out;
    for (int i = 0; i < count; ++i) {
        // Box–Muller from two uniform draws.
        const double u = (static_cast<double>(random.next() >> 11) + 0.5) / 9007199254740992.0;
        const double v = (static_cast<double>(random.next() >> 11) + 0.5) / 9007199254740992.0;
        out.push_back(drift + 0.01 * std::sqrt(-2 * std::log(u)) * std::cos(6.283185307179586 * v));
    }
    return out;
}

TEST(Overfitting, HandWorkedPlantedSkillAndNoise) {
    // Two trials, two blocks: each is best where the other is worst, so the
    // in-sample best always ranks 1 of 2 out of sample: ω = 1/3, λ = ln 1/2.
    const std::vector<std::vector<double>> swap = {{1, 2, 1, -1, 0, -1}, {-1, 0, -1, 1, 2, 1}};
    const auto odds = backtestOverfitting(swap, 2);
    ASSERT_TRUE(odds);
    EXPECT_EQ(odds->probability, 1);
    ASSERT_EQ(odds->logits.size(), 2u);
    EXPECT_NEAR(odds->logits[0], std::log(0.5), 1e-12);

    SplitMix64 random(7);
    std::vector<std::vector<double>> skill, pure;
    for (int t = 0; t < 20; ++t) {
        skill.push_back(noise(random, 960, t == 0 ? 0.004 : 0));
        pure.push_back(noise(random, 960, 0));
    }
    const auto low = backtestOverfitting(skill, 16);
    const auto half = backtestOverfitting(pure, 16);
    ASSERT_TRUE(low && half);
    EXPECT_EQ(low->logits.size(), 12870u);
    EXPECT_LT(low->probability, 0.05);
    EXPECT_GT(half->probability, 0.3);
    EXPECT_LT(half->probability, 0.7);

    EXPECT_FALSE(backtestOverfitting(pure, 15));  // odd
    EXPECT_FALSE(backtestOverfitting({pure[0]}, 16));
}

TEST(TradeMonteCarlo, EqualTradesLeaveNothingToChanceAndSeedsRepeat) {
    const TradeMonteCarlo same = tradeMonteCarlo({100, 100, 100}, 1000, 50, 3);
    EXPECT_EQ(same.finalEquity, (std::array<int64_t, 3>{1300, 1300, 1300}));
    EXPECT_EQ(same.drawdown, (std::array<int64_t, 3>{0, 0, 0}));

    const std::vector<int64_t> trades = {500, -300, 200, -700, 900, -100};
    const TradeMonteCarlo a = tradeMonteCarlo(trades, 10000, 400, 11);
    const TradeMonteCarlo b = tradeMonteCarlo(trades, 10000, 400, 11);
    EXPECT_EQ(a.drawdown, b.drawdown);
    EXPECT_EQ(a.finalEquity, b.finalEquity);
    EXPECT_LE(a.drawdown[0], a.drawdown[1]);
    EXPECT_LE(a.drawdown[1], a.drawdown[2]);
    EXPECT_LT(a.finalEquity[0], a.finalEquity[2]);
}

// Three days a month from January to June 2020. Point 0 earns in odd months,
// point 1 in even ones; each loses a little in the other months.
ResearchData alternatingMonths() {
    ResearchData data;
    for (int month = 1; month <= 6; ++month)
        for (int day : {6, 15, 24})
            data.dates.push_back(20200000 + month * 100 + day);
    data.capital = 1'000'000;
    for (int p = 0; p < 2; ++p) {
        PointRun run;
        run.point = {p};
        for (int d = 0; d < static_cast<int>(data.dates.size()); ++d) {
            const int month = d / 3 + 1;
            const bool good = (month % 2 == 1) == (p == 0);
            run.days.push_back(good ? DayResult{1000, 1000, 0, 1, 1}
                                    : DayResult{-100, 0, 100, 1, 0});
        }
        data.points.push_back(run);
    }
    return data;
}

TEST(WalkForward, RollingAndAnchoredWindowsOnAHandMadeSeries) {
    const ResearchData data = alternatingMonths();
    // One month in, one out: the in-sample winner is always wrong next month.
    const WalkForward rolling = walkForward(data, 1, 1, false, Objective::NetProfit, 0);
    ASSERT_EQ(rolling.windows.size(), 5u);
    for (std::size_t w = 0; w < 5; ++w) {
        const WalkForwardWindow& window = rolling.windows[w];
        EXPECT_EQ(window.inFirst, static_cast<int>(3 * w));
        EXPECT_EQ(window.inLast, static_cast<int>(3 * w + 3));
        EXPECT_EQ(window.outLast, static_cast<int>(3 * w + 6));
        EXPECT_EQ(window.chosen, w % 2 == 0 ? 0 : 1);
        EXPECT_EQ(window.inSample.net, 3000);
        EXPECT_EQ(window.outOfSample.net, -300);
    }
    EXPECT_EQ(rolling.outOfSample.net, -1500);
    EXPECT_EQ(rolling.outOfSample.trades, 15);
    EXPECT_LT(rolling.efficiency, 0);

    // Two months in, anchored, two out: ties keep the first point.
    const WalkForward anchored = walkForward(data, 2, 2, true, Objective::NetProfit, 0);
    ASSERT_EQ(anchored.windows.size(), 2u);
    EXPECT_EQ(anchored.windows[1].inFirst, 0);
    EXPECT_EQ(anchored.windows[1].inLast, 12);
    EXPECT_EQ(anchored.windows[1].outFirst, 12);
    EXPECT_EQ(anchored.windows[1].outLast, 18);
    EXPECT_EQ(anchored.windows[1].chosen, 0);
    EXPECT_EQ(anchored.outOfSample.net, 2 * (3000 - 300));

    // A minimum no point reaches in sample leaves every window without a choice.
    const WalkForward none = walkForward(data, 1, 1, false, Objective::NetProfit, 4);
    for (const WalkForwardWindow& window : none.windows)
        EXPECT_EQ(window.chosen, -1);
    EXPECT_EQ(none.outOfSample.trades, 0);
}

}  // namespace
}  // namespace tav
