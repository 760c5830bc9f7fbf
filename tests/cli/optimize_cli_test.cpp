#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_support.h"
#include "support/generated_market.h"
#include "support/temp_folder.h"

namespace tav::test {
namespace {

class OptimizeCli : public ::testing::Test {
  protected:
    void SetUp() override { GeneratedMarket{30, 500, 3}.writeTo(folder()); }
    std::string folder() const { return (temp / "folder").string(); }
    CliResult cli(std::vector<std::string> words) {
        words.insert(words.begin(), {"--folder", folder(), "optimize", "--strategy", "1"});
        return runCli(words);
    }
    TempFolder temp;
};

const std::vector<std::string> kSweep = {
    "--param", "1.stop.1.value=2..8/3", "--param",     "kijunPeriod=20,26",
    "--param", "1.buy.1.day=0,1",       "--objective", "net-profit"};

std::vector<std::string> with(std::vector<std::string> words) {
    words.insert(words.end(), kSweep.begin(), kSweep.end());
    return words;
}

TEST_F(OptimizeCli, RefusesBadSweepsBeforeRunning) {
    const struct {
        std::vector<std::string> words;
        std::string message;
    } cases[] = {
        {{"--param", "1.stop.1.value=40000", "--objective", "sharpe"}, "from 0 to 32767"},
        {{"--param", "rsiPeriod=0..300/100", "--objective", "sharpe"}, "not 300"},
        {{"--param", "4.buy.1.n=5", "--objective", "sharpe"}, "no tactic 4"},
        {{"--param", "1.buy.1.day=1", "--objective", "best"}, "--objective"},
        {{"--param", "1.buy.1.day=1", "--objective", "sharpe", "--pbo", "7"}, "even"},
        {with({"--walk-forward", "12"}), "--walk-forward"},
        {with({"--code", "2000", "--market"}), "exclude"},
        {with({"--budget", "5"}), "--search evolve"},
        {with({"--market", "1"}), "no value"},
        {{"--param", "1.buy.1.day=0..2000", "--param", "1.stop.1.value=0..999", "--objective",
          "sharpe"},
         "--search evolve"},
    };
    for (const auto& c : cases) {
        const CliResult result = cli(c.words);
        EXPECT_EQ(result.exitCode, 2) << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty()) << result.out;
    }
}

TEST_F(OptimizeCli, TheSameBytesForOneAndTwoThreads) {
    const std::vector<std::string> all =
        with({"--walk-forward", "6:3", "--pbo", "4", "--monte-carlo", "200", "--min-trades", "3"});
    std::vector<std::string> one = all, two = all;
    one.insert(one.end(), {"--threads", "1"});
    two.insert(two.end(), {"--threads", "2"});
    const CliResult a = cli(one);
    const CliResult b = cli(two);
    ASSERT_EQ(a.exitCode, 0) << a.err;
    EXPECT_EQ(a.out, b.out);
    for (const char* part : {"ウォークフォワード", "PBO", "DSR", "モンテカルロ"})
        EXPECT_NE(a.out.find(part), std::string::npos) << part;

    // JSON: every point once, sorted by the objective; evolve repeats itself.
    std::vector<std::string> json = with({"--format", "json"});
    const CliResult table = cli(json);
    ASSERT_EQ(table.exitCode, 0) << table.err;
    const auto points = nlohmann::json::parse(table.out)["points"];
    ASSERT_EQ(points.size(), 12u);
    for (std::size_t i = 1; i < points.size(); ++i)
        EXPECT_GE(points[i - 1]["netProfit"].get<int64_t>(), points[i]["netProfit"].get<int64_t>());
    json.insert(json.end(), {"--search", "evolve", "--budget", "6", "--seed", "4"});
    const CliResult e1 = cli(json);
    const CliResult e2 = cli(json);
    ASSERT_EQ(e1.exitCode, 0) << e1.err;
    EXPECT_EQ(e1.out, e2.out);
    EXPECT_EQ(nlohmann::json::parse(e1.out)["points"].size(), 6u);
}

}  // namespace
}  // namespace tav::test
