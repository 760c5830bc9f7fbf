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

    // Past either end nothing moves, and the user is told.
    const std::string names = readFile(folder() + "/Trade.inf");
    for (const auto& [number, way] : {std::pair{"1", "up"}, std::pair{"10", "down"}}) {
        const CliResult moved = cli({"strategies", "move", number, way});
        EXPECT_EQ(moved.exitCode, 1) << way;
        EXPECT_NE(moved.err.find("is already the"), std::string::npos) << moved.err;
    }
    EXPECT_EQ(readFile(folder() + "/Trade.inf"), names);
}

}  // namespace
}  // namespace tav::test

namespace tav::test {
namespace {

// The column `name` of a CSV text, summed over its data lines.
int64_t columnSum(const std::string& csv, const std::string& name) {
    const auto rows = lines(csv);
    std::vector<std::string> header;
    std::stringstream headerStream(rows.at(0));
    for (std::string field; std::getline(headerStream, field, ',');)
        header.push_back(field);
    const auto column = std::find(header.begin(), header.end(), name) - header.begin();
    int64_t sum = 0;
    for (std::size_t r = 1; r < rows.size(); ++r) {
        std::stringstream row(rows[r]);
        std::string field;
        for (int c = 0; c <= column; ++c)
            std::getline(row, field, ',');
        sum += std::stoll(field);
    }
    return sum;
}

TEST_F(StrategyCli, TradesEquityAndJsonExports) {
    ASSERT_EQ(cli({"strategies", "add-tactic", "1"}).exitCode, 0);
    ASSERT_EQ(cli({"strategies", "add-condition", "1", "1", "buy", "3 0 0 0"}).exitCode, 0);
    ASSERT_EQ(cli({"strategies", "add-condition", "1", "1", "sell", "3 0 0 1"}).exitCode, 0);
    ASSERT_EQ(cli({"settings", "set", "commissionKind", "1"}).exitCode, 0);
    const auto block = lines(cli({"backtest", "7203", "--strategy", "1"}).out);
    auto blockValue = [&](const std::string& name) {
        for (const std::string& line : block)
            if (line.starts_with(name + " ")) return std::stoll(line.substr(name.size() + 1));
        ADD_FAILURE() << "no " << name;
        return 0LL;
    };

    const CliResult trades = cli({"backtest", "7203", "--strategy", "1", "--trades"});
    ASSERT_EQ(trades.exitCode, 0) << trades.err;
    const auto tradeLines = lines(trades.out);
    EXPECT_EQ(tradeLines[0],
              "tactic,side,entryDate,entryPrice,exitDate,exitPrice,units,gross,commission,net,"
              "barsHeld,reason");
    EXPECT_TRUE(tradeLines[1].starts_with("戦術1,long,20230105,"));
    const bool open = blockValue("position") != 0;
    EXPECT_EQ(static_cast<long long>(tradeLines.size()) - 1, blockValue("trades") + open);
    EXPECT_EQ(tradeLines.back().ends_with(",open"), open);
    if (!open) {
        EXPECT_EQ(columnSum(trades.out, "gross"), blockValue("totalProfit"));
    }
    EXPECT_EQ(columnSum(trades.out, "commission"), blockValue("totalCommission"));
    EXPECT_GT(blockValue("totalCommission"), 0);

    const CliResult equity = cli({"backtest", "7203", "--strategy", "1", "--equity"});
    const auto equityLines = lines(equity.out);
    ASSERT_EQ(equityLines.size(), 1u + 17u);
    EXPECT_EQ(equityLines[0], "date,equity,drawdown");
    EXPECT_TRUE(equityLines.back().starts_with(
        "20230120," + std::to_string(blockValue("equity") + blockValue("openProfit")) + ","));
    EXPECT_EQ(cli({"backtest", "7203", "--strategy", "1", "--trades", "--equity"}).exitCode, 2);

    const CliResult series = cli({"series", "7203", "--format", "json"});
    ASSERT_EQ(series.exitCode, 0);
    EXPECT_TRUE(series.out.starts_with(
        "[\n{\"date\":\"20230101\",\"open\":1000,\"high\":1025,\"low\":995,\"close\":1020,"
        "\"volume\":5000},\n"));
    EXPECT_TRUE(series.out.ends_with("\"volume\":5000}\n]\n"));
    EXPECT_EQ(std::count(series.out.begin(), series.out.end(), '{'), 20);
    const CliResult evaluate =
        cli({"evaluate", "7203", "--condition", "3 0 0 0", "--format", "json"});
    EXPECT_TRUE(
        evaluate.out.starts_with("[\n{\"date\":\"20230101\",\"holds\":1},\n"
                                 "{\"date\":\"20230102\",\"holds\":0},\n"))
        << evaluate.out;
    const CliResult dump = cli({"dump", "7203", "--format", "json"});
    EXPECT_TRUE(dump.out.starts_with("[\n{\"date\":\"20230101\",\"open\":1000,")) << dump.err;
    EXPECT_EQ(std::count(dump.out.begin(), dump.out.end(), '{'), 20);
    EXPECT_EQ(cli({"dump", "7203", "--format", "xml"}).exitCode, 2);
    EXPECT_EQ(cli({"series", "7203", "--format", "csv"}).out, cli({"series", "7203"}).out);
}

}  // namespace
}  // namespace tav::test
