#include <gtest/gtest.h>

#include <filesystem>

#include "chart_lines/trend_line_file.h"
#include "data/program_folder.h"
#include "support/temp_folder.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

TEST(TrendLineFile, AppendReadAndDelete) {
    test::TempFolder temp;
    fs::create_directories(temp / "Line");
    const std::string path = trendLinePath(ProgramFolder(temp.str()), 7203);
    EXPECT_EQ(path, (temp / "Line" / "7203.lin").string());
    EXPECT_TRUE(readTrendLines(path).empty());
    EXPECT_FALSE(deleteNewestTrendLine(path));  // no file: nothing happens
    EXPECT_FALSE(fs::exists(path));

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
    EXPECT_TRUE(fs::exists(path));  // an emptied file stays
    EXPECT_EQ(test::readFile(path), "");

    ASSERT_TRUE(appendTrendLine(path, first));
    EXPECT_TRUE(deleteAllTrendLines(path));
    EXPECT_FALSE(fs::exists(path));
}

}  // namespace
}  // namespace tav
