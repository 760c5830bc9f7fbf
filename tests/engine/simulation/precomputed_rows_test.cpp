#include <gtest/gtest.h>

#include <cstring>
#include <random>
#include <tuple>

#include "analysis/recompute.h"
#include "engine/analysis/random_series.h"
#include "simulation/simulation_engine.h"

namespace tav {
namespace {

auto fillFields(const Fill& f) {
    return std::tie(f.bar, f.kind, f.side, f.tactic, f.reason, f.units, f.price, f.commission,
                    f.profit, f.entryPrice);
}

// Rows of every category with codes around and past their tables, day offsets
// forward, back and far back, and every role.
Condition randomRow(std::mt19937_64& random) {
    auto pick = [&](int lo, int hi) {
        return static_cast<int16_t>(std::uniform_int_distribution<int>(lo, hi)(random));
    };
    Condition row;
    row.category = pick(0, 9) == 0 ? pick(5, 7) : pick(0, 4);
    const int16_t roles[] = {kRoleNormal, kRoleNormal,  kRoleNormal,
                             kRoleFilter, kRoleTrigger, kRoleStrategyDisabled};
    row.role = roles[pick(0, 5)];
    row.dayOffset = pick(0, 9) == 0 ? pick(-2, 70) : pick(0, 2);
    switch (pick(0, 9)) {
        case 0:  // days since the exit or the entry
            row.category = kValueComparison;
            row.item = pick(0, 1);
            row.p1 = pick(0, 8);
            return row;
        case 1:  // the entry price, or the high or low since the entry
            row.category = kPriceComparison;
            row.item = pick(0, 3);
            row.p1 = pick(8, 11);
            row.p2 = pick(0, 5);
            row.percent = pick(-3, 3);
            return row;
        case 2:  // a limit price near an earlier price
            row.category = kPriceComparison;
            row.item = 4;
            row.p1 = pick(0, 3);
            row.p3 = pick(0, 3);
            row.percent = pick(-3, 3);
            return row;
        default:
            break;
    }
    switch (row.category) {
        case kPriceComparison:  // the limit and the position targets among them
            row.item = pick(0, 9) < 6 ? pick(0, 4) : pick(5, 13);
            row.p1 = pick(0, 39);
            row.p2 = pick(0, 6);
            row.p3 = pick(-4, 8);
            row.percent = pick(-3, 3);
            row.ticks = pick(-2, 2);
            break;
        case kIndicatorComparison:
            row.item = pick(0, 12);
            row.p1 = pick(0, 2);
            row.p2 = pick(0, 6);
            row.p3 = pick(0, 30);
            break;
        case kValueComparison:  // the days since the entry and the exit among them
            row.item = pick(0, 34);
            row.p1 = pick(-10, 90);
            row.p2 = pick(0, 9);
            row.p3 = pick(0, 100);
            break;
        case kCandleShape:
            row.item = pick(0, 30);
            row.p1 = pick(0, 5);
            break;
        case kIndicatorMovement:
            row.item = pick(0, 36);
            row.p1 = pick(0, 8);
            break;
        default:
            row.item = pick(0, 3);  // a capsule of any kind, or none
            break;
    }
    return row;
}

// Runs of random strategies read with the precomputed rows give what the
// evaluated rows give: outcome, every fill and every trade slot.
TEST(PrecomputedRows, RunsAsEveryRowEvaluated) {
    std::mt19937_64 random(2029);
    auto pick = [&](int lo, int hi) { return std::uniform_int_distribution<int>(lo, hi)(random); };
    // Capsule 0 reads no position; 1 compares with the entry price; 2 holds a limit price.
    std::vector<ConditionCapsule> capsules(3);
    capsules[0].rows[0] = Condition{3, kRoleNormal, 0, 0, 0, 0, 0, 0, 0, 0};
    capsules[0].rows[1] = Condition{4, kRoleNormal, 1, 7, 4, 0, 0, 0, 0, 0};
    capsules[0].rowCount = 2;
    capsules[1] = capsules[0];
    capsules[1].rows[2] = Condition{0, kRoleFilter, 0, 0, 8, 2, 0, 3, 0, 0};
    capsules[1].rowCount = 3;
    capsules[2] = capsules[0];
    capsules[2].logic = kLogicAnd;
    capsules[2].rows[2] = Condition{0, kRoleNormal, 0, 4, 0, 0, 0, -1, 0, 0};
    capsules[2].rowCount = 3;

    int trades = 0, precomputedRows = 0, evaluatedRows = 0;
    for (int series = 0; series < 12; ++series) {
        std::vector<DailyBar> bars = test::randomBars(random, pick(5, 400));
        AnalysisState state;
        const AnalysisSettings settings =
            series % 3 == 0 ? test::randomSettings(random) : AnalysisSettings{};
        recomputeIndicators(bars, settings, state);
        const auto count = static_cast<int>(bars.size());
        const ConditionInputs inputs{bars,
                                     state.values.volumeGuide,
                                     settings.bollingerPeriod,
                                     settings.envelopePercent,
                                     settings.maBandPercent,
                                     capsules};
        const RunWindow window{pick(-2, 10), pick(0, count + 3), false};
        // One set of rows per series, shared by every strategy on it; rows
        // worked out when first asked for, or when asked for again.
        ConditionBits bits;
        bits.reset(window.start, window.end, 1 + series % 2);
        PrecomputedRows precomputed;
        for (int s = 0; s < 40; ++s) {
            Strategy strategy;
            strategy.tradingMode = static_cast<uint8_t>(pick(0, 3));
            strategy.split = {static_cast<uint8_t>(pick(0, 3)), pick(1, 30), pick(-2, 3),
                              static_cast<uint8_t>(pick(0, 3))};
            for (int t = pick(1, 3); t > 0; --t) {
                Tactic& tactic = strategy.tactics.emplace_back();
                tactic.disabled = pick(0, 9) == 0;
                tactic.side = static_cast<uint8_t>(pick(0, 1));
                for (TacticColumns* columns : {&tactic.buy, &tactic.sell}) {
                    columns->logic = static_cast<int16_t>(pick(0, 1));
                    columns->fillPrice = static_cast<int16_t>(pick(0, 13));
                    for (int n = pick(0, 4); n > 0; --n)
                        columns->conditions[static_cast<std::size_t>(columns->count++)] =
                            randomRow(random);
                }
                if (pick(0, 1))
                    tactic.stop.conditions[static_cast<std::size_t>(tactic.stop.count++)] =
                        stopRule(static_cast<int16_t>(pick(0, 3)), static_cast<int16_t>(pick(0, 3)),
                                 static_cast<int16_t>(pick(1, 15)));
            }
            SimulationSettings simulation;
            simulation.defaultFill = static_cast<uint8_t>(pick(0, 1));
            simulation.commissionKind = static_cast<uint8_t>(pick(0, 2));
            simulation.commissionValue = static_cast<int16_t>(pick(1, 500));
            const auto kind = static_cast<RunKind>(pick(0, 2));
            const bool exits = pick(0, 1) == 1;

            std::vector<DailyBar> plainBars = bars;
            TradeJournal plainJournal, journal;
            const ConditionInputs plainInputs{plainBars,
                                              inputs.volumeGuide,
                                              inputs.bollingerPeriod,
                                              inputs.envelopePercent,
                                              inputs.maBandPercent,
                                              capsules};
            const RunOutcome plain = runSimulation(
                plainBars, SimulationInputs{strategy, simulation, 100, plainInputs, &plainJournal},
                window, kind, exits);
            precomputed.bind(strategy, inputs, bits);
            for (const uint64_t* words : precomputed.rows)
                (words ? precomputedRows : evaluatedRows) += 1;
            const RunOutcome fast = runSimulation(
                bars, SimulationInputs{strategy, simulation, 100, inputs, &journal, &precomputed},
                window, kind, exits);

            SCOPED_TRACE(testing::Message() << "series " << series << ", strategy " << s);
            ASSERT_EQ(fast.signal, plain.signal);
            ASSERT_EQ(fast.result, plain.result);
            ASSERT_EQ(journal.fills.size(), plainJournal.fills.size());
            for (std::size_t f = 0; f < journal.fills.size(); ++f)
                ASSERT_EQ(fillFields(journal.fills[f]), fillFields(plainJournal.fills[f])) << f;
            for (std::size_t b = 0; b < bars.size(); ++b)
                ASSERT_EQ(std::memcmp(&bars[b], &plainBars[b], sizeof(DailyBar)), 0) << "bar " << b;
            trades += plain.result.trades;
        }
    }
    // The comparison saw trading, and both kinds of rows.
    EXPECT_GT(trades, 500);
    EXPECT_GT(precomputedRows, 1000);
    EXPECT_GT(evaluatedRows, 100);
}

}  // namespace
}  // namespace tav
