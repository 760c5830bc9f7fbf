#include "watchlist_fixture.h"

namespace tav::test {
namespace {

class WholeWatchlists : public WatchlistFolder {
  protected:
    Watchlists lists{folder, prompter};
};

TEST_F(WholeWatchlists, DeletingTheThirdOfTenRenumbersFilesAndStrategies) {
    for (int n = 1; n <= 10; ++n) {
        writeSjis(watchlistFileName(n),
                  std::to_string(1000 + n) + " list" + std::to_string(n) + "\n");
        ASSERT_TRUE(lists.setWatchlistStrategy(n, n));
    }
    lists.select(watchlistPosition(3));
    ASSERT_TRUE(lists.deleteWatchlist());
    EXPECT_EQ(
        prompter.questions(),
        std::vector<std::string>{
            "[注目銘柄3] を削除します。\n\n一度削除すると元へ戻せません。\n\nよろしいですか？"});
    ASSERT_EQ(lists.watchlistCount(), 9);
    EXPECT_EQ(lists.titles()[2], "注目銘柄4");
    for (int n = 1; n <= 9; ++n) {
        int was = n < 3 ? n : n + 1;
        EXPECT_EQ(readUtf8(watchlistFileName(n)),
                  std::to_string(1000 + was) + " list" + std::to_string(was) + "\n");
        EXPECT_EQ(lists.watchlistStrategy(n), was);
    }
    EXPECT_FALSE(exists("Focus10.lst"));
    EXPECT_EQ(lists.watchlistStrategy(10), 0);
    // The same position now shows the old fourth list.
    EXPECT_EQ(lists.position(), watchlistPosition(3));
    EXPECT_EQ(lists.entries()[0].text, "1004 list4");

    // Deleting the last one selects the one before it.
    lists.select(watchlistPosition(9));
    ASSERT_TRUE(lists.deleteWatchlist());
    EXPECT_EQ(lists.position(), watchlistPosition(8));
    prompter.answers.push_back(Answer::No);
    EXPECT_FALSE(lists.deleteWatchlist());
    EXPECT_EQ(lists.watchlistCount(), 8);
}

TEST_F(WholeWatchlists, MovingSwapsTitlesFilesAndStrategies) {
    writeSjis("Focus1.lst", "7203 a\n");
    ASSERT_TRUE(lists.setWatchlistStrategy(1, 4));
    lists.select(watchlistPosition(1));
    EXPECT_FALSE(lists.moveWatchlistUp());
    ASSERT_TRUE(lists.moveEntryDown(true));  // the alternate command moves the list
    EXPECT_EQ(lists.position(), watchlistPosition(2));
    EXPECT_EQ(lists.titles()[0], "注目銘柄2");
    EXPECT_EQ(lists.titles()[1], "注目銘柄1");
    EXPECT_FALSE(exists("Focus1.lst"));
    EXPECT_EQ(readUtf8("Focus2.lst"), "7203 a\n");
    EXPECT_EQ(lists.watchlistStrategy(1), 0);
    EXPECT_EQ(lists.watchlistStrategy(2), 4);
    EXPECT_EQ(lists.entries().size(), 1u);

    lists.select(watchlistPosition(10));
    EXPECT_FALSE(lists.moveWatchlistDown());
    EXPECT_TRUE(lists.moveWatchlistUp());
    EXPECT_EQ(lists.titles()[8], "注目銘柄10");
}

TEST_F(WholeWatchlists, StrategyNumbersSurviveARestartAndFollowTheirLists) {
    for (int n = 1; n <= 4; ++n)
        ASSERT_TRUE(lists.setWatchlistStrategy(n, 10 * n));
    EXPECT_FALSE(lists.setWatchlistStrategy(11, 1));   // no such watchlist
    EXPECT_FALSE(lists.setWatchlistStrategy(1, 256));  // one byte
    lists.select(watchlistPosition(2));
    ASSERT_TRUE(lists.deleteWatchlist());
    lists.select(watchlistPosition(1));
    ASSERT_TRUE(lists.moveWatchlistDown());
    // The next start reads what the last one left: 30, 10, 40, then none.
    Watchlists restarted(folder, prompter);
    const int expected[] = {30, 10, 40, 0, 0, 0, 0, 0, 0};
    for (int n = 1; n <= 9; ++n)
        EXPECT_EQ(restarted.watchlistStrategy(n), expected[n - 1]) << "watchlist " << n;
    EXPECT_EQ(readUtf8("FocusTrade.inf"), "30\n10\n40\n0\n0\n0\n0\n0\n0\n");

    // Lines that are no strategy number read as none.
    writeSjis("FocusTrade.inf", "7\nx\n\n999\n-1\n5\n");
    Watchlists damaged(folder, prompter);
    const int read[] = {7, 0, 0, 0, 0, 5};
    for (int n = 1; n <= 6; ++n)
        EXPECT_EQ(damaged.watchlistStrategy(n), read[n - 1]) << "watchlist " << n;

    // A second instance changes nothing.
    damaged.readOnly = true;
    EXPECT_FALSE(damaged.setWatchlistStrategy(1, 3));
    EXPECT_EQ(readUtf8("FocusTrade.inf"), "7\nx\n\n999\n-1\n5\n");
}

TEST_F(WholeWatchlists, AddAndRenameCheckTheTitle) {
    writeSjis("Focus1.lst", "7203 a\n");
    lists.select(watchlistPosition(1));
    prompter.inputs.push_back(std::string(128, 'x'));
    prompter.inputs.push_back("半導体");
    EXPECT_FALSE(lists.addWatchlist());
    EXPECT_EQ(prompter.messages().back(),
              "タイトルが長すぎます。\n\n半角127文字（全角63文字）以内で入力してください。");
    ASSERT_TRUE(lists.addWatchlist());
    EXPECT_EQ(prompter.calls.back().text, "注目銘柄の追加|タイトル|");
    EXPECT_EQ(lists.watchlistCount(), 11);
    EXPECT_EQ(lists.position(), watchlistPosition(11));
    EXPECT_TRUE(lists.entries().empty());
    EXPECT_EQ(readUtf8("Focus.inf").substr(readUtf8("Focus.inf").size() - 11), "\n半導体\n");

    // 63 double-byte characters fit, 64 do not.
    std::string fits;
    for (int i = 0; i < 63; ++i)
        fits += "株";
    prompter.inputs.push_back(fits + "株");
    prompter.inputs.push_back("a\nb");
    prompter.inputs.push_back(fits);
    EXPECT_FALSE(lists.renameWatchlist());
    EXPECT_FALSE(lists.renameWatchlist());
    EXPECT_EQ(prompter.messages().back(), "タイトルに使用できない文字が含まれています。");
    ASSERT_TRUE(lists.renameWatchlist());
    EXPECT_EQ(prompter.calls.back().text, "注目銘柄の名前変更|タイトル|半導体");
    EXPECT_EQ(readTitles(folder).size(), 11u);
    EXPECT_EQ(readTitles(folder)[10], fits);
    prompter.inputs.push_back("😀");  // no Shift-JIS form
    EXPECT_FALSE(lists.renameWatchlist());
    EXPECT_EQ(readTitles(folder)[10], fits);
}

TEST_F(WholeWatchlists, NoMoreThan246Watchlists) {
    std::string titles;
    for (int n = 1; n <= kMaxWatchlists; ++n)
        titles += "t\n";
    writeSjis("Focus.inf", titles);
    prompter.inputs.push_back("one more");
    EXPECT_FALSE(lists.addWatchlist());
    EXPECT_EQ(
        prompter.messages(),
        std::vector<std::string>{"注目銘柄はこれ以上追加できません。\n\n最大246個までです。"});
    EXPECT_EQ(readTitles(folder).size(), static_cast<std::size_t>(kMaxWatchlists));
    EXPECT_EQ(lists.combinedList().size(), static_cast<std::size_t>(kMarketCount + kMaxWatchlists));
    lists.select(watchlistPosition(kMaxWatchlists));
    EXPECT_EQ(lists.displayedWatchlist(), kMaxWatchlists);
    lists.select(watchlistPosition(kMaxWatchlists + 1));
    EXPECT_EQ(lists.position(), 0);
}

}  // namespace
}  // namespace tav::test
