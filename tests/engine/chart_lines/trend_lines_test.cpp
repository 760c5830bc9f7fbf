#include <gtest/gtest.h>

#include <filesystem>

#include "chart_lines/trend_line_cache.h"
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

// The copy in memory follows the file's size and time: an unchanged stamp is
// not read again, any change of either is.
TEST(TrendLineCache, ReadsAgainOnlyWhenTheFileChanges) {
    test::TempFolder temp;
    const std::string path = (temp / "7203.lin").string();
    const std::string other = (temp / "1010.lin").string();
    const TrendLine a{"20240603", 1, 10, "20240604", 1, 10};
    const TrendLine b{"20240603", 2, 20, "20240604", 2, 20};  // a's length
    const TrendLine c{"20240603", 3, 300, "20240604", 3, 300};
    const auto bytes = [](const TrendLine& line) {
        return line.startDate + ' ' + std::to_string(line.startOffset) + ' ' +
               std::to_string(line.startY) + ' ' + line.endDate + ' ' +
               std::to_string(line.endOffset) + ' ' + std::to_string(line.endY) + '\n';
    };

    TrendLineCache cache;
    EXPECT_TRUE(cache.lines(path).empty());  // no file yet
    test::writeFile(path, bytes(a));
    ASSERT_EQ(cache.lines(path), std::vector<TrendLine>{a});
    fs::file_time_type time = fs::last_write_time(path);

    struct Change {
        const char* what;
        std::string bytes;
        bool keepTime;
        std::vector<TrendLine> seen;
    };
    const Change changes[] = {
        {"same size and time: the copy stands", bytes(b), true, {a}},
        {"same size, new time", bytes(b), false, {b}},
        {"new size, same time", bytes(b) + bytes(c), true, {b, c}},
    };
    for (const Change& change : changes) {
        test::writeFile(path, change.bytes);
        if (!change.keepTime) time += std::chrono::seconds(5);
        fs::last_write_time(path, time);
        EXPECT_EQ(cache.lines(path), change.seen) << change.what;
    }

    // Changes made through the cache show at once; another file is its own.
    ASSERT_TRUE(cache.deleteNewest(path));
    EXPECT_EQ(cache.lines(path), std::vector<TrendLine>{b});
    ASSERT_TRUE(cache.append(other, c));
    EXPECT_EQ(cache.lines(other), std::vector<TrendLine>{c});
    EXPECT_EQ(cache.lines(path), std::vector<TrendLine>{b});
    ASSERT_TRUE(cache.deleteAll(path));
    EXPECT_TRUE(cache.lines(path).empty());
}

}  // namespace
}  // namespace tav
