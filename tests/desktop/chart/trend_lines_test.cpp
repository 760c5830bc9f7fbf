#include "chart/trend_lines.h"

#include <gtest/gtest.h>

#include "desktop/chart/pane_fixture.h"

namespace tav::desktop {
namespace {

using test::makeBar;

TEST(TrendLinePlacement, EndsFollowTheirBarsAndRowsStay) {
    std::vector<DailyBar> bars;
    for (const char* date : {"20240603", "20240604", "20240605", "20240606"})
        bars.push_back(makeBar(date, 1, 1, 1, 1));
    // Pitch 7: bars at 349, 356, 363, 370; slots (x - 4, x + 3], origins x - 3.
    const BarAxis axis{400, 7, 4};
    const auto line = trendLineFromPoints(bars, axis, 353, 40, 373, 90);
    ASSERT_TRUE(line);
    EXPECT_EQ(*line, (TrendLine{"20240604", 0, 40, "20240606", 6, 90}));
    const auto same = placeTrendLine(bars, axis, *line);
    ASSERT_TRUE(same);
    EXPECT_EQ(same->x1, 353);
    EXPECT_EQ(same->x2, 373);

    // Pitch 12: x = 370 - (endCount - 1 - k) 12 - 6 + offset.
    const auto moved = placeTrendLine(bars, BarAxis{400, 12, 4}, *line);
    ASSERT_TRUE(moved);
    EXPECT_EQ(moved->x1, 370 - 2 * 12 - 6 + 0);
    EXPECT_EQ(moved->y1, 40);
    EXPECT_EQ(moved->x2, 370 - 6 + 6);
    EXPECT_EQ(moved->y2, 90);
    // An end bar beyond the newest shown bar is not found.
    EXPECT_FALSE(placeTrendLine(bars, BarAxis{400, 12, 3}, *line));

    // Points right of the newest slot or left of the oldest hit no bar.
    EXPECT_FALSE(trendLineFromPoints(bars, axis, 353, 40, 374, 90));
    EXPECT_FALSE(trendLineFromPoints(bars, axis, 345, 40, 373, 90));
}

}  // namespace
}  // namespace tav::desktop
