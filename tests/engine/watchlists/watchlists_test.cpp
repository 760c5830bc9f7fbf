#include "watchlists/watchlists.h"

#include "watchlist_fixture.h"

namespace tav::test {
namespace {

const char* const kSameList = "送り手と受け手が同じです。";

class WatchlistOperations : public WatchlistFolder {
  protected:
    Watchlists lists{folder, prompter};
};

TEST_F(WatchlistOperations, AddingWritesTheMasterNameOnceAndShowsIt) {
    lists.select(watchlistPosition(1));
    EXPECT_EQ(lists.displayedFileName(), "Focus1.lst");
    EXPECT_TRUE(lists.addToWatchlist(7203, 1, false));
    EXPECT_TRUE(lists.addToWatchlist(10001, 1, false));
    EXPECT_TRUE(lists.addToWatchlist(1111, 1, false));
    EXPECT_EQ(readUtf8("Focus1.lst"), "7203 トヨタ自動車\n10001 Apple\n1111 -----\n");
    EXPECT_EQ(shown(lists),
              (std::vector<std::string>{"7203 トヨタ自動車", "10001 Apple", "1111 -----"}));

    EXPECT_FALSE(lists.addToWatchlist(7203, 1, false));
    EXPECT_EQ(prompter.messages(),
              std::vector<std::string>{"7203 トヨタ自動車\n\nは既に登録済みです。"});
    EXPECT_EQ(prompter.calls.back().icon, MessageIcon::Stop);
    EXPECT_FALSE(lists.addToWatchlist(7203, 1, true));
    EXPECT_EQ(prompter.messages().size(), 1u);
    EXPECT_EQ(lists.entries().size(), 3u);

    // Another list's file grows, the displayed one does not.
    EXPECT_TRUE(lists.addToWatchlist(6758, 2, false));
    EXPECT_EQ(readUtf8("Focus2.lst"), "6758 ソニー\n");
    EXPECT_EQ(lists.entries().size(), 3u);
    EXPECT_FALSE(lists.addToWatchlist(6758, 11, false));
    EXPECT_FALSE(exists("Focus11.lst"));
}

TEST_F(WatchlistOperations, SeveralCodesReportThoseNotInTheMasterList) {
    lists.select(watchlistPosition(1));
    std::vector<StockCode> codes{7203, 0, 5555, 6758, 7203};
    EXPECT_EQ(lists.addCodes(codes), 2);
    EXPECT_EQ(prompter.messages(),
              (std::vector<std::string>{"番号　5555　は銘柄リストに存在していません。",
                                        "7203 トヨタ自動車\n\nは既に登録済みです。"}));
    EXPECT_EQ(readUtf8("Focus1.lst"), "7203 トヨタ自動車\n6758 ソニー\n");
}

TEST_F(WatchlistOperations, RemoveSelectsTheNextOrPreviousAndNothingWhenEmpty) {
    writeSjis("Focus1.lst", "7203 a\n6758 b\n9984 c\n");
    lists.select(watchlistPosition(1));
    lists.selectEntry(1);
    EXPECT_EQ(lists.removeEntry(), 9984);
    EXPECT_EQ(lists.selectedIndex(), 1);
    EXPECT_EQ(lists.removeEntry(), 7203);  // the last went: the one before
    EXPECT_EQ(lists.selectedIndex(), 0);
    EXPECT_EQ(readUtf8("Focus1.lst"), "7203 a\n");
    EXPECT_EQ(lists.removeEntry(), std::nullopt);
    EXPECT_EQ(lists.selectedIndex(), -1);
    EXPECT_EQ(readUtf8("Focus1.lst"), "");
    EXPECT_EQ(lists.removeEntry(), std::nullopt);
}

TEST_F(WatchlistOperations, EntriesMoveWithTheirSelectionAndMarketsStayUntouched) {
    writeSjis("Focus1.lst", "7203 a\n6758 b\n");
    lists.select(watchlistPosition(1));
    lists.selectEntry(0);
    EXPECT_FALSE(lists.moveEntryUp(false));
    EXPECT_TRUE(lists.moveEntryDown(false));
    EXPECT_EQ(lists.selectedIndex(), 1);
    EXPECT_FALSE(lists.moveEntryDown(false));
    EXPECT_EQ(readUtf8("Focus1.lst"), "6758 b\n7203 a\n");

    lists.select(0);
    lists.selectEntry(0);
    EXPECT_FALSE(lists.moveEntryDown(false));
    EXPECT_FALSE(lists.removeEntry());
    EXPECT_FALSE(lists.saveDisplayedWatchlist());
    EXPECT_FALSE(exists("Focus0.lst"));
}

TEST_F(WatchlistOperations, CopyAndMoveOneEntry) {
    writeSjis("Focus1.lst", "7203 a\n6758 b\n");
    writeSjis("Focus2.lst", "6758 ソニー\n");
    lists.select(watchlistPosition(1));
    lists.selectEntry(0);
    EXPECT_FALSE(lists.copyEntryTo(1));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{kSameList});
    EXPECT_TRUE(lists.moveEntryTo(2));
    EXPECT_EQ(readUtf8("Focus1.lst"), "6758 b\n");
    EXPECT_EQ(readUtf8("Focus2.lst"), "6758 ソニー\n7203 トヨタ自動車\n");
    // Already there: the entry stays here.
    EXPECT_FALSE(lists.moveEntryTo(2));
    EXPECT_EQ(readUtf8("Focus1.lst"), "6758 b\n");
}

TEST_F(WatchlistOperations, CopyAllSkipsDuplicatesAndRefusesItsOwnList) {
    writeSjis("Focus1.lst", "7203 a\n6758 b\n");
    writeSjis("Focus2.lst", "6758 ソニー\n");
    lists.select(watchlistPosition(1));
    EXPECT_FALSE(lists.copyAllTo(1));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{kSameList});
    EXPECT_EQ(readUtf8("Focus1.lst"), "7203 a\n6758 b\n");
    EXPECT_TRUE(lists.copyAllTo(2));
    EXPECT_EQ(prompter.messages().size(), 1u);  // the duplicate went by silently
    EXPECT_EQ(prompter.questions().back(),
              "注目銘柄リストの全項目を全て複写します。\n\nよろしいですか？");
    EXPECT_EQ(readUtf8("Focus2.lst"), "6758 ソニー\n7203 トヨタ自動車\n");

    // From a market too.
    lists.select(0);
    EXPECT_TRUE(lists.copyAllTo(3));
    EXPECT_EQ(readUtf8("Focus3.lst"),
              "7203 トヨタ自動車\n6758 ソニー\n9984 ソフトバンク\n4689 ヤフー\n");
}

TEST_F(WatchlistOperations, MoveAllRemovesOnlyWhatReachedTheTarget) {
    writeSjis("Focus1.lst", "7203 a\nxyz\n6758 b\n");
    lists.select(watchlistPosition(1));
    prompter.answers.push_back(Answer::No);
    EXPECT_FALSE(lists.moveAllTo(2));
    EXPECT_EQ(lists.entries().size(), 3u);
    EXPECT_FALSE(lists.moveAllTo(1));
    EXPECT_EQ(lists.entries().size(), 3u);

    // The line without a code cannot go anywhere and stays.
    EXPECT_FALSE(lists.moveAllTo(2));
    EXPECT_EQ(readUtf8("Focus1.lst"), "xyz\n");
    EXPECT_EQ(readUtf8("Focus2.lst"), "7203 トヨタ自動車\n6758 ソニー\n");

    // A target that cannot be written keeps everything here.
    writeSjis("Focus1.lst", "9984 c\n");
    lists.reload();
    std::filesystem::create_directory(temp / "Focus3.lst");
    EXPECT_FALSE(lists.moveAllTo(3));
    EXPECT_EQ(readUtf8("Focus1.lst"), "9984 c\n");
}

TEST_F(WatchlistOperations, ClearAllEmptiesTheFileAfterAsking) {
    writeSjis("Focus1.lst", "7203 a\n");
    lists.select(watchlistPosition(1));
    prompter.answers.push_back(Answer::No);
    EXPECT_FALSE(lists.clearAll());
    EXPECT_EQ(readUtf8("Focus1.lst"), "7203 a\n");
    EXPECT_TRUE(lists.clearAll());
    EXPECT_EQ(prompter.questions().back(),
              "注目銘柄リストの全項目を全て削除します。\n\nよろしいですか？");
    EXPECT_TRUE(exists("Focus1.lst"));
    EXPECT_EQ(readUtf8("Focus1.lst"), "");
    EXPECT_TRUE(lists.entries().empty());
}

TEST_F(WatchlistOperations, ReplacingAListShowsAndWritesIt) {
    writeSjis("Focus4.lst", "7203 old\n");
    lists.select(0);
    ASSERT_TRUE(lists.replaceWatchlist(4, {"6758 ソニー", "10001 Apple"}));
    EXPECT_EQ(lists.displayedWatchlist(), 4);
    EXPECT_EQ(shown(lists), (std::vector<std::string>{"6758 ソニー", "10001 Apple"}));
    EXPECT_EQ(readUtf8("Focus4.lst"), "6758 ソニー\n10001 Apple\n");
    EXPECT_FALSE(lists.replaceWatchlist(11, {"6758 x"}));
}

TEST_F(WatchlistOperations, SortedListsKeepNewEntriesInOrder) {
    lists.sorted = true;
    writeSjis("Focus1.lst", "7203 a\n1301 b\n");
    lists.select(watchlistPosition(1));
    EXPECT_EQ(shown(lists), (std::vector<std::string>{"1301 b", "7203 a"}));
    lists.selectEntry(1);
    lists.addToWatchlist(6758, 1, false);
    EXPECT_EQ(shown(lists), (std::vector<std::string>{"1301 b", "6758 ソニー", "7203 a"}));
    EXPECT_EQ(lists.selectedCode(), 7203);
}

}  // namespace
}  // namespace tav::test
