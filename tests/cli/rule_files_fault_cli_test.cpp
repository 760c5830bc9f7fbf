// Edits of strategies, capsules and watchlists on a folder that cannot be
// written: each says why on stderr and exits 1, and blames another instance
// only when one really holds the folder. The faults are made with directories
// where files are expected, which stops writes also when the tests run as root.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <functional>

#include "cli_support.h"
#include "core/text.h"
#include "support/temp_folder.h"

namespace tav::test {
namespace {

namespace fs = std::filesystem;

constexpr const char* kInUse = "別のTavrentoが使用中";

class RuleFilesFault : public ::testing::Test {
  protected:
    void SetUp() override { ASSERT_EQ(cli({"init"}).exitCode, 0); }
    fs::path folder() const { return temp / "folder"; }
    CliResult cli(std::vector<std::string> words) {
        words.insert(words.begin(), {"--folder", folder().string()});
        return runCli(words);
    }
    // Puts a directory where the program expects the file.
    void blockFile(const std::string& name) {
        fs::remove(folder() / name);
        fs::create_directory(folder() / name);
    }
    TempFolder temp;
};

struct Fault {
    const char* blocked;  // file replaced by a directory ("" for none)
    std::vector<std::string> command;
    int exitCode;
    const char* told;  // part of stderr
};

TEST_F(RuleFilesFault, EveryFailedEditSaysWhyAndNoneBlamesAnotherInstanceWrongly) {
    const std::vector<Fault> faults = {
        {"Tavrento.lock", {"strategies", "add", "新"}, 1, "に書き込めません。"},
        {"Tavrento.lock", {"capsules", "add", "新"}, 1, "に書き込めません。"},
        {"Tavrento.lock", {"watchlists", "add", "新"}, 1, "に書き込めません。"},
        {"Tavrento.lock", {"watchlist", "1", "add", "7203"}, 1, "に書き込めません。"},
        {"Focus1.lst",
         {"watchlist", "1", "add", "7203"},
         1,
         "[Focus1.lst]　に書き込めませんでした。"},
        {"Trade.inf", {"strategies", "add", "新"}, 1, "[Trade.inf]　に書き込めませんでした。"},
        {"Capsel.inf", {"capsules", "add", "新"}, 1, "[Capsel.inf]　に書き込めませんでした。"},
        {"Focus.inf", {"watchlists", "add", "新"}, 1, "[Focus.inf]　に書き込めませんでした。"},
        {"Trade.bak",
         {"--yes", "strategies", "delete", "2"},
         1,
         "[Trade.inf]　に書き込めませんでした。"},
        {"Capsel.bak",
         {"capsules", "move", "1", "down"},
         1,
         "[Capsel.inf]　に書き込めませんでした。"},
        {"Focus.bak",
         {"--yes", "watchlists", "delete", "1"},
         1,
         "[Focus.inf]　に書き込めませんでした。"},
        {"Trade1.pat",
         {"strategies", "add-tactic", "1"},
         1,
         "[Trade1.pat]　に書き込めませんでした。"},
        {"Capsel1.pat",
         {"capsules", "add-row", "1", "1 0 0 0"},
         1,
         "[Capsel1.pat]　に書き込めませんでした。"},
        {"FocusTrade.inf",
         {"watchlist", "1", "strategy", "3"},
         1,
         "[FocusTrade.inf]　に書き込めませんでした。"},
        {"",
         {"strategies", "move", "1", "up"},
         1,
         "strategy 1 is already the first"},
        {"",
         {"watchlists", "move", "1", "up"},
         1,
         "watchlist 1 is already the first"},
        {"", {"--yes", "strategies", "delete", "2"}, 0, ""},
        {"", {"capsules", "move", "1", "down"}, 0, ""},
        {"", {"--yes", "watchlists", "delete", "1"}, 0, ""},
    };
    for (const Fault& fault : faults) {
        std::string command;
        for (const std::string& word : fault.command)
            command += word + " ";
        SCOPED_TRACE(command + "with " + fault.blocked + " blocked");
        fs::remove_all(folder());
        ASSERT_EQ(cli({"init"}).exitCode, 0);
        writeFile(folder() / "Stock.lst", text::sjisFromUtf8("7203,トヨタ自動車,東証1部,100,-\n"));
        if (*fault.blocked) blockFile(fault.blocked);
        const auto listsBefore = cli({"strategies", "list"}).out + cli({"capsules", "list"}).out +
                                 cli({"watchlists", "list"}).out;
        const CliResult result = cli(fault.command);
        EXPECT_EQ(result.exitCode, fault.exitCode);
        EXPECT_NE(result.err.find(fault.told), std::string::npos) << result.err;
        EXPECT_EQ(result.err.find(kInUse), std::string::npos) << result.err;
        if (fault.exitCode == 0) {
            EXPECT_EQ(result.err.find("[error]"), std::string::npos) << result.err;
        } else {
            EXPECT_EQ(cli({"strategies", "list"}).out + cli({"capsules", "list"}).out +
                          cli({"watchlists", "list"}).out,
                      listsBefore);
        }
        EXPECT_FALSE(fs::exists(folder() / "Rename.jnl"));
    }
}

TEST_F(RuleFilesFault, AFolderHeldByAnotherInstanceIsToldAsSuch) {
    const int fd = ::open((folder() / "Tavrento.lock").c_str(), O_RDWR | O_CREAT, 0666);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    for (const auto& command : std::vector<std::vector<std::string>>{
             {"strategies", "add", "新"}, {"capsules", "add", "新"}, {"watchlists", "add", "新"}}) {
        const CliResult result = cli(command);
        EXPECT_EQ(result.exitCode, 1);
        EXPECT_NE(result.err.find(kInUse), std::string::npos) << result.err;
    }
    ::close(fd);
}

}  // namespace
}  // namespace tav::test
