#include <gtest/gtest.h>

#include <vector>

#include "watchlist_runs/range_marks.h"

namespace tav::test {
namespace {

// `before` bars of high 110 / low 90 / close 100, then one with the given close.
std::vector<DailyBar> rangeBars(int before, int32_t lastClose) {
    std::vector<DailyBar> bars(static_cast<std::size_t>(before + 1), DailyBar{});
    for (int i = 0; i < before; ++i) {
        bars[i].high = 110;
        bars[i].low = 90;
        bars[i].close = 100;
    }
    bars.back().open = bars.back().high = bars.back().low = bars.back().close = lastClose;
    return bars;
}

// Yesterday H 110, L 90, C 100 gives P 100: type 1 band 110/90, type 2
// 120/80, type 3 130/70. Types 4-9 read the n bars before the last.
TEST(RangeMarks, EachTypeMarksAboveBelowAndInside) {
    struct Case {
        int type;
        int before;  // bars before the last one
        int32_t close;
        uint8_t mark;
    };
    const Case cases[] = {
        {0, 1, 111, 3}, {0, 1, 89, 4},   {0, 1, 110, 0},  {0, 1, 90, 0},
        {1, 1, 111, 3}, {1, 1, 89, 4},   {1, 1, 105, 0},
        {2, 1, 121, 3}, {2, 1, 79, 4},   {2, 1, 115, 0},
        {3, 1, 131, 3}, {3, 1, 69, 4},   {3, 1, 125, 0},
        {4, 4, 111, 3}, {4, 4, 89, 4},   {4, 4, 100, 0},
        {5, 6, 111, 3}, {6, 8, 89, 4},   {7, 11, 111, 3},
        {8, 16, 89, 4}, {9, 21, 111, 3}, {9, 21, 100, 0},
        // Too few bars: no band, so no mark however far the close lies.
        {0, 0, 500, 0}, {3, 0, 1, 0},
        {4, 3, 500, 0}, {5, 5, 500, 0},  {6, 7, 1, 0},    {7, 10, 500, 0},
        {8, 15, 1, 0},  {9, 20, 500, 0},
        {10, 5, 500, 0},  // no such type
    };
    for (const Case& c : cases) {
        SCOPED_TRACE("type " + std::to_string(c.type) + ", " + std::to_string(c.before) +
                     " bars before, close " + std::to_string(c.close));
        EXPECT_EQ(rangeMark(rangeBars(c.before, c.close), c.type), c.mark);
    }
    EXPECT_EQ(rangeMark({}, 0), 0);
}

TEST(RangeMarks, LookbackStopsBeforeTheLastBarAndCoversNBars) {
    // Bars 0..5, the last one excluded: a spike 6 bars back is outside a 5-bar band.
    std::vector<DailyBar> bars = rangeBars(7, 100);
    bars[1].high = 200;  // 6 bars before the last
    bars[2].low = 50;    // 5 bars before the last
    auto band = rangeBand(bars, 5);
    ASSERT_TRUE(band);
    EXPECT_EQ(band->upper, 110);
    EXPECT_EQ(band->lower, 50);
    bars.back().high = 999;  // the last bar's own range never counts
    EXPECT_EQ(rangeBand(bars, 4)->upper, 110);
}

TEST(RangeMarks, PivotBandsTruncateTheAverage) {
    std::vector<DailyBar> bars = rangeBars(1, 0);
    bars[0].high = 101;
    bars[0].low = 100;
    bars[0].close = 100;  // P = 301 / 3 = 100
    EXPECT_EQ(rangeBand(bars, 1)->upper, 100);
    EXPECT_EQ(rangeBand(bars, 1)->lower, 99);
    EXPECT_EQ(rangeBand(bars, 3)->upper, 101);
    EXPECT_EQ(rangeBand(bars, 3)->lower, 98);
}

}  // namespace
}  // namespace tav::test
