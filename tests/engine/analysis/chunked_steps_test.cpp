// The families that the pass works out several bars (or oscillators) side by
// side, a chunk of bars at a time, against their bar-by-bar formulation: every
// stored bit must agree, whatever the chunk boundaries.
#include <gtest/gtest.h>

#include <cmath>
#include <cstring>
#include <random>
#include <utility>
#include <vector>

#include "analysis/turn_marks.h"
#include "analysis/volatility_rsi.h"
#include "random_series.h"

namespace tav {
namespace {

using namespace analysis;

bool sameBits(double a, double b) {
    return std::memcmp(&a, &b, sizeof a) == 0;
}

// Random chunk boundaries, from single bars to long runs.
std::vector<int> randomCuts(std::mt19937_64& random, int count) {
    std::vector<int> cuts{0};
    while (cuts.back() < count) {
        const int step = std::uniform_int_distribution<int>(1, 150)(random);
        cuts.push_back(std::min(count, cuts.back() + step));
    }
    return cuts;
}

TEST(ChunkedSteps, VolatilityMatchesBarByBar) {
    std::mt19937_64 random(17);
    for (int series = 0; series < 200; ++series) {
        const int count = std::uniform_int_distribution<int>(1, 400)(random);
        std::vector<DailyBar> plain = test::randomBars(random, count);
        std::vector<DailyBar> chunked = plain;
        computeVolatility(plain);
        const std::vector<int> cuts = randomCuts(random, count);
        for (size_t c = 1; c < cuts.size(); ++c)
            computeVolatilityRange(chunked, cuts[c - 1], cuts[c]);
        for (int k = 0; k < count; ++k)
            ASSERT_TRUE(sameBits(plain[k].volatility5, chunked[k].volatility5))
                << "series " << series << " bar " << k;
    }
}

// Volatilities of any magnitude, runs of zeros included, so that the order of
// the ten-bar sum shows in its bits.
TEST(ChunkedSteps, VlRsiScalesMatchBarByBar) {
    std::mt19937_64 random(18);
    for (int series = 0; series < 200; ++series) {
        const int count = std::uniform_int_distribution<int>(10, 300)(random);
        std::vector<DailyBar> bars(count);
        for (DailyBar& bar : bars) {
            const bool zero = std::bernoulli_distribution(0.2)(random);
            bar.volatility5 = zero
                                  ? 0.0
                                  : std::ldexp(std::uniform_real_distribution<double>(0, 1)(random),
                                               std::uniform_int_distribution<int>(-30, 40)(random));
        }
        const int period = std::uniform_int_distribution<int>(0, 255)(random);
        const int begin = std::uniform_int_distribution<int>(9, count - 1)(random);
        const int end = std::min(count, begin + kVlRsiScalesAtOnce);
        VlRsiScale scales[kVlRsiScalesAtOnce];
        vlRsiScales(bars, begin, end, period, scales);
        for (int k = begin; k < end; ++k) {
            const VlRsiScale plain = vlRsiScale(bars, k, period);
            ASSERT_TRUE(sameBits(plain.mean, scales[k - begin].mean)) << "bar " << k;
            if (plain.mean != 0.0) {
                ASSERT_TRUE(sameBits(plain.length, scales[k - begin].length)) << "bar " << k;
            }
        }
    }
}

// Oscillator values on and around every zone limit, marks left from an
// earlier pass in the bars, chunks cut anywhere: the seven side-by-side walks
// give the marks of seven walks one after another.
TEST(ChunkedSteps, TurnMarksMatchOneOscillatorAtATime) {
    std::vector<int> near;
    for (const TurnZones& zones : kTurnZones)
        for (int limit : {zones.low, zones.high})
            for (int offset : {-2, -1, 0, 1, 2})
                near.push_back(limit + offset);
    std::mt19937_64 random(19);
    auto value = [&]() -> int16_t {
        if (std::bernoulli_distribution(0.7)(random))
            return static_cast<int16_t>(near[random() % near.size()]);
        return static_cast<int16_t>(std::uniform_int_distribution<int>(-1000, 1000)(random));
    };
    for (int series = 0; series < 100; ++series) {
        const int count = std::uniform_int_distribution<int>(1, 300)(random);
        std::vector<DailyBar> plain(count);
        for (DailyBar& bar : plain) {
            for (const TurnZones& zones : kTurnZones)
                bar.*zones.slot = value();
            for (uint8_t& mark : bar.turnMarks)
                mark = static_cast<uint8_t>(random() % 3);
        }
        std::vector<DailyBar> chunked = plain;
        [&]<std::size_t... kIndex>(std::index_sequence<kIndex...>) {
            auto walk = [&](auto mark) {
                for (int k = 1; k < count; ++k)
                    mark(k);
            };
            (walk([&](int k) { markTurnAt<kIndex>(plain, k); }), ...);
        }
        (std::make_index_sequence<kTurnZones.size()>{});
        const std::vector<int> cuts = randomCuts(random, count);
        for (size_t c = 1; c < cuts.size(); ++c)
            computeTurnMarksRange(chunked, cuts[c - 1], cuts[c]);
        for (int k = 0; k < count; ++k)
            ASSERT_EQ(0, std::memcmp(plain[k].turnMarks, chunked[k].turnMarks, 7))
                << "series " << series << " bar " << k;
    }
}

}  // namespace
}  // namespace tav
