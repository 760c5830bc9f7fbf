// The window highs and lows shared by Williams %R, the HL band, Ichimoku and
// the stochastics, against a plain scan.
#include "analysis/block_extremes.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <limits>
#include <random>
#include <utility>
#include <vector>

namespace tav::analysis {
namespace {

TEST(BlockExtremes, EveryWindowMatchesAScan) {
    std::mt19937_64 random(256);
    auto uniform = [&](int64_t lo, int64_t hi) {
        return std::uniform_int_distribution<int64_t>(lo, hi)(random);
    };
    for (int run = 0; run < 40; ++run) {
        const int longest = run < 4 ? std::array{1, 2, 255, 256}[run] : int(uniform(1, 256));
        const int count = static_cast<int>(uniform(1, 900));
        std::vector<int32_t> highs(count);
        std::vector<int32_t> lows(count);
        for (int i = 0; i < count; ++i) {
            // Narrow ranges give ties; some runs reach the ends of the type.
            highs[i] = run % 4 == 0
                           ? static_cast<int32_t>(uniform(std::numeric_limits<int32_t>::min(),
                                                          std::numeric_limits<int32_t>::max()))
                           : static_cast<int32_t>(uniform(0, run % 4 == 1 ? 3 : 100'000));
            lows[i] = std::min(highs[i], static_cast<int32_t>(uniform(-5, 100'000)));
        }
        BlockExtremes table(longest);
        for (int i = 0; i < count; ++i) {
            table.push(i, highs[i], lows[i]);
            for (int length = 1; length <= longest; ++length) {
                for (int last : {i, i - 1}) {
                    if (last < 0) continue;
                    const int first = last - length + 1;  // may reach before bar 0
                    const int from = std::max(first, 0);
                    const auto [highest, lowest] = table.extremes(first, last);
                    ASSERT_EQ(highest, *std::max_element(&highs[from], &highs[last] + 1))
                        << "run " << run << " bars " << first << ".." << last;
                    ASSERT_EQ(lowest, *std::min_element(&lows[from], &lows[last] + 1))
                        << "run " << run << " bars " << first << ".." << last;
                    // The same window asked for by its fixed length.
                    ASSERT_EQ(table.extremes(BlockExtremes::Window(length), last),
                              std::make_pair(highest, lowest))
                        << "run " << run << " length " << length << " ending " << last;
                }
            }
        }
    }
}

}  // namespace
}  // namespace tav::analysis
