#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
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

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::stringstream stream(line);
    for (std::string field; std::getline(stream, field, ',');)
        out.push_back(field);
    return out;
}

class ConditionCli : public ::testing::Test {
  protected:
    void SetUp() override {
        ASSERT_EQ(cli({"init"}).exitCode, 0);
        std::string file;
        for (int i = 0; i < 60; ++i) {
            const int close = 1000 + (i * 37) % 89 - (i % 7 == 0 ? 30 : 0);
            const int open = close + ((i * 5) % 11) - 5;
            file += std::to_string(20230101 + i) + "," + std::to_string(open) + "," +
                    std::to_string(std::max(open, close) + 4) + "," +
                    std::to_string(std::min(open, close) - 6) + "," + std::to_string(close) + "," +
                    std::to_string(5000 + i * 100) + "\n";
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

TEST_F(ConditionCli, EvaluatePrintsEveryBarOldestFirst) {
    const auto dump = lines(cli({"dump", "7203"}).out);
    ASSERT_EQ(dump.size(), 61u);
    const auto header = fields(dump[0]);
    auto column = [&](const std::string& name) {
        return static_cast<std::size_t>(std::find(header.begin(), header.end(), name) -
                                        header.begin());
    };
    // Bullish bars, and the long RSI two bars back at least its own value.
    CliResult bullish = cli({"evaluate", "7203", "--condition", "3 0 0 0 0 0 0 0 0 0"});
    CliResult rsi = cli({"evaluate", "7203", "--condition", "0 0 2 6 0 2 0 0 0 0"});
    ASSERT_EQ(bullish.exitCode, 0) << bullish.err;
    const auto bullishLines = lines(bullish.out);
    const auto rsiLines = lines(rsi.out);
    ASSERT_EQ(bullishLines.size(), 60u);
    ASSERT_EQ(rsiLines.size(), 60u);
    int holding = 0;
    for (std::size_t i = 0; i < 60; ++i) {
        const auto bar = fields(dump[i + 1]);
        const bool up = std::stoi(bar[column("open")]) < std::stoi(bar[column("close")]);
        EXPECT_EQ(bullishLines[i], bar[0] + (up ? ",1" : ",0"));
        // The long RSI of bar b = i - 2 against itself: a target of 0 counts as 1.
        const auto back = fields(dump[(i < 2 ? 0 : i - 2) + 1]);
        const bool defined = std::stoi(back[column("rsiLong")]) != 0;
        EXPECT_EQ(rsiLines[i], bar[0] + (defined ? ",1" : ",0"));
        holding += up;
    }
    EXPECT_GT(holding, 0);
    EXPECT_LT(holding, 60);

    EXPECT_EQ(cli({"evaluate", "7203"}).exitCode, 2);
    EXPECT_EQ(cli({"evaluate", "7203", "--condition", "1 2 x"}).exitCode, 2);
    EXPECT_EQ(cli({"evaluate", "7203", "--condition", "1 70000"}).exitCode, 2);
    EXPECT_EQ(cli({"evaluate", "9999", "--condition", "0"}).exitCode, 1);
}

TEST_F(ConditionCli, CapsulesAreManagedAndEvaluated) {
    writeFile(folder() + "/Capsel.inf", text::sjisFromUtf8("一\n"));
    EXPECT_EQ(cli({"capsules", "list"}).out, "1 一\n");
    ASSERT_EQ(cli({"capsules", "add", "陰線"}).exitCode, 0);
    ASSERT_EQ(cli({"capsules", "add", "三"}).exitCode, 0);
    ASSERT_EQ(cli({"capsules", "add-row", "2", "3 0 0 1"}).exitCode, 0);
    ASSERT_EQ(cli({"capsules", "add-row", "1", "3 0 0 0"}).exitCode, 0);
    EXPECT_EQ(cli({"capsules", "show", "2"}).out,
              "Capsel2.pat 陰線\nlogic: OR\n1: 3 0 0 1 0 0 0 0 0 0 本日が陰線\n");

    // A strategy row naming capsule 2 (index 1) holds where the capsule does.
    const std::string byCapsule = cli({"evaluate", "7203", "--capsule", "2"}).out;
    EXPECT_EQ(cli({"evaluate", "7203", "--condition", "5 0 0 1"}).out, byCapsule);
    EXPECT_EQ(cli({"evaluate", "7203", "--condition", "3 0 0 1"}).out, byCapsule);
    EXPECT_NE(byCapsule, cli({"evaluate", "7203", "--capsule", "1"}).out);
    // A missing capsule is empty: false everywhere.
    const auto none = lines(cli({"evaluate", "7203", "--capsule", "9"}).out);
    ASSERT_EQ(none.size(), 60u);
    EXPECT_TRUE(none[0].ends_with(",0"));

    EXPECT_EQ(cli({"text", "--condition", "5 1 0 1"}).out, "フィルタ＞ 本日の陰線\n");
    EXPECT_EQ(cli({"text", "--condition", "3 2 1 28 3", "--context", "capsule"}).out,
              "無効＞ 昨日が連続陽線[3日]\n");

    // Deleting needs a yes; then the later files move down.
    EXPECT_EQ(cli({"capsules", "delete", "1"}).exitCode, 1);
    ASSERT_EQ(cli({"--yes", "capsules", "delete", "1"}).exitCode, 0);
    EXPECT_EQ(cli({"capsules", "list"}).out, "1 陰線\n2 三\n");
    EXPECT_EQ(
        text::utf8FromSjis(readFile(folder() + "/Capsel1.pat")),
        "[RESERVE]\n0 0 0 0 0 0 0 0 0 0\n[CAPSEL]\n0 0 0 0 0 0 0 0 0 0,3 0 0 1 0 0 0 0 0 0\n");
    EXPECT_FALSE(std::filesystem::exists(folder() + "/Capsel3.pat"));
    EXPECT_EQ(cli({"capsules", "show", "3"}).exitCode, 2);
    const CliResult last = cli({"capsules", "move", "2", "down"});
    EXPECT_EQ(last.exitCode, 1);
    EXPECT_NE(last.err.find("capsule 2 is already the last"), std::string::npos) << last.err;
    EXPECT_EQ(cli({"capsules", "list"}).out, "1 陰線\n2 三\n");
}

}  // namespace
}  // namespace tav::test
