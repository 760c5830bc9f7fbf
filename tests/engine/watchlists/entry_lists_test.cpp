#include "watchlists/entry_lists.h"

#include "watchlist_fixture.h"

namespace tav::test {
namespace {

class EntryLists : public WatchlistFolder {};

TEST_F(EntryLists, MarketsListTheirLinesAndTheFirstTakesUnknownMarkets) {
    writeSjis("Stock.lst",
              "7203,トヨタ自動車,東証1部,100,-\r\n"
              "9984,ソフトバンク,-,100,-\n"
              "4689,ヤフー,0\n"
              "2121,ミクシィ,マザーズ,1,-\n"
              "1301,極洋,東証1部x,1000,-\n"
              "garbage\n");
    EXPECT_EQ(fillEntryList(folder, 0, false),
              (std::vector<std::string>{"7203 トヨタ自動車", "9984 ソフトバンク", "4689 ヤフー"}));
    EXPECT_EQ(fillEntryList(folder, 7, false), std::vector<std::string>{"2121 ミクシィ"});
    EXPECT_TRUE(fillEntryList(folder, 8, false).empty());
    EXPECT_EQ(fillEntryList(folder, 0, true),
              (std::vector<std::string>{"4689 ヤフー", "7203 トヨタ自動車", "9984 ソフトバンク"}));
    std::filesystem::remove(temp / "Stock.lst");
    EXPECT_TRUE(fillEntryList(folder, 0, false).empty());
}

TEST_F(EntryLists, WatchlistsListTheirFileAndMissingFilesAreEmpty) {
    writeSjis("Focus2.lst", "7203 トヨタ自動車\n\n10001 Apple\n");
    EXPECT_EQ(fillEntryList(folder, watchlistPosition(2), false),
              (std::vector<std::string>{"7203 トヨタ自動車", "10001 Apple"}));
    EXPECT_TRUE(fillEntryList(folder, watchlistPosition(3), false).empty());
}

TEST_F(EntryLists, BatchSourceOfAMarketIsWrittenAsDisplayed) {
    Watchlists lists(folder, prompter);
    lists.select(0);
    auto source = lists.batchSource();
    ASSERT_TRUE(source);
    EXPECT_EQ(*source, (temp / "_temp.lst").string());
    EXPECT_EQ(readUtf8("_temp.lst"),
              "7203 トヨタ自動車\n6758 ソニー\n9984 ソフトバンク\n4689 ヤフー\n");
    std::vector<BatchEntry> entries = readBatchEntries(*source);
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[2].code, 9984);

    writeSjis("Focus1.lst", "10001 Apple\nno code\n7203 x\n");
    lists.select(watchlistPosition(1));
    source = lists.batchSource();
    EXPECT_EQ(*source, (temp / "Focus1.lst").string());
    entries = readBatchEntries(*source);
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].code, 10001);
    EXPECT_EQ(entries[0].line, "10001 Apple");
}

}  // namespace
}  // namespace tav::test

namespace tav::test {
namespace {

TEST(RealMasterList, FirstMarketCopiesWholeIntoAWatchlist) {
    const std::filesystem::path real = realDataFolder();
    if (real.empty()) GTEST_SKIP() << "no real data folder";
    TempFolder temp;
    std::filesystem::copy_file(real / "Stock.lst", temp / "Stock.lst");
    writeFile(temp / "Focus.inf", "all\n");
    RecordingPrompter prompter;
    Watchlists lists(ProgramFolder(temp.str()), prompter);
    lists.select(0);
    ASSERT_GT(lists.entries().size(), 1000u);
    ASSERT_TRUE(lists.copyAllTo(1));

    // Every line of the copy is "code name" exactly as the market list shows it.
    std::vector<std::string> copied = readWatchlistEntries(ProgramFolder(temp.str()), 1);
    ASSERT_EQ(copied.size(), lists.entries().size());
    for (std::size_t i = 0; i < copied.size(); ++i)
        EXPECT_EQ(copied[i], lists.entries()[i].text);
}

}  // namespace
}  // namespace tav::test
