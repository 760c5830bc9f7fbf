// A security under an alphanumeric code through the command line.
#include <gtest/gtest.h>

#include "cli_support.h"
#include "core/text.h"
#include "support/temp_folder.h"

namespace tav::test {
namespace {

TEST(CodesCli, TypedInLowerCaseStoredDumpedAndListedUnderItsText) {
    TempFolder temp;
    const std::string folder = (temp / "folder").string();
    auto cli = [&](std::vector<std::string> words) {
        words.insert(words.begin(), {"--folder", folder});
        return runCli(words);
    };
    ASSERT_EQ(cli({"init"}).exitCode, 0);
    ASSERT_EQ(cli({"add", "130a", "新規上場", "--market", "プライム", "--unit", "100"}).exitCode, 0);
    std::string bars;
    for (int day = 1; day <= 28; ++day) bars += std::to_string(20240100 + day) + ",500,520,490,510,1000\n";
    writeFile(folder + "/Data/130A.txt", bars);

    CliResult dump = cli({"dump", "130a"});
    ASSERT_EQ(dump.exitCode, 0) << dump.err;
    EXPECT_NE(dump.out.find("\n20240128,"), std::string::npos);
    EXPECT_NE(cli({"dump", "130B"}).err.find("no stored series for 130B"), std::string::npos);
    EXPECT_EQ(cli({"lookup", "130A"}).out.rfind("code: 130A\nname: 新規上場\nmarket: プライム\n", 0), 0u);
    EXPECT_EQ(cli({"market", "10"}).out, "130A 新規上場\n");
    ASSERT_EQ(cli({"watchlist", "1", "add", "130A"}).exitCode, 0);
    EXPECT_EQ(text::utf8FromSjis(readFile(folder + "/Focus1.lst")), "130A 新規上場\n");
    for (const char* bad : {"ABCD", "130AA", "0"}) EXPECT_EQ(cli({"lookup", bad}).exitCode, 2) << bad;
}

}  // namespace
}  // namespace tav::test
