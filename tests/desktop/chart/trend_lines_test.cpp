#include "chart/trend_lines.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "data/program_folder.h"
#include "desktop/chart/pane_fixture.h"

namespace tav::desktop {
namespace {

using test::makeBar;

TEST(TrendLineFile, AppendReadAndDelete) {
    test::TempFolder temp;
    std::filesystem::create_directories(temp / "Line");
    const std::string path = trendLinePath(ProgramFolder(temp.str()), 7203);
    EXPECT_EQ(path, (temp / "Line" / "7203.lin").string());
    EXPECT_TRUE(readTrendLines(path).empty());
    EXPECT_FALSE(deleteNewestTrendLine(path));  // no file: nothing happens
    EXPECT_FALSE(std::filesystem::exists(path));

    const TrendLine first{"20240603", 2, 120, "20240614", 5, 80};
    const TrendLine second{"20240605", 0, 300, "20240605", 9, 310};
    ASSERT_TRUE(appendTrendLine(path, first));
    ASSERT_TRUE(appendTrendLine(path, second));
    EXPECT_EQ(test::readFile(path),
              "20240603 2 120 20240614 5 80\n20240605 0 300 20240605 9 310\n");
    EXPECT_EQ(readTrendLines(path), (std::vector<TrendLine>{first, second}));

    // Lines the reader cannot use are skipped but survive deleting the newest.
    test::writeFile(path, "20240603 2 120 20240614 5 80\r\nbroken\n20240605 0 300 20240605 9 310");
    EXPECT_EQ(readTrendLines(path), (std::vector<TrendLine>{first, second}));
    ASSERT_TRUE(deleteNewestTrendLine(path));
    EXPECT_EQ(test::readFile(path), "20240603 2 120 20240614 5 80\r\nbroken\n");
    ASSERT_TRUE(deleteNewestTrendLine(path));
    ASSERT_TRUE(deleteNewestTrendLine(path));
    EXPECT_TRUE(std::filesystem::exists(path));  // an emptied file stays
    EXPECT_EQ(test::readFile(path), "");

    ASSERT_TRUE(appendTrendLine(path, first));
    EXPECT_TRUE(deleteAllTrendLines(path));
    EXPECT_FALSE(std::filesystem::exists(path));
}

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
