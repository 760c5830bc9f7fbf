#include <gtest/gtest.h>

#include "data/master_list_edits.h"
#include "data/price_store.h"
#include "watchlist_fixture.h"
#include "watchlists/history.h"

namespace tav::test {
namespace {

class CurrentCodes : public WatchlistFolder {};

TEST_F(CurrentCodes, PrimeSecurityUnderAnAlphanumericCodeThroughListFilesAndPane) {
    const StockCode alpha = *parseCode("130A");
    const std::string before = readFile(temp / "Stock.lst");
    ASSERT_TRUE(addSecurity(folder, prompter, {alpha, "新規上場", 8, 1}));  // プライム, 100株
    EXPECT_EQ(readUtf8("Stock.lst"), text::utf8FromSjis(before) + "130A,新規上場,プライム,100,-\n");
    EXPECT_EQ(dataFilePath(folder, alpha, PeriodMode::Daily, StorageMode::Accumulate),
              folder.dataPath("130A.txt"));
    Watchlists lists(folder, prompter);
    lists.select(watchlistPosition(1));
    ASSERT_EQ(lists.addCodes(std::vector<StockCode>{alpha, 7203}), 2);
    EXPECT_EQ(readUtf8("Focus1.lst"), "130A 新規上場\n7203 トヨタ自動車\n");
    History history(folder);
    ASSERT_TRUE(history.recordHistory(alpha));
    EXPECT_EQ(history.historyCode(0), alpha);
    EXPECT_EQ(readUtf8("History.lst"), "130A 新規上場\n");

    const std::vector<std::string> combined = lists.combinedList();
    EXPECT_EQ(std::vector<std::string>(combined.begin() + 8, combined.begin() + 13),
              (std::vector<std::string>{"ヘラクレス", "プライム", "スタンダード", "グロース", "注目銘柄1"}));
    lists.select(9);
    EXPECT_EQ(shown(lists), std::vector<std::string>{"130A 新規上場"});
    ASSERT_TRUE(deleteSecurity(folder, prompter, alpha));
    EXPECT_EQ(readFile(temp / "Stock.lst"), before);
}

TEST_F(CurrentCodes, NumericFolderWritesTheBytesItAlwaysWrote) {
    const std::string list = text::sjisFromUtf8("7203,トヨタ,東証1部,100,-\n0999,旧,東証2部,1000,-\n"
                                                "10001,Apple,東証,1,AAPL\n");
    writeFile(temp / "Stock.lst", list);
    ASSERT_TRUE(addSecurity(folder, prompter, {1301, "極洋", 0, 0}));
    ASSERT_TRUE(deleteSecurity(folder, prompter, 1301));
    EXPECT_EQ(readFile(temp / "Stock.lst"), list);
    const std::string entries = text::sjisFromUtf8("7203 トヨタ\n1010 日経平均\n10001 Apple\n");
    writeFile(temp / "Focus1.lst", entries);
    Watchlists lists(folder, prompter);
    lists.select(watchlistPosition(1));
    ASSERT_TRUE(lists.selectCode(1010) && lists.moveEntryUp(false) && lists.moveEntryDown(false));
    EXPECT_EQ(readFile(temp / "Focus1.lst"), entries);
}

}  // namespace
}  // namespace tav::test
