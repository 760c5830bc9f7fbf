#include <gtest/gtest.h>

#include <filesystem>
#include <map>
#include <sstream>

#include "cli_support.h"
#include "support/temp_folder.h"

namespace tav::test {
namespace {

class SettingsCli : public ::testing::Test {
  protected:
    void SetUp() override { std::filesystem::create_directories(temp / "folder/Config"); }
    std::string folder() const { return (temp / "folder").string(); }
    CliResult cli(std::vector<std::string> words) {
        words.insert(words.begin(), {"--folder", folder()});
        return runCli(words);
    }
    // "name value" lines of settings show, by name; also checks their form.
    std::map<std::string, std::string> show(std::vector<std::string> extra = {}) {
        std::vector<std::string> words = {"settings", "show"};
        words.insert(words.end(), extra.begin(), extra.end());
        CliResult result = cli(words);
        EXPECT_EQ(result.exitCode, 0) << result.err;
        std::map<std::string, std::string> values;
        std::istringstream lines(result.out);
        std::string line;
        while (std::getline(lines, line)) {
            auto space = line.find(' ');
            EXPECT_NE(space, std::string::npos) << line;
            EXPECT_TRUE(values.emplace(line.substr(0, space), line.substr(space + 1)).second)
                << line;
        }
        return values;
    }
    std::string file(const std::string& name) { return readFile(folder() + "/" + name); }
    TempFolder temp;
};

TEST_F(SettingsCli, ShowPrintsEveryFieldWithItsDefault) {
    auto values = show();
    EXPECT_EQ(values.size(), 249u);
    EXPECT_EQ(values["stockCode"], "1010");
    EXPECT_EQ(values["graphsPerScreen"], "5");
    EXPECT_EQ(values["indicatorScreens"], "4");
    EXPECT_EQ(values["colour.volumeBars"], "0x7F7F00");
    EXPECT_EQ(values["settingsFile"], "defaults");
    EXPECT_EQ(values["senkouPeriod.monthly"], "52");
    // Showing writes nothing.
    EXPECT_FALSE(std::filesystem::exists(folder() + "/Option.cfg"));
}

TEST_F(SettingsCli, SetChangesOneFieldAndRefusesBadValues) {
    CliResult result = cli({"settings", "set", "graphsPerScreen", "3"});
    ASSERT_EQ(result.exitCode, 0) << result.err;
    std::string options = file("Option.cfg");
    ASSERT_EQ(options.size(), 896u);
    EXPECT_EQ(options[57], 3);
    EXPECT_EQ(show()["indicatorScreens"], "6");

    for (std::vector<std::string> words : {
             std::vector<std::string>{"settings", "set", "graphsPerScreen", "0"},
             {"settings", "set", "historyLength", "51"},
             {"settings", "set", "noSuchSetting", "1"},
             {"settings", "set", "barPitch", "7", "--individual", "7203"},
             {"settings", "set", "maLongPeriod", "256"},
             {"settings", "set", "maLongPeriod", "20", "--individual", "abc"},
             {"settings", "set", "maLongPeriod"},
         }) {
        result = cli(words);
        EXPECT_EQ(result.exitCode, 2) << words[2];
        EXPECT_FALSE(result.err.empty());
    }
    EXPECT_EQ(file("Option.cfg"), options);
    EXPECT_NE(
        cli({"settings", "set", "historyLength", "51"}).err.find("historyLength must be 5-50"),
        std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(folder() + "/Common.cfg"));
}

TEST_F(SettingsCli, ParametersGoToCommonOrTheSecuritysOwnFile) {
    ASSERT_EQ(cli({"settings", "set", "rsiPeriod", "9"}).exitCode, 0);
    ASSERT_EQ(
        cli({"settings", "set", "maLongPeriod.weekly", "40", "--individual", "7203"}).exitCode, 0);
    std::string common = file("Common.cfg");
    std::string own = file("Config/7203.cfg");
    ASSERT_EQ(common.size(), 248u);
    ASSERT_EQ(own.size(), 248u);
    EXPECT_EQ(common[3 * 18], 9);
    EXPECT_EQ(common[3 * 6 + 1], 26);
    // The new file starts from the common values.
    EXPECT_EQ(own[3 * 18], 9);
    EXPECT_EQ(own[3 * 6 + 1], 40);

    // The options file is created with its defaults so that the folder uses the change.
    EXPECT_EQ(file("Option.cfg").size(), 896u);
    EXPECT_EQ(show()["rsiPeriod.daily"], "9");

    auto values = show({"--individual", "7203"});
    EXPECT_EQ(values["settingsFile"], "Config/7203.cfg");
    EXPECT_EQ(values["maLongPeriod.weekly"], "40");
    auto other = show({"--individual", "6758"});
    EXPECT_EQ(other["settingsFile"], "Common.cfg");
    EXPECT_EQ(other["maLongPeriod.weekly"], "26");

    // With individual settings on, the folder's start security uses its own file.
    ASSERT_EQ(cli({"settings", "set", "stockCode", "7203"}).exitCode, 0);
    ASSERT_EQ(cli({"settings", "set", "individualSettings", "1"}).exitCode, 0);
    EXPECT_EQ(show()["maLongPeriod.weekly"], "40");
}

TEST_F(SettingsCli, DamagedOptionsAreShownAndRewrittenRepaired) {
    writeFile(folder() + "/Option.cfg", std::string(60, '\0'));
    auto values = show();
    EXPECT_EQ(values["barPitch"], "6");
    EXPECT_EQ(values["versionStamp"], "2640");
    EXPECT_EQ(values["capital"], "1000000");  // a short file counts as missing: the defaults
    ASSERT_EQ(cli({"settings", "set", "capital", "500000"}).exitCode, 0);
    std::string options = file("Option.cfg");
    ASSERT_EQ(options.size(), 896u);
    EXPECT_EQ(options[48], 6);
}

}  // namespace
}  // namespace tav::test
