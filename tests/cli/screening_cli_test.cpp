#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "cli_support.h"
#include "core/text.h"
#include "support/generated_market.h"
#include "support/temp_folder.h"

namespace tav::test {
namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> out;
    std::stringstream stream(text);
    for (std::string part; std::getline(stream, part, separator);)
        out.push_back(part);
    return out;
}

class ScreeningCli : public ::testing::Test {
  protected:
    void SetUp() override { GeneratedMarket{36, 260, 11}.writeTo(folder()); }
    std::string folder() const { return (temp / "folder").string(); }
    CliResult cli(std::vector<std::string> words) {
        words.insert(words.begin(), {"--folder", folder()});
        return runCli(words);
    }
    std::vector<std::string> codes() const {
        std::vector<std::string> out;
        for (int s = 0; s < 36; ++s)
            out.push_back(std::to_string(GeneratedMarket::kFirstCode + s));
        return out;
    }
    TempFolder temp;
};

TEST_F(ScreeningCli, ScreenSelectsWhatEvaluateFindsOnTheLastBar) {
    // The master list's own fields decide in accumulate mode: a unit of "-" is left out.
    std::map<std::string, bool> unitKnown;
    for (const std::string& line :
         split(text::utf8FromSjis(readFile(temp / "folder/Stock.lst")), '\n')) {
        const auto fields = split(line, ',');
        unitKnown[fields[0]] = fields[3] != "-";
    }
    // Capsule 2 is listed but has no rows.
    writeFile(temp / "folder/Capsel.inf", text::sjisFromUtf8("三条件\n空\n"));
    for (const char* capsule : {"1", "2"}) {
        // Capsule 2 is missing: empty, so it holds nowhere.
        const CliResult screen =
            cli({"screen", "--capsule", capsule, "--output", "2", "--threads", "2"});
        ASSERT_EQ(screen.exitCode, 0) << screen.err;
        std::string expected;
        int selected = 0;
        for (const std::string& code : codes()) {
            const auto bars = split(cli({"evaluate", code, "--capsule", capsule}).out, '\n');
            ASSERT_FALSE(bars.empty());
            if (!bars.back().ends_with(",1") || !unitKnown[code]) continue;
            expected += code + " 銘柄" + code + "\n";
            ++selected;
        }
        EXPECT_EQ(screen.out, expected) << capsule;
        EXPECT_EQ(text::utf8FromSjis(readFile(temp / "folder/Focus2.lst")), expected);
        EXPECT_EQ(screen.err,
                  "抽出 " + std::to_string(selected) + " 件、スキップ 0 件、失敗 0 件\n");
    }
    const CliResult json = cli({"screen", "--market", "1", "--output", "2", "--format", "json"});
    EXPECT_TRUE(json.out.starts_with("[\n{\"code\":")) << json.out;
}

TEST_F(ScreeningCli, EveryRankEntryIsThatSecuritysBacktest) {
    const CliResult rank = cli({"rank", "--strategy", "1", "--top", "1000", "--threads", "2"});
    ASSERT_EQ(rank.exitCode, 0) << rank.err;
    const auto lines = split(rank.out, '\n');
    ASSERT_GT(lines.size(), 10u);
    EXPECT_EQ(split(lines[0], '\t')[0], "順位");
    int64_t previous = INT64_MAX;
    for (std::size_t r = 1; r < lines.size(); ++r) {
        const auto cells = split(lines[r], '\t');
        ASSERT_EQ(cells.size(), 18u);
        EXPECT_EQ(cells[0], std::to_string(r));
        std::map<std::string, std::string> summary;
        for (const std::string& line :
             split(cli({"backtest", cells[1], "--strategy", "1", "--summary"}).out, '\n')) {
            const std::size_t blank = line.find(' ');
            summary[line.substr(0, blank)] = line.substr(blank + 1);
        }
        EXPECT_EQ(summary["粗利益"], cells[5]) << cells[1];
        EXPECT_EQ(summary["取引数"], cells[7] + " [勝 " + cells[8] + "]") << cells[1];
        EXPECT_EQ(summary["勝平均益"], cells[12]) << cells[1];
        EXPECT_EQ(summary["最大損失"], cells[16]) << cells[1];
        EXPECT_EQ(summary["損益比率"], cells[17]) << cells[1];
        // Highest profit first.
        std::string digits = cells[5];
        std::erase(digits, ',');
        EXPECT_LE(std::stoll(digits), previous);
        previous = std::stoll(digits);
    }
}

TEST_F(ScreeningCli, OptionsReportAndOutput) {
    struct Case {
        std::vector<std::string> words;
        int exitCode;
    };
    const Case cases[] = {
        {{"screen", "--trading-value", "1000", "2000000000", "--output", "1"}, 0},
        {{"screen", "--trading-value", "1000"}, 2},
        {{"screen", "--market", "東証1部", "--output", "1"}, 0},
        {{"screen", "--market", "プライム", "--output", "1"}, 0},
        {{"screen", "--market", "15", "--output", "1"}, 2},
        {{"screen", "--item", "31"}, 2},
        {{"screen", "--market", "1", "--output", "9"}, 2},
        {{"screen", "--market", "1", "--input", "1", "--output", "1"}, 1},
        {{"screen"}, 1},
        {{"rank", "--strategy", "1", "--by", "luck"}, 2},
        {{"rank", "--strategy", "1", "--top", "0"}, 2},
        {{"rank"}, 2},
        {{"rank", "--strategy", "4"}, 1},
    };
    for (const Case& c : cases) {
        const CliResult result = cli(c.words);
        EXPECT_EQ(result.exitCode, c.exitCode) << c.words[1] << ' ' << result.err;
    }

    const std::string report = (temp / "out/Report.txt").string();
    std::filesystem::create_directories(temp / "out");
    const CliResult ranked = cli({"rank", "--strategy", "1", "--by", "winrate", "--top", "5",
                                  "--report", report, "--output", "1", "--format", "csv"});
    ASSERT_EQ(ranked.exitCode, 0) << ranked.err;
    const auto rows = split(ranked.out, '\n');
    ASSERT_EQ(rows.size(), 6u);
    const std::string bytes = readFile(report);
    EXPECT_TRUE(text::utf8FromSjis(bytes).starts_with(
        "シミュレーション結果     三戦術     当初資金     1,000,000\n\n"));
    EXPECT_EQ(split(bytes, '\n').size(), 2u + 1u + 5u);
    // The watchlist holds the five entries as "CODE NAME".
    const auto listed = split(text::utf8FromSjis(readFile(temp / "folder/Focus1.lst")), '\n');
    ASSERT_EQ(listed.size(), 5u);
    EXPECT_EQ(listed[0], split(rows[1], ',')[1] + " " + split(rows[1], ',')[2]);

    // A report that cannot be written: nothing is created.
    const std::string nowhere = (temp / "missing/Report.txt").string();
    const CliResult failed = cli({"rank", "--strategy", "1", "--report", nowhere});
    EXPECT_EQ(failed.exitCode, 1);
    EXPECT_NE(failed.err.find("レポートを書き込めません。"), std::string::npos) << failed.err;
    EXPECT_FALSE(std::filesystem::exists(temp / "missing"));
}

// A run that cannot go ahead (rules missing, report unwritable) leaves the
// output watchlist byte for byte as it was.
TEST_F(ScreeningCli, RefusedRunsLeaveTheOutputWatchlistAlone) {
    const std::string before = text::sjisFromUtf8("1301 前の中身\n");
    const std::string nowhere = (temp / "missing/Report.txt").string();
    struct Case {
        std::vector<std::string> words;
        const char* message;
    };
    const Case cases[] = {
        {{"screen", "--capsule", "99", "--output", "2"}, "[Capsel99.pat]"},
        {{"screen", "--strategy", "11", "--output", "2"}, "[Trade11.pat]"},
        {{"screen", "--item", "1", "--strategy", "4", "--output", "2"}, "[Trade4.pat]"},
        {{"rank", "--strategy", "11", "--output", "2"}, "[Trade11.pat]"},
        {{"rank", "--strategy", "1", "--output", "2", "--report", nowhere},
         "レポートを書き込めません。"},
    };
    for (const Case& c : cases) {
        writeFile(temp / "folder/Focus2.lst", before);
        const CliResult result = cli(c.words);
        EXPECT_EQ(result.exitCode, 1) << c.words[1] << ' ' << c.message << ' ' << result.err;
        EXPECT_NE(result.err.find(c.message), std::string::npos) << result.err;
        EXPECT_EQ(readFile(temp / "folder/Focus2.lst"), before) << c.message;
    }
}

// Names from the master list may hold quotes, backslashes or digits only:
// JSON keeps them exactly, and codes are always strings.
TEST_F(ScreeningCli, JsonOutputKeepsNamesAndCodesAsText) {
    std::string master = text::utf8FromSjis(readFile(temp / "folder/Stock.lst"));
    std::vector<std::string> renamed;
    const std::vector<std::string> names = {"引\"用\\符", "1234"};
    for (const std::string& line : split(master, '\n')) {
        const auto fields = split(line, ',');
        if (renamed.size() < names.size() && fields[2] == "東証1部" && fields[3] != "-")
            renamed.push_back(fields[0]);
    }
    ASSERT_EQ(renamed.size(), names.size());
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string old = renamed[i] + ",銘柄" + renamed[i] + ",";
        master.replace(master.find(old), old.size(), renamed[i] + "," + names[i] + ",");
    }
    writeFile(temp / "folder/Stock.lst", text::sjisFromUtf8(master));

    auto namesByCode = [&](const std::vector<std::string>& words) {
        const CliResult result = cli(words);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        std::map<std::string, std::string> found;
        const auto rows = nlohmann::json::parse(result.out, nullptr, false);
        EXPECT_TRUE(rows.is_array()) << result.out;
        if (!rows.is_array()) return found;
        for (const auto& row : rows) {
            EXPECT_TRUE(row["code"].is_string()) << row.dump();
            EXPECT_TRUE(row["name"].is_string()) << row.dump();
            if (row["code"].is_string() && row["name"].is_string())
                found[row["code"].get<std::string>()] = row["name"].get<std::string>();
        }
        return found;
    };
    const auto screened =
        namesByCode({"screen", "--market", "1", "--output", "2", "--format", "json"});
    const auto ranked =
        namesByCode({"rank", "--strategy", "1", "--market", "1", "--format", "json"});
    for (std::size_t i = 0; i < names.size(); ++i) {
        EXPECT_EQ(screened.count(renamed[i]) ? screened.at(renamed[i]) : "", names[i]);
        EXPECT_EQ(ranked.count(renamed[i]) ? ranked.at(renamed[i]) : "", names[i]);
    }
    // The CSV quotes the field with the quote in it.
    const CliResult csv = cli({"screen", "--market", "1", "--output", "2", "--format", "csv"});
    EXPECT_NE(csv.out.find(renamed[0] + ",\"引\"\"用\\符\"\n"), std::string::npos) << csv.out;
}

}  // namespace
}  // namespace tav::test
