#include "watchlists/history.h"

#include "watchlist_fixture.h"

namespace tav::test {
namespace {

class HistoryFile : public WatchlistFolder {
  protected:
    // Lines "1001 n1" ... newest first.
    void writeHistory(int lines) {
        std::string text;
        for (int i = 1; i <= lines; ++i)
            text += std::to_string(1000 + i) + " n" + std::to_string(i) + "\n";
        writeSjis("History.lst", text);
    }
    History history{folder};
};

TEST_F(HistoryFile, RecordingMovesToTheTopAndDropsTheOldest) {
    ASSERT_TRUE(history.recordHistory(7203));
    EXPECT_EQ(readUtf8("History.lst"), "7203 トヨタ自動車\n");

    writeHistory(20);
    history.recordHistory(1005);
    EXPECT_EQ(history.historyCount(), 20);
    EXPECT_EQ(history.historyCode(0), 1005);
    EXPECT_EQ(history.historyCode(4), 1004);
    EXPECT_EQ(history.historyCode(5), 1006);
    EXPECT_EQ(history.historyLines()[0], "1005 n5");  // the line keeps its own text

    history.recordHistory(7203);
    EXPECT_EQ(history.historyCount(), 20);
    EXPECT_EQ(history.historyCode(0), 7203);
    EXPECT_EQ(history.historyCode(19), 1019);  // 1020 fell off

    std::string before = readFile(temp / "History.lst");
    history.recordHistory(7203);
    EXPECT_EQ(readFile(temp / "History.lst"), before);
}

TEST_F(HistoryFile, OverlongFilesAreReadAndWrittenAsTheirFirstNLines) {
    writeHistory(30);
    EXPECT_EQ(history.historyCount(), 20);
    history.recordHistory(2121);
    const std::string written = readUtf8("History.lst");
    EXPECT_EQ(std::count(written.begin(), written.end(), '\n'), 20);
    EXPECT_EQ(history.historyCode(19), 1019);
}

TEST_F(HistoryFile, LoweringTheLengthCutsAtOnce) {
    writeHistory(20);
    ASSERT_TRUE(history.setHistoryLength(5));
    EXPECT_EQ(readUtf8("History.lst"), "1001 n1\n1002 n2\n1003 n3\n1004 n4\n1005 n5\n");
    history.setHistoryLength(50);
    EXPECT_EQ(history.historyCount(), 5);
    history.setHistoryLength(1);
    EXPECT_EQ(history.length(), History::kMinLength);
    history.setLengthSetting(200);
    EXPECT_EQ(history.length(), History::kMaxLength);
}

TEST_F(HistoryFile, UsCodesReadWholeAndFourDigitCodesAsBefore) {
    writeSjis("History.lst", "10001 Apple\n7203 トヨタ自動車\n6758ソニー\n");
    EXPECT_EQ(history.historyCode(0), 10001);
    EXPECT_EQ(history.historyCode(1), 7203);
    EXPECT_EQ(history.historyCode(3), 0);
    history.recordHistory(7203);
    history.recordHistory(10001);
    EXPECT_EQ(readUtf8("History.lst"), "10001 Apple\n7203 トヨタ自動車\n6758ソニー\n");
}

TEST_F(HistoryFile, SteppingShowsCodesWithoutRecordingThem) {
    writeHistory(3);
    std::vector<StockCode> displayed;
    auto display = [&](StockCode code) {
        EXPECT_TRUE(history.recordingSuspended());
        EXPECT_FALSE(history.recordHistory(code));
        displayed.push_back(code);
    };
    EXPECT_EQ(history.historyForward(display), std::nullopt);
    EXPECT_EQ(history.historyBack(display), 1002);
    EXPECT_EQ(history.historyBack(display), 1003);
    EXPECT_EQ(history.historyBack(display), std::nullopt);
    EXPECT_EQ(history.cursor(), 2);
    EXPECT_EQ(history.historyForward(display), 1002);
    EXPECT_EQ(displayed, (std::vector<StockCode>{1002, 1003, 1002}));
    EXPECT_FALSE(history.recordingSuspended());
    EXPECT_EQ(history.historyCode(0), 1001);  // the file did not change

    history.recordHistory(1003);
    EXPECT_EQ(history.cursor(), 0);
    EXPECT_EQ(history.historyCode(0), 1003);
}

TEST_F(HistoryFile, ClearingAsksFirst) {
    writeHistory(3);
    prompter.answers.push_back(Answer::No);
    EXPECT_FALSE(history.clearHistory(prompter));
    EXPECT_EQ(history.historyCount(), 3);
    EXPECT_TRUE(history.clearHistory(prompter));
    EXPECT_EQ(prompter.questions().back(), "履歴ファイルをクリアします。\n\nよろしいですか？");
    EXPECT_EQ(readFile(temp / "History.lst"), "");
    EXPECT_EQ(history.historyCount(), 0);
}

}  // namespace
}  // namespace tav::test
