#include "core/ordered_parallel.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>
#include <thread>

namespace tav {
namespace {

// Uneven work, so workers finish items out of order.
std::string slowSquare(int& calls, int i) {
    ++calls;
    if (i % 7 == 0) std::this_thread::sleep_for(std::chrono::microseconds(200));
    return std::to_string(i * i);
}

TEST(OrderedParallel, AnyThreadCountGivesTheOneThreadResultAndReportsEveryItem) {
    constexpr int kCount = 257;
    std::optional<std::vector<std::string>> reference;
    for (int threads : {1, 2, 3, 8}) {
        RunControl control;
        int lastDone = 0, lastTotal = 0, reports = 0;
        bool monotonic = true;
        control.progress = [&](int done, int total) {
            monotonic = monotonic && done > lastDone;
            lastDone = done;
            lastTotal = total;
            ++reports;
        };
        auto results = orderedParallelMap<std::string, int>(
            kCount, threads, [] { return 0; }, slowSquare, control);
        ASSERT_TRUE(results) << threads;
        if (!reference) reference = results;
        EXPECT_EQ(*results, *reference) << threads;
        EXPECT_EQ((*results)[16], "256");
        EXPECT_TRUE(monotonic);
        EXPECT_EQ(lastDone, kCount) << threads;
        EXPECT_EQ(lastTotal, kCount);
        EXPECT_GT(reports, 0);
    }
}

TEST(OrderedParallel, CancelGivesNothingAndAFailureIsThrownAfterTheWorkersStop) {
    for (int threads : {1, 2}) {
        RunControl control;
        auto cancelled = orderedParallelMap<int, int>(
            1000, threads, [] { return 0; },
            [&](int&, int i) {
                if (i == 10) control.cancel();
                return i;
            },
            control);
        EXPECT_FALSE(cancelled) << threads;

        RunControl plain;
        EXPECT_THROW((orderedParallelMap<int, int>(
                         100, threads, [] { return 0; },
                         [](int&, int i) -> int {
                             if (i == 50) throw std::runtime_error("bad item");
                             return i;
                         },
                         plain)),
                     std::runtime_error);
    }
    RunControl empty;
    auto none = orderedParallelMap<int, int>(0, 2, [] { return 0; }, [](int&, int i) { return i; },
                                             empty);
    ASSERT_TRUE(none);
    EXPECT_TRUE(none->empty());
}

}  // namespace
}  // namespace tav
