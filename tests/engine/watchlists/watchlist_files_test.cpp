#include "watchlists/watchlist_files.h"

#include "watchlist_fixture.h"

namespace tav::test {
namespace {

TEST(WatchlistLines, LongLinesAreCutWholeCharactersAndNotSplit) {
    // 254 ASCII bytes, then a double-byte character straddling the 255-byte limit.
    std::string longLine = "7203 " + std::string(249, 'a') + text::sjisFromUtf8("漢字") + "tail";
    std::string bytes = longLine + "\r\n" + "6758 x\n\n" + "9984 y";
    std::vector<std::string> lines = readLines(bytes, LineLimits{});
    ASSERT_EQ(lines.size(), 3u);  // the blank line is skipped, the rest is not a line
    EXPECT_EQ(text::sjisFromUtf8(lines[0]).size(), 254u);
    EXPECT_EQ(lines[0], "7203 " + std::string(249, 'a'));
    EXPECT_EQ(lines[1], "6758 x");
    EXPECT_EQ(lines[2], "9984 y");

    LineLimits titles{kTitleLineBuffer, 2, false};
    EXPECT_EQ(readLines("a\n\nc\n", titles), (std::vector<std::string>{"a", ""}));
}

TEST(WatchlistLines, CodeIsTheNumberBeforeTheFirstSpace) {
    EXPECT_EQ(lineCode("7203 トヨタ自動車"), 7203);
    EXPECT_EQ(lineCode("10001 Apple"), 10001);
    EXPECT_EQ(lineCode("7203"), 7203);
    EXPECT_EQ(lineCode(" 7203 x"), 0);
    EXPECT_EQ(lineCode("abc def"), 0);
    EXPECT_EQ(lineCode(""), 0);
}

class WatchlistFileMoves : public WatchlistFolder {};

TEST_F(WatchlistFileMoves, RenumberingAfterADeleteRenamesEveryLaterFile) {
    for (int n = 1; n <= 10; ++n)
        if (n != 6)
            writeSjis(watchlistFileName(n),
                      std::to_string(n) + "000 list" + std::to_string(n) + "\n");
    ASSERT_TRUE(renumberAfterDelete(folder, 3, 10));
    EXPECT_EQ(readUtf8("Focus2.lst"), "2000 list2\n");
    EXPECT_EQ(readUtf8("Focus3.lst"), "4000 list4\n");
    EXPECT_EQ(readUtf8("Focus4.lst"), "5000 list5\n");
    EXPECT_FALSE(exists("Focus5.lst"));  // list 6 had no file and still has none
    EXPECT_EQ(readUtf8("Focus6.lst"), "7000 list7\n");
    EXPECT_EQ(readUtf8("Focus9.lst"), "10000 list10\n");
    EXPECT_FALSE(exists("Focus10.lst"));
}

TEST_F(WatchlistFileMoves, SwapHandlesMissingFilesAndIgnoresAStaleBackup) {
    writeSjis("Focus.bak", "9999 stale\n");
    writeSjis("Focus1.lst", "7203 a\n");
    ASSERT_TRUE(swapWatchlistFiles(folder, 1, 2));
    EXPECT_FALSE(exists("Focus1.lst"));
    EXPECT_EQ(readUtf8("Focus2.lst"), "7203 a\n");

    writeSjis("Focus1.lst", "6758 b\n");
    ASSERT_TRUE(swapWatchlistFiles(folder, 1, 2));
    EXPECT_EQ(readUtf8("Focus1.lst"), "7203 a\n");
    EXPECT_EQ(readUtf8("Focus2.lst"), "6758 b\n");
    EXPECT_FALSE(exists("Focus.bak"));

    ASSERT_TRUE(swapWatchlistFiles(folder, 4, 5));  // neither exists
    EXPECT_FALSE(exists("Focus4.lst"));
    EXPECT_FALSE(exists("Focus5.lst"));
}

TEST_F(WatchlistFileMoves, TitlesKeepBlankLinesAndStopAtTheLimit) {
    std::string many;
    for (int n = 0; n < 300; ++n)
        many += n == 1 ? "\n" : "t\n";
    writeSjis("Focus.inf", many);
    std::vector<std::string> titles = readTitles(folder);
    ASSERT_EQ(titles.size(), static_cast<std::size_t>(kMaxWatchlists));
    EXPECT_EQ(titles[1], "");
    // A hand-made title too long for the line buffer is cut, not split in two.
    writeSjis("Focus.inf", std::string(200, 'x') + "\nsecond\n");
    EXPECT_EQ(readTitles(folder), (std::vector<std::string>{std::string(127, 'x'), "second"}));

    ASSERT_TRUE(writeTitles(folder, {"一", "二"}));
    EXPECT_EQ(readFile(temp / "Focus.inf"), text::sjisFromUtf8("一\n二\n"));
}

}  // namespace
}  // namespace tav::test
