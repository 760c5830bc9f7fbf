#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <string>
#include <vector>

#include "conditions/capsule_file.h"
#include "conditions/capsule_set.h"
#include "core/file_io.h"
#include "core/text.h"
#include "simulation/strategy_file.h"
#include "simulation/strategy_list.h"
#include "support/killed_run.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "watchlists/entry_lists.h"
#include "watchlists/watchlists.h"
#include "workspace/workspace.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

constexpr int kEntries = 5;
const std::vector<std::string> kTitles = {"一", "二", "三", "四", "五"};

// Five strategies, capsules and watchlists whose files each carry their own
// number, the third of each without a file; the watchlists' strategy numbers
// are 11 to 15.
class ListRecovery : public ::testing::Test {
  protected:
    void SetUp() override {
        const test::TempFolder& temp = original;
        test::writeFile(temp / "Stock.lst",
                        text::sjisFromUtf8("7203,トヨタ自動車,東証1部,100,-\n"));
        test::writeFile(temp / "url.lst", "");
        std::string titles;
        for (const std::string& title : kTitles)
            titles += text::sjisFromUtf8(title) + "\n";
        std::string strategies;
        for (int n = 1; n <= kEntries; ++n) {
            strategies += std::to_string(10 + n) + "\n";
            if (n == 3) continue;
            Strategy strategy;
            strategy.tactics.emplace_back().name = "t" + std::to_string(n);
            ASSERT_TRUE(saveStrategy(temp.str(), n, strategy));
            ConditionCapsule capsule;
            capsule.rowCount = static_cast<int16_t>(n);
            ASSERT_TRUE(writeCapsuleFile((temp / capsuleFileName(n - 1)).string(), capsule));
            test::writeFile(temp / watchlistFileName(n), std::to_string(1000 + n) + " x\n");
        }
        for (const char* name : {"Trade.inf", "Capsel.inf", "Focus.inf"})
            test::writeFile(temp / name, titles);
        test::writeFile(temp / "FocusTrade.inf", strategies);
    }
    // A fresh copy of the folder: copied rather than written again, as the
    // rule files are written with a flush each.
    void fill() {
        fs::remove_all(temp.path());
        fs::copy(original.path(), temp.path());
    }

    // Each entry as "title|what its file holds|its strategy number", read the
    // way the program reads them; a stray numbered, spare or journal file
    // shows as an entry of its own.
    std::vector<std::string> lists() {
        std::vector<std::string> seen;
        const std::string root = temp.str();
        auto describe = [&](const std::vector<std::string>& titles,
                            const std::function<std::string(int)>& file,
                            const std::function<std::string(const std::string&)>& contents) {
            for (int k = 0; k <= static_cast<int>(titles.size()); ++k) {
                const std::string path = fileio::joinPath(root, file(k));
                const bool present = fileio::fileExists(path);
                if (k == static_cast<int>(titles.size())) {
                    if (present) seen.push_back("stray " + file(k));
                    break;
                }
                seen.push_back(titles[static_cast<std::size_t>(k)] + "|" +
                               (present ? contents(path) : "-"));
            }
        };
        describe(
            readStrategyNames(root), [](int k) { return strategyFileName(k + 1); },
            [](const std::string& path) {
                return readStrategyFile(path)->strategy.tactics[0].name;
            });
        describe(readCapsuleTitles(root), capsuleFileName, [](const std::string& path) {
            return std::to_string(readCapsuleFile(path).rowCount);
        });
        const ProgramFolder folder(root);
        const auto numbers = readWatchlistStrategies(folder);
        const auto titles = readTitles(folder);
        describe(
            titles, [](int k) { return watchlistFileName(k + 1); },
            [](const std::string& path) { return test::readFile(path); });
        for (std::size_t k = 0; k < titles.size(); ++k)
            seen.push_back(titles[k] + "#" + std::to_string(numbers[k]));
        for (const char* spare : {"Trade.bak", "Capsel.bak", "Focus.bak", "Rename.jnl"})
            if (fs::exists(temp / spare)) seen.push_back(std::string("stray ") + spare);
        return seen;
    }

    test::TempFolder original;
    test::TempFolder temp;
    test::RecordingPrompter prompter;
};

struct Operation {
    const char* what;
    std::function<bool(const std::string& folder, Prompter&, const FileOps&)> run;
};

std::vector<Operation> operations() {
    return {
        {"delete strategy 2",
         [](const std::string& folder, Prompter& prompter, const FileOps& ops) {
             StrategyList list(folder, prompter);
             list.open(1);
             list.store().ops = ops;
             return list.deleteStrategy();
         }},
        {"move strategy 3 up",
         [](const std::string& folder, Prompter& prompter, const FileOps& ops) {
             StrategyList list(folder, prompter);
             list.open(2);
             list.store().ops = ops;
             return list.moveStrategyUp();
         }},
        {"delete capsule 1",
         [](const std::string& folder, Prompter& prompter, const FileOps& ops) {
             CapsuleSet set(folder, prompter);
             set.open(0);
             set.store().ops = ops;
             return set.deleteCapsule();
         }},
        {"move capsule 4 down",
         [](const std::string& folder, Prompter& prompter, const FileOps& ops) {
             CapsuleSet set(folder, prompter);
             set.open(3);
             set.store().ops = ops;
             return set.moveCapsuleDown();
         }},
        {"delete watchlist 2",
         [](const std::string& folder, Prompter& prompter, const FileOps& ops) {
             Watchlists lists{ProgramFolder(folder), prompter};
             lists.listFileOps = ops;
             lists.select(watchlistPosition(2));
             return lists.deleteWatchlist();
         }},
        {"move watchlist 2 down",
         [](const std::string& folder, Prompter& prompter, const FileOps& ops) {
             Watchlists lists{ProgramFolder(folder), prompter};
             lists.listFileOps = ops;
             lists.select(watchlistPosition(2));
             return lists.moveWatchlistDown();
         }},
    };
}

// A kill after any file step of a delete or move leaves, once the program has
// started again, every list in step with its files and the watchlists with
// their strategy numbers: each entry as before or as after, never a mix.
TEST_F(ListRecovery, AKillAtAnyStepLeavesEveryListWholeAfterTheNextStart) {
    for (const Operation& operation : operations()) {
        fill();
        const std::vector<std::string> before = lists();
        ASSERT_TRUE(operation.run(temp.str(), prompter, FileOps::plain()));
        const std::vector<std::string> after = lists();
        ASSERT_NE(before, after);
        bool finished = false;
        for (int kill = 1; !finished; ++kill) {
            SCOPED_TRACE(std::string(operation.what) + ", killed after step " +
                         std::to_string(kill));
            fill();
            const test::ChildRun run = test::killedAfterStep(
                kill, [&](const FileOps& ops) { operation.run(temp.str(), prompter, ops); });
            ASSERT_NE(run, test::ChildRun::Crashed);
            finished = run == test::ChildRun::Finished;
            {
                test::TestPlatform tools;
                Workspace restarted{ProgramFolder(temp.str()), tools.platform()};
                EXPECT_TRUE(tools.prompter.messages().empty());
            }
            const std::vector<std::string> now = lists();
            EXPECT_TRUE(now == before || now == after) << ::testing::PrintToString(now);
            if (finished) {
                EXPECT_EQ(now, after);
            }
            ASSERT_LT(kill, 60);
            if (HasFailure()) return;
        }
    }
}

}  // namespace
}  // namespace tav
