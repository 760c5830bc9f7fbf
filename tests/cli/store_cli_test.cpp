#include <gtest/gtest.h>

#include "cli_support.h"
#include "core/file_io.h"
#include "core/period_mode.h"
#include "core/text.h"
#include "settings/options_record.h"
#include "support/temp_folder.h"

namespace tav::test {
namespace {

class StoreCli : public ::testing::Test {
  protected:
    std::string folder() const { return (temp / "folder").string(); }
    CliResult cli(std::vector<std::string> words, const std::string& input = "") {
        words.insert(words.begin(), {"--folder", folder()});
        return runCli(words, input);
    }
    TempFolder temp;
};

TEST_F(StoreCli, InitCreatesTheFolderAndItsTitleFiles) {
    CliResult result = cli({"init"});
    EXPECT_EQ(result.exitCode, 0) << result.err;
    EXPECT_TRUE(std::filesystem::is_directory(folder() + "/Data"));
    EXPECT_TRUE(readFile(folder() + "/Focus.inf")
                    .starts_with("\x92\x8D\x96\xDA\x96\xC1\x95\xBF\x82\x50\n"));
    // Without --yes and without a terminal the master-list download is declined.
    EXPECT_NE(result.err.find("[Stock.lst]　が見つかりません。"), std::string::npos);
    EXPECT_NE(result.err.find("-> no"), std::string::npos);
}

TEST_F(StoreCli, SeriesPrintsWhatTheReaderKeepsAndReportsDisorderOnce) {
    ASSERT_EQ(cli({"init"}).exitCode, 0);
    writeFile(folder() + "/Stock.lst", text::sjisFromUtf8("7203,トヨタ自動車,東証1部,100,-\n"));
    writeFile(folder() + "/Data/7203.txt",
              "20240104,0,0,0,0,9\n20240105,100,110,90,105,1000\n20240103,100,,90,105,5\n"
              "20240102,7,8,6,7,3000000000\n");
    CliResult result = cli({"series", "7203"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(
        result.out,
        "date,open,high,low,close,volume\n20240105,100,110,90,105,1000\n20240103,100,0,0,0,0\n"
        "20240102,7,8,6,7,3000000000\n");
    std::string message = "データ不整合が発見されました。";
    auto first = result.err.find(message);
    ASSERT_NE(first, std::string::npos);
    EXPECT_EQ(result.err.find(message, first + 1), std::string::npos);

    writeFile(folder() + "/Data/w7203.txt", "20240105,1,2,3,4,5\n");
    EXPECT_EQ(cli({"series", "7203", "--period", "weekly"}).out,
              "date,open,high,low,close,volume\n20240105,1,2,3,4,5\n");
}

TEST_F(StoreCli, ReadsThePeriodItIsGivenAndRefusesUnknownOptions) {
    ASSERT_EQ(cli({"init"}).exitCode, 0);
    writeFile(folder() + "/Data/7203.txt", "20240105,1,2,1,2,5\n");
    writeFile(folder() + "/Data/w7203.txt", "20240101,3,4,3,4,9\n");
    // The window last showed weekly bars in scratch mode.
    OptionsRecord options = OptionsRecord::defaults(1);
    options.accumulateMode = 0;
    options.periodMode = static_cast<uint8_t>(PeriodMode::Weekly);
    writeFile(folder() + "/Option.cfg", options.toBytes());
    const std::string header = "date,open,high,low,close,volume\n";
    EXPECT_EQ(cli({"series", "7203"}).out, header + "20240105,1,2,1,2,5\n");
    EXPECT_EQ(cli({"series", "7203", "--period", "weekly"}).out, header + "20240101,3,4,3,4,9\n");
    EXPECT_EQ(readFile(folder() + "/Option.cfg"), options.toBytes());

    for (const char* bogus : {"--bogus", "--bogus=1", "--perod"}) {
        CliResult result = cli({"series", "7203", bogus});
        EXPECT_EQ(result.exitCode, 2) << bogus;
        EXPECT_NE(result.err.find("unknown option --"), std::string::npos) << result.err;
        EXPECT_TRUE(result.out.empty());
    }

    // A cut options file counts as missing, and the user is told.
    writeFile(folder() + "/Option.cfg", options.toBytes().substr(0, 100));
    CliResult shortFile = cli({"series", "7203"});
    EXPECT_EQ(shortFile.out, header + "20240105,1,2,1,2,5\n");
    EXPECT_NE(shortFile.err.find("[Option.cfg]"), std::string::npos);
}

TEST_F(StoreCli, MasterListCommands) {
    ASSERT_EQ(cli({"init"}).exitCode, 0);
    writeFile(folder() + "/Stock.lst",
              text::sjisFromUtf8("7203,トヨタ自動車,東証1部,100,-\n7203,別,-,-,-\n"));
    CliResult lookup = cli({"lookup", "7203"});
    EXPECT_EQ(lookup.exitCode, 0);
    EXPECT_NE(lookup.out.find("name: トヨタ自動車"), std::string::npos);
    EXPECT_EQ(cli({"lookup", "6758"}).exitCode, 1);

    EXPECT_EQ(cli({"add", "6758", "ソニー", "--market", "マザーズ", "--unit", "100"}).exitCode, 0);
    EXPECT_TRUE(readFile(folder() + "/Stock.lst")
                    .ends_with(text::sjisFromUtf8("6758,ソニー,マザーズ,100,-\n")));

    // Deleting asks first: declined without a terminal, done with --yes.
    EXPECT_EQ(cli({"delete", "7203"}).exitCode, 1);
    EXPECT_EQ(cli({"--yes", "delete", "7203"}).exitCode, 0);
    EXPECT_EQ(readFile(folder() + "/Stock.lst"),
              text::sjisFromUtf8("6758,ソニー,マザーズ,100,-\n"));
}

TEST_F(StoreCli, BadArgumentsAndMissingFolders) {
    EXPECT_EQ(cli({"series", "7203"}).exitCode, 2);  // no folder yet
    ASSERT_EQ(cli({"init"}).exitCode, 0);
    EXPECT_EQ(cli({"series"}).exitCode, 2);
    EXPECT_EQ(cli({"series", "72-3"}).exitCode, 2);
    EXPECT_EQ(cli({"series", "7203", "--period", "hourly"}).exitCode, 2);
    EXPECT_EQ(cli({"frobnicate"}).exitCode, 2);
    EXPECT_EQ(cli({"add", "6758", "X", "--market", "月面"}).exitCode, 2);
    EXPECT_EQ(runCli({}).exitCode, 2);
}

// Each command takes its own options: another one, even one some other
// command knows, is refused by name before anything runs.
TEST_F(StoreCli, OptionsBelongToTheirCommand) {
    ASSERT_EQ(cli({"init"}).exitCode, 0);
    writeFile(folder() + "/Stock.lst", text::sjisFromUtf8("7203,トヨタ自動車,東証1部,100,-\n"));
    writeFile(folder() + "/Data/7203.txt", "20240105,100,110,90,105,1000\n");
    writeFile(folder() + "/Focus1.lst", text::sjisFromUtf8("7203 トヨタ自動車\n"));
    struct Case {
        std::vector<std::string> words;
        const char* foreign;  // nullptr: accepted
    };
    const Case cases[] = {
        {{"dump", "7203", "--trades"}, "--trades"},
        {{"series", "7203", "--strategy", "1"}, "--strategy"},
        {{"lookup", "7203", "--period", "weekly"}, "--period"},
        {{"--period", "weekly", "lookup", "7203"}, "--period"},
        {{"import", "7203", "x.csv", "--period", "daily"}, "--period"},
        {{"watchlist", "1", "show", "--range", "1"}, "--range"},
        {{"watchlist", "1", "levels", "--range", "1"}, "--range"},
        {{"watchlist", "1", "show", "--period", "weekly"}, "--period"},
        {{"text", "--condition", "1", "--format", "json"}, "--format"},
        {{"--period", "weekly", "series", "7203"}, nullptr},
        {{"--yes", "series", "7203", "--format", "json"}, nullptr},
        {{"watchlist", "1", "show"}, nullptr},
    };
    for (const Case& c : cases) {
        const CliResult result = cli(c.words);
        if (!c.foreign) {
            EXPECT_EQ(result.exitCode, 0) << c.words[0] << ' ' << result.err;
            continue;
        }
        EXPECT_EQ(result.exitCode, 2) << c.foreign;
        EXPECT_NE(result.err.find(std::string(c.foreign) + " is not an option of"),
                  std::string::npos)
            << result.err;
        EXPECT_TRUE(result.out.empty()) << result.out;
    }
    EXPECT_EQ(readFile(folder() + "/Focus1.lst"), text::sjisFromUtf8("7203 トヨタ自動車\n"));

    // The help of a command lists its options and only them.
    const CliResult help = cli({"help", "backtest"});
    EXPECT_EQ(help.exitCode, 0);
    for (const char* option :
         {"--strategy N", "--period", "--summary", "--trades", "--equity", "--folder"})
        EXPECT_NE(help.out.find(option), std::string::npos) << option << '\n' << help.out;
    EXPECT_EQ(help.out.find("--format"), std::string::npos) << help.out;
    EXPECT_EQ(cli({"backtest", "--help"}).out, help.out);
    EXPECT_EQ(cli({"help", "frobnicate"}).exitCode, 2);
}

}  // namespace
}  // namespace tav::test
