#include <gtest/gtest.h>

#include <filesystem>
#include <functional>

#include "conditions/capsule_file.h"
#include "core/text.h"
#include "simulation/strategy_file.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "workspace/workspace.h"

namespace tav {
namespace {

namespace fs = std::filesystem;

// Capsule and strategy files are read once; these follow one file through the
// changes a running program meets.
class RuleFiles : public ::testing::Test {
  protected:
    void SetUp() override {
        test::writeFile(temp / "Stock.lst", text::sjisFromUtf8("7203,トヨタ自動車,東証1部,100,-\n"));
        test::writeFile(temp / "url.lst", "");
        workspace.initProgramFolder();
        test::writeFile(temp / "Data/7203.txt", "20240102,10,12,9,11,1000\n20240104,11,13,10,12,900\n");
        ASSERT_TRUE(workspace.loadStoredSeries(7203));
    }
    // Other bytes of the same length with the time put back: what a rewrite
    // within one tick of a coarse file-system clock leaves.
    static void rewriteKeepingStamp(const fs::path& path, const std::function<void()>& write) {
        const auto time = fs::last_write_time(path);
        const auto size = fs::file_size(path);
        write();
        ASSERT_EQ(fs::file_size(path), size);
        fs::last_write_time(path, time);
    }
    static ConditionCapsule capsuleOf(int rows, int16_t item) {
        ConditionCapsule capsule;
        capsule.rowCount = static_cast<int16_t>(rows);
        for (int k = 0; k < rows; ++k) capsule.rows[static_cast<std::size_t>(k)] = {5, 0, 0, item};
        return capsule;
    }
    static Strategy strategyNamed(const std::string& name) {
        Strategy strategy;
        strategy.tactics.emplace_back().name = name;
        return strategy;
    }
    // The tactic names of a display run of strategy 1; empty when it did not run.
    std::string shownTactics() {
        if (!workspace.runStrategyDisplay(1)) return {};
        std::string names;
        for (const std::string& name : workspace.strategyDisplay.tacticNames) names += name;
        return names;
    }
    test::TempFolder temp;
    test::TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
};

TEST_F(RuleFiles, CapsulesAreReadAgainOnlyWhenTheirFilesChange) {
    const std::string first = (temp / capsuleFileName(0)).string();
    const std::string second = (temp / capsuleFileName(1)).string();
    ASSERT_TRUE(writeCapsuleTitles(temp.str(), {"a"}));
    ASSERT_TRUE(writeCapsuleFile(first, capsuleOf(1, 1)));
    ASSERT_EQ(workspace.capsules().size(), 1u);
    EXPECT_EQ(workspace.capsules()[0].rows[0].item, 1);

    // Unchanged stamps: the copy in memory stands, the file is not read.
    rewriteKeepingStamp(first, [&] { writeCapsuleFile(first, capsuleOf(1, 2)); });
    EXPECT_EQ(workspace.capsules()[0].rows[0].item, 1);
    // The program's own write is announced.
    workspace.ruleFilesWritten();
    EXPECT_EQ(workspace.capsules()[0].rows[0].item, 2);

    // Another program's edits show by size or time.
    ASSERT_TRUE(writeCapsuleFile(first, capsuleOf(2, 2)));
    EXPECT_EQ(workspace.capsules()[0].rowCount, 2);
    ASSERT_TRUE(writeCapsuleTitles(temp.str(), {"a", "b"}));
    ASSERT_TRUE(writeCapsuleFile(second, capsuleOf(3, 4)));
    ASSERT_EQ(workspace.capsules().size(), 2u);
    EXPECT_EQ(workspace.capsules()[1].rowCount, 3);
    fs::remove(second);
    EXPECT_EQ(workspace.capsules()[1].rowCount, 0);
    // Evaluation reads the same copy.
    EXPECT_EQ(workspace.conditionInputs().capsules.size(), 2u);
}

TEST_F(RuleFiles, TheDisplayRunReadsItsStrategyAgainOnlyWhenTheFileChanges) {
    const fs::path path = temp / strategyFileName(1);
    ASSERT_TRUE(saveStrategy(temp.str(), 1, strategyNamed("A")));
    EXPECT_EQ(shownTactics(), "A");

    rewriteKeepingStamp(path, [&] { saveStrategy(temp.str(), 1, strategyNamed("B")); });
    EXPECT_EQ(shownTactics(), "A");
    workspace.ruleFilesWritten();
    EXPECT_EQ(shownTactics(), "B");

    ASSERT_TRUE(saveStrategy(temp.str(), 1, strategyNamed("CC")));
    EXPECT_EQ(shownTactics(), "CC");
    // Another strategy is read on its own, and the first is read again after it.
    ASSERT_TRUE(saveStrategy(temp.str(), 2, strategyNamed("D")));
    ASSERT_TRUE(workspace.runStrategyDisplay(2));
    EXPECT_EQ(workspace.strategyDisplay.tacticNames.front(), "D");
    EXPECT_EQ(shownTactics(), "CC");
    fs::remove(path);
    EXPECT_EQ(shownTactics(), "");
}

}  // namespace
}  // namespace tav
