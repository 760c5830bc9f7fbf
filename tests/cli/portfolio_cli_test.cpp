#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "cli_support.h"
#include "support/generated_market.h"
#include "support/temp_folder.h"

namespace tav::test {
namespace {

class PortfolioCli : public ::testing::Test {
  protected:
    void SetUp() override { GeneratedMarket{36, 260, 11}.writeTo(folder()); }
    std::string folder() const { return (temp / "folder").string(); }
    CliResult cli(std::vector<std::string> words) {
        words.insert(words.begin(), {"--folder", folder(), "portfolio", "--strategy", "1"});
        return runCli(words);
    }
    TempFolder temp;
};

const std::vector<std::string> kAccount = {
    "--capital", "3000000", "--max-positions", "2", "--size", "fixed:1000000", "--score", "value"};

// The account's options after `words`, which take precedence as the first given.
std::vector<std::string> with(std::vector<std::string> words) {
    words.insert(words.end(), kAccount.begin(), kAccount.end());
    return words;
}

TEST_F(PortfolioCli, RefusesWhatItCannotRun) {
    const struct {
        std::vector<std::string> words;
        int exitCode;
        std::string message;
    } cases[] = {
        {{"--capital", "1000000", "--size", "strategy", "--score", "bars"}, 2, "--max-positions"},
        {with({"--size", "fixed:0"}), 2, "--size"},
        {with({"--size", "equity:150"}), 2, "--size"},
        {with({"--score", "slot:nothing"}), 2, "rsi"},
        {with({"--score", "random:x"}), 2, "--score"},
        {with({"--watchlist", "1", "--market"}), 2, "exclude"},
        {with({"--watchlist", "9"}), 2, "no watchlist 9"},
        {with({"--trades", "--equity", "--format", "csv"}), 2, "exclude"},
        {with({"--from", "20240301", "--to", "20240101"}), 2, "--from"},
        {with({"--from", "2024-03-01"}), 2, "YYYYMMDD"},
        {with({"--format", "xml"}), 2, "--format"},
    };
    for (const auto& c : cases) {
        const CliResult result = cli(c.words);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.words.back() << '\n' << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty()) << result.out;
    }
    const CliResult missing =
        runCli({"--folder", folder(), "portfolio", "--strategy", "7", "--capital", "1",
                "--max-positions", "1", "--size", "strategy", "--score", "bars"});
    EXPECT_EQ(missing.exitCode, 1);
}

TEST_F(PortfolioCli, TheTablesAgreeWithTheLimitAndTheSummary) {
    const CliResult trades = cli(with({"--trades", "--format", "json"}));
    const CliResult equity = cli(with({"--equity", "--format", "json"}));
    const CliResult text = cli(kAccount);
    ASSERT_EQ(trades.exitCode, 0) << trades.err;
    ASSERT_EQ(equity.exitCode, 0) << equity.err;
    ASSERT_EQ(text.exitCode, 0) << text.err;

    int64_t net = 0;
    int taken = 0;
    int skipped = 0;
    for (const auto& trade : nlohmann::json::parse(trades.out)) {
        ASSERT_TRUE(trade["code"].is_string());
        if (trade["outcome"] == "taken") {
            ++taken;
            net += trade["net"].get<int64_t>();
            EXPECT_LE(trade["units"].get<int64_t>() * trade["entryPrice"].get<int64_t>(), 1000000);
        } else {
            ++skipped;
        }
    }
    EXPECT_GT(taken, 10);
    EXPECT_GT(skipped, 0);

    int64_t last = 0;
    for (const auto& day : nlohmann::json::parse(equity.out)) {
        EXPECT_LE(day["positions"].get<int>(), 2);
        EXPECT_GE(day["cash"].get<int64_t>(), 0);
        last = day["equity"].get<int64_t>();
    }
    // Without commission or tax the last day's equity is the capital plus every result.
    EXPECT_EQ(last, 3000000 + net);
    EXPECT_NE(text.out.find("見送り（建玉上限）"), std::string::npos) << text.out;
    EXPECT_EQ(text.out.rfind("ポートフォリオ\t三戦術\n当初資金\t3,000,000\n", 0), 0u) << text.out;
}

}  // namespace
}  // namespace tav::test
