#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli_support.h"
#include "core/text.h"
#include "support/temp_folder.h"

namespace tav::test {
namespace {

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::stringstream stream(text);
    for (std::string line; std::getline(stream, line);)
        out.push_back(line);
    return out;
}

class StrategyCli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(cli({"init"}).exitCode, 0);
        // Rising bars on even days, falling on odd ones.
        std::string file;
        for (int i = 0; i < 20; ++i) {
            const int open = 1000 + i * 10;
            const int close = open + (i % 2 == 0 ? 20 : -20);
            file += std::to_string(20230101 + i) + "," + std::to_string(open) + "," +
                    std::to_string(std::max(open, close) + 5) + "," +
                    std::to_string(std::min(open, close) - 5) + "," + std::to_string(close) +
                    ",5000\n";
        }
        writeFile(folder() + "/Data/7203.txt", file);
    }
    std::string folder() const { return (temp / "folder").string(); }
    CliResult cli(std::vector<std::string> words) {
        words.insert(words.begin(), {"--folder", folder()});
        return runCli(words);
    }
    TempFolder temp;
};

TEST_F(StrategyCli, StrategiesAreEditedAndBacktested) {
    ASSERT_EQ(cli({"strategies", "add-tactic", "1"}).exitCode, 0);
    ASSERT_EQ(cli({"strategies", "add-condition", "1", "1", "buy", "3 0 0 0"}).exitCode, 0);
    ASSERT_EQ(cli({"strategies", "add-condition", "1", "1", "sell", "3 0 0 1"}).exitCode, 0);
    ASSERT_EQ(cli({"strategies", "fill", "1", "1", "buy", "4"}).exitCode, 0);
    ASSERT_EQ(cli({"strategies", "fill", "1", "1", "sell", "4"}).exitCode, 0);
    EXPECT_EQ(cli({"strategies", "show", "1"}).out,
              "Trade1.pat 売買戦略１\nmode: 0 買い ⇒ 手仕舞（売り）\n分割なし\n1: 戦術1\n"
              "  buy logic 0 fill 4\n    1: 3 0 0 0 0 0 0 0 0 本日が陽線\n"
              "  sell logic 0 fill 4\n    1: 3 0 0 1 0 0 0 0 0 本日が陰線\n");

    const CliResult run = cli({"backtest", "7203", "--strategy", "1"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    const auto out = lines(run.out);
    ASSERT_EQ(out.size(), 1u + 20u + 1u + 21u);
    EXPECT_EQ(out[0], "date,tradeMark,tradeReentry,tradeUnits,tradePerShare");
    // Bar 3 falls; bar 4 rises and buys at its close 1,060; bar 5 sells at 1,030.
    EXPECT_EQ(out[4], "20230104,0,0,0,0");
    EXPECT_EQ(out[5], "20230105,1,0,943,0");
    EXPECT_EQ(out[6], "20230106,3,0,0,-30");
    EXPECT_EQ(out[21], "");
    const std::vector<std::string> names = {
        "capital",     "equity",       "bars",         "trades",      "wins",
        "grossProfit", "grossLoss",    "averageWin",   "averageLoss", "averageProfit",
        "maxProfit",   "maxLoss",      "profitFactor", "position",    "entryPrice",
        "units",       "openPerShare", "openProfit",   "totalProfit", "totalCommission",
        "tax"};
    for (std::size_t i = 0; i < names.size(); ++i)
        EXPECT_TRUE(out[22 + i].starts_with(names[i] + " ")) << out[22 + i];
    EXPECT_EQ(out[22], "capital 1000000");
    EXPECT_EQ(out[24], "bars 17");
    EXPECT_EQ(out[25], "trades 8");
    EXPECT_EQ(out[26], "wins 0");
    EXPECT_EQ(out[34], "profitFactor 0");
    EXPECT_EQ(out[35], "position 0");

    const auto summary = lines(cli({"backtest", "7203", "--strategy", "1", "--summary"}).out);
    ASSERT_EQ(summary.size(), 21u);
    EXPECT_EQ(summary[0], "当初資金 1,000,000");
    EXPECT_EQ(summary[2], "取引数 8 [勝 0]");

    EXPECT_EQ(cli({"backtest", "7203", "--strategy", "11"}).exitCode, 1);
    EXPECT_EQ(cli({"backtest", "9999", "--strategy", "1"}).exitCode, 1);
    EXPECT_EQ(cli({"backtest", "7203"}).exitCode, 2);
    EXPECT_EQ(cli({"backtest", "7203", "--strategy", "x"}).exitCode, 2);
}

TEST_F(StrategyCli, ListOperations) {
    ASSERT_EQ(cli({"strategies", "add", "押し目 買い"}).exitCode, 0);
    EXPECT_EQ(lines(cli({"strategies", "list"}).out).back(), "11 押し目 買い");
    ASSERT_EQ(cli({"strategies", "add-tactic", "11"}).exitCode, 0);
    ASSERT_EQ(cli({"strategies", "move", "11", "up"}).exitCode, 0);
    EXPECT_EQ(lines(cli({"strategies", "list"}).out)[9], "10 押し目 買い");
    EXPECT_EQ(lines(cli({"strategies", "show", "10"}).out)[3], "1: 戦術1");
    // Deleting asks; without --yes the answer is no.
    EXPECT_EQ(cli({"strategies", "delete", "10"}).exitCode, 1);
    ASSERT_EQ(cli({"--yes", "strategies", "delete", "10"}).exitCode, 0);
    EXPECT_EQ(lines(cli({"strategies", "list"}).out).size(), 10u);
    EXPECT_EQ(cli({"strategies", "show", "12"}).exitCode, 2);
}

}  // namespace
}  // namespace tav::test
