#include <gtest/gtest.h>

#include <filesystem>

#include "cli_support.h"
#include "core/text.h"
#include "support/temp_folder.h"

namespace tav::test {
namespace {

class WatchlistCli : public ::testing::Test {
  protected:
    void SetUp() override {
        std::filesystem::create_directories(temp / "folder");
        writeFile(temp / "folder/Stock.lst",
                  text::sjisFromUtf8("7203,トヨタ自動車,東証1部,100,-\n6758,ソニー,-,100,-\n"
                                     "2121,ミクシィ,マザーズ,1,-\n10001,Apple,東証,1,AAPL\n"));
        std::string titles;
        for (int n = 1; n <= 3; ++n)
            titles += "list" + std::to_string(n) + "\n";
        writeFile(temp / "folder/Focus.inf", titles);
    }
    std::string folder() const { return (temp / "folder").string(); }
    CliResult cli(std::vector<std::string> words, const std::string& input = "") {
        words.insert(words.begin(), {"--folder", folder()});
        return runCli(words, input);
    }
    std::string file(const std::string& name) {
        return text::utf8FromSjis(readFile(temp / "folder" / name));
    }
    TempFolder temp;
};

// A rewrite from what was read would drop what the reader cut: such edits
// are refused, and appends (which keep every line) still go through.
TEST_F(WatchlistCli, FilesTheReaderCutsAreNeverRewritten) {
    const std::string longLine = "6758 " + std::string(300, 'x') + "\n";
    writeFile(temp / "folder/Focus1.lst", "7203 a\n" + longLine);
    CliResult removed = cli({"watchlist", "1", "remove", "7203"});
    EXPECT_EQ(removed.exitCode, 1);
    EXPECT_NE(removed.err.find("[Focus1.lst]"), std::string::npos) << removed.err;
    EXPECT_EQ(readFile(temp / "folder/Focus1.lst"), "7203 a\n" + longLine);
    EXPECT_EQ(cli({"watchlist", "1", "add", "2121"}).exitCode, 0);
    EXPECT_TRUE(readFile(temp / "folder/Focus1.lst").starts_with("7203 a\n" + longLine));

    std::string titles;
    for (int n = 1; n <= 250; ++n)
        titles += "list" + std::to_string(n) + "\n";
    writeFile(temp / "folder/Focus.inf", titles);
    CliResult renamed = cli({"watchlists", "rename", "1", "new"});
    EXPECT_EQ(renamed.exitCode, 1);
    EXPECT_NE(renamed.err.find("[Focus.inf]"), std::string::npos) << renamed.err;
    EXPECT_EQ(readFile(temp / "folder/Focus.inf"), titles);
}

TEST_F(WatchlistCli, EntriesAreAddedMovedAndShown) {
    CliResult added = cli({"watchlist", "1", "add", "7203", "10001", "5555"});
    EXPECT_EQ(added.exitCode, 1);
    EXPECT_NE(added.err.find("番号　5555　は銘柄リストに存在していません。"), std::string::npos);
    EXPECT_EQ(cli({"watchlist", "1", "show"}).out, "7203 トヨタ自動車\n10001 Apple\n");

    EXPECT_EQ(cli({"watchlist", "1", "move", "10001", "up"}).exitCode, 0);
    EXPECT_EQ(file("Focus1.lst"), "10001 Apple\n7203 トヨタ自動車\n");

    // Questions are answered "no" without a terminal unless --yes is given.
    EXPECT_EQ(cli({"watchlist", "1", "move-to", "2"}).exitCode, 1);
    EXPECT_EQ(cli({"--yes", "watchlist", "1", "move-to", "2"}).exitCode, 0);
    EXPECT_EQ(file("Focus1.lst"), "");
    EXPECT_EQ(cli({"watchlist", "2", "copy-to", "3", "7203"}).exitCode, 0);
    EXPECT_EQ(file("Focus3.lst"), "7203 トヨタ自動車\n");
    EXPECT_EQ(cli({"watchlist", "2", "remove", "7203"}).exitCode, 0);
    EXPECT_EQ(file("Focus2.lst"), "10001 Apple\n");
    EXPECT_EQ(cli({"watchlist", "2", "remove", "7203"}).exitCode, 1);
}

TEST_F(WatchlistCli, PasteReadsStandardInput) {
    CliResult pasted = cli({"--yes", "watchlist", "2", "paste"}, "7203,トヨタ自動車\nABCDEFG\n");
    EXPECT_EQ(pasted.exitCode, 1);
    EXPECT_NE(pasted.err.find("ファイルフォーマットが不明です。"), std::string::npos);
    EXPECT_EQ(file("Focus2.lst"), "7203 トヨタ自動車\n");
    EXPECT_FALSE(std::filesystem::exists(temp / "folder/Focus_.lst"));
}

TEST_F(WatchlistCli, WholeWatchlistsAreAddedRenamedMovedAndDeleted) {
    writeFile(temp / "folder/Focus3.lst", "2121 x\n");
    EXPECT_EQ(cli({"watchlists", "add", "新規"}).exitCode, 0);
    EXPECT_EQ(cli({"watchlists", "rename", "1", "first"}).exitCode, 0);
    EXPECT_EQ(cli({"watchlists", "move", "3", "up"}).exitCode, 0);
    EXPECT_EQ(file("Focus2.lst"), "2121 x\n");
    EXPECT_EQ(cli({"--yes", "watchlists", "delete", "1"}).exitCode, 0);
    EXPECT_EQ(cli({"watchlists", "list"}).out, "1 list3\n2 list2\n3 新規\n");
    EXPECT_EQ(file("Focus1.lst"), "2121 x\n");
    EXPECT_EQ(cli({"watchlist", "4", "show"}).exitCode, 2);
    EXPECT_EQ(cli({"watchlists", "move", "1", "sideways"}).exitCode, 2);
}

TEST_F(WatchlistCli, MarketsAndHistory) {
    EXPECT_EQ(cli({"market", "1"}).out, "7203 トヨタ自動車\n6758 ソニー\n");
    EXPECT_EQ(cli({"market", "マザーズ"}).out, "2121 ミクシィ\n");
    EXPECT_EQ(cli({"market", "13"}).exitCode, 2);

    std::string history;
    for (int i = 0; i < 12; ++i)
        history += std::to_string(1300 + i) + " n\n";
    writeFile(temp / "folder/History.lst", history);
    EXPECT_EQ(cli({"history", "length", "5"}).exitCode, 0);
    EXPECT_EQ(cli({"history", "show"}).out, "1300 n\n1301 n\n1302 n\n1303 n\n1304 n\n");
    EXPECT_EQ(readFile(temp / "folder/History.lst"), "1300 n\n1301 n\n1302 n\n1303 n\n1304 n\n");
    EXPECT_EQ(cli({"history", "length", "4"}).exitCode, 2);
    EXPECT_EQ(cli({"history", "length", "51"}).exitCode, 2);
    EXPECT_EQ(cli({"--yes", "history", "clear"}).exitCode, 0);
    EXPECT_EQ(cli({"history", "show"}).out, "");
}

TEST_F(WatchlistCli, MarksLevelsStrategyAndLinks) {
    std::filesystem::create_directories(temp / "folder/Data");
    // Yesterday 110 / 90; today's close 120 is above, 6758's 80 below.
    writeFile(temp / "folder/Data/7203.txt",
              "20240103,100,110,90,100,5\n20240104,100,120,100,120,5\n");
    writeFile(temp / "folder/Data/6758.txt", "20240103,100,110,90,100,5\n20240104,90,90,80,80,5\n");
    writeFile(temp / "folder/Focus1.lst",
              text::sjisFromUtf8("7203 トヨタ自動車\n2121 ミクシィ\n6758 ソニー\n"));

    CliResult marks = cli({"watchlist", "1", "marks", "--range", "0"});
    ASSERT_EQ(marks.exitCode, 0) << marks.err;
    EXPECT_EQ(marks.out, "7203 トヨタ自動車 3\n2121 ミクシィ 0\n6758 ソニー 4\n");
    EXPECT_EQ(cli({"watchlist", "1", "marks", "--range", "10"}).exitCode, 2);
    EXPECT_EQ(cli({"watchlist", "1", "marks"}).exitCode, 2);
    EXPECT_EQ(cli({"watchlist", "1", "marks", "--rnage", "1"}).exitCode, 2);

    // No strategy anywhere: the message, and nothing runs.
    CliResult none = cli({"watchlist", "1", "marks", "--strategy"});
    EXPECT_EQ(none.exitCode, 1);
    EXPECT_NE(none.err.find("戦略が設定されていません。"), std::string::npos) << none.err;

    // The list's strategy is kept between runs; it must be one of the list.
    writeFile(temp / "folder/Trade.inf", "a\nb\nc\nd\n");
    EXPECT_EQ(cli({"watchlist", "2", "strategy", "4"}).exitCode, 0);
    EXPECT_EQ(cli({"watchlist", "2", "strategy"}).out, "4\n");
    EXPECT_EQ(cli({"watchlist", "1", "strategy"}).out, "0\n");
    EXPECT_EQ(cli({"watchlist", "2", "strategy", "300"}).exitCode, 2);
    const CliResult beyond = cli({"watchlist", "2", "strategy", "5"});
    EXPECT_EQ(beyond.exitCode, 2);
    EXPECT_NE(beyond.err.find("no strategy 5"), std::string::npos) << beyond.err;
    EXPECT_EQ(cli({"watchlist", "2", "strategy"}).out, "4\n");

    CliResult levels = cli({"watchlist", "1", "levels", "--block", "6"});
    ASSERT_EQ(levels.exitCode, 0) << levels.err;
    EXPECT_EQ(levels.out, folder() + "/Layer.txt\n");
    const std::string layer = readFile(temp / "folder/Layer.txt");
    EXPECT_TRUE(layer.starts_with(text::sjisFromUtf8("7203 トヨタ自動       6758 ソニー")));
    EXPECT_EQ(cli({"watchlist", "1", "levels", "--block", "4"}).exitCode, 2);

    CliResult missing = cli({"links", "7203"});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_NE(missing.err.find("[url.lst]　が見つかりませんので投資情報は使えません。"),
              std::string::npos);
    writeFile(temp / "folder/url.lst", "mine,http://mine.test/\n");
    CliResult links = cli({"links", "7203"});
    ASSERT_EQ(links.exitCode, 0) << links.err;
    EXPECT_NE(links.out.find("財務指標\thttp://127.0.0.1:8470/q?s=7203&d=t\n"), std::string::npos);
    EXPECT_NE(links.out.find("mine\thttp://mine.test/\n"), std::string::npos);
}

// Moves that cannot happen are told, and change nothing.
TEST_F(WatchlistCli, MovesPastTheEndsFailWithAMessage) {
    const std::string entries = text::sjisFromUtf8("7203 トヨタ自動車\n6758 ソニー\n");
    writeFile(temp / "folder/Focus1.lst", entries);
    const std::string titles = readFile(temp / "folder/Focus.inf");
    struct Case {
        std::vector<std::string> words;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{"watchlist", "1", "move", "7203", "up"}, 1, "already the first"},
        {{"watchlist", "1", "move", "6758", "down"}, 1, "already the last"},
        {{"watchlists", "move", "1", "up"}, 1, "already the first"},
        {{"watchlists", "move", "3", "down"}, 1, "already the last"},
        {{"watchlist", "1", "move", "2121", "up"}, 1, "is not in"},
        {{"watchlist", "1", "import", (temp / "none.txt").string()}, 1, ""},
    };
    for (const Case& c : cases) {
        const CliResult result = cli(c.words);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.message;
        EXPECT_FALSE(result.err.empty()) << c.words[1];
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
    }
    EXPECT_EQ(readFile(temp / "folder/Focus1.lst"), entries);
    EXPECT_EQ(readFile(temp / "folder/Focus.inf"), titles);
    EXPECT_EQ(cli({"watchlist", "1", "move", "6758", "up"}).exitCode, 0);
    EXPECT_EQ(file("Focus1.lst"), "6758 ソニー\n7203 トヨタ自動車\n");
}

// The marks and levels of a watchlist are those of the period the command
// line gives, daily without one, whatever period the window was left on.
TEST_F(WatchlistCli, MarksAndLevelsFollowTheGivenPeriod) {
    std::filesystem::create_directories(temp / "folder/Data");
    // Daily: today's close 120 breaks above; monthly: 80 breaks below.
    writeFile(temp / "folder/Data/7203.txt",
              "20240103,100,110,90,100,5\n20240104,100,120,100,120,5\n");
    writeFile(temp / "folder/Data/m7203.txt",
              "20231201,100,110,90,100,5\n20240101,90,90,80,80,5\n");
    writeFile(temp / "folder/Focus1.lst", text::sjisFromUtf8("7203 トヨタ自動車\n"));
    ASSERT_EQ(cli({"settings", "set", "periodMode", "2"}).exitCode, 0);

    const std::pair<std::vector<std::string>, const char*> cases[] = {
        {{}, "7203 トヨタ自動車 3\n"},
        {{"--period", "daily"}, "7203 トヨタ自動車 3\n"},
        {{"--period", "monthly"}, "7203 トヨタ自動車 4\n"},
    };
    for (const auto& [period, expected] : cases) {
        std::vector<std::string> words = {"watchlist", "1", "marks", "--range", "0"};
        words.insert(words.end(), period.begin(), period.end());
        const CliResult marks = cli(words);
        EXPECT_EQ(marks.exitCode, 0) << marks.err;
        EXPECT_EQ(marks.out, expected) << (period.empty() ? "" : period[1]);
    }

    auto layer = [&](std::vector<std::string> period) {
        std::vector<std::string> words = {"watchlist", "1", "levels", "--block", "5"};
        words.insert(words.end(), period.begin(), period.end());
        EXPECT_EQ(cli(words).exitCode, 0);
        return readFile(temp / "folder/Layer.txt");
    };
    const std::string daily = layer({});
    EXPECT_EQ(layer({"--period", "daily"}), daily);
    EXPECT_NE(layer({"--period", "monthly"}), daily);
}

}  // namespace
}  // namespace tav::test
