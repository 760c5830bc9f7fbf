#include "core/numbered_titles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/file_io.h"
#include "support/killed_run.h"
#include "support/temp_folder.h"

namespace tav {
namespace {

using Folder = std::map<std::string, std::string>;  // file name -> bytes

// Titles one per line in "T.inf", entry k in "E{k}.dat".
class NumberedTitlesTest : public ::testing::Test {
  protected:
    NumberedListStore store() {
        NumberedListStore s;
        const std::string root = temp.str();
        s.folder = root;
        s.fileOf = [](int k) { return "E" + std::to_string(k) + ".dat"; };
        s.titleName = "T.inf";
        s.spareName = "E.bak";
        s.readTitles = [root] {
            std::vector<std::string> titles;
            fileio::forEachLine(fileio::readFile(root + "/T.inf").value_or(""),
                                [&](std::string_view line) { titles.emplace_back(line); });
            return titles;
        };
        const FileOps plain = FileOps::plain();
        s.ops.write = [this, root, plain](const std::string& path, std::string_view bytes) {
            return !(failTitles && path == root + "/T.inf") && plain.write(path, bytes);
        };
        // Rename number failAt (counting from 1) fails, so each step of an
        // operation can be the one that fails.
        s.ops.rename = [this, plain](const std::string& from, const std::string& to) {
            return ++renames != failAt && plain.rename(from, to);
        };
        return s;
    }
    // Four entries; entry 2 has no file.
    void fill() {
        test::writeFile(temp / "T.inf", "a\nb\nc\nd\n");
        for (int k : {0, 1, 3})
            test::writeFile(temp / ("E" + std::to_string(k) + ".dat"),
                            std::string(1, "ABCD"[k]) + "\n");
    }
    Folder snapshot() const {
        Folder files;
        for (const auto& entry : std::filesystem::directory_iterator(temp.path()))
            files[entry.path().filename().string()] = test::readFile(entry.path());
        return files;
    }

    test::TempFolder temp;
    int renames = 0;
    int failAt = 1000;
    bool failTitles = false;
};

struct Case {
    const char* what;
    std::function<bool(NumberedTitles&)> run;
    Folder after;
};

std::vector<Case> listOperations() {
    return {
        {"delete the second",
         [](NumberedTitles& l) { return l.remove(1); },
         {{"T.inf", "a\nc\nd\n"}, {"E0.dat", "A\n"}, {"E2.dat", "D\n"}}},
        {"delete the last",
         [](NumberedTitles& l) { return l.remove(3); },
         {{"T.inf", "a\nb\nc\n"}, {"E0.dat", "A\n"}, {"E1.dat", "B\n"}}},
        {"swap two files",
         [](NumberedTitles& l) { return l.swap(0, 1); },
         {{"T.inf", "b\na\nc\nd\n"}, {"E0.dat", "B\n"}, {"E1.dat", "A\n"}, {"E3.dat", "D\n"}}},
        {"swap with a missing file",
         [](NumberedTitles& l) { return l.swap(3, 2); },
         {{"T.inf", "a\nb\nd\nc\n"}, {"E0.dat", "A\n"}, {"E1.dat", "B\n"}, {"E2.dat", "D\n"}}},
    };
}

TEST_F(NumberedTitlesTest, DeleteAndSwapAreAllOrNothing) {
    const std::vector<Case> cases = listOperations();
    for (const Case& c : cases) {
        // Fail at every rename in turn, then at the title file, then not at all.
        for (int failing = 1;; ++failing) {
            SCOPED_TRACE(std::string(c.what) + ", failing rename " + std::to_string(failing));
            std::filesystem::remove_all(temp.path());
            std::filesystem::create_directories(temp.path());
            fill();
            const Folder before = snapshot();
            NumberedTitles list(store());
            list.reload();
            const std::vector<std::string> titles = list.titles();
            renames = 0;
            failAt = failing;
            const bool ok = c.run(list);
            failAt = 1000;
            if (ok) {
                EXPECT_EQ(snapshot(), c.after);
                // The title file was the last step: failing it puts the files back.
                std::filesystem::remove_all(temp.path());
                std::filesystem::create_directories(temp.path());
                fill();
                NumberedTitles again(store());
                again.reload();
                failTitles = true;
                EXPECT_FALSE(c.run(again));
                failTitles = false;
                EXPECT_EQ(snapshot(), before);
                EXPECT_EQ(again.titles(), titles);
                break;
            }
            EXPECT_EQ(snapshot(), before);
            EXPECT_EQ(list.titles(), titles);
            ASSERT_LT(failing, 10);
        }
    }
}

TEST_F(NumberedTitlesTest, AppendDropsALeftoverFileAndRenameKeepsTheOthers) {
    fill();
    test::writeFile(temp / "E4.dat", "stale\n");
    NumberedTitles list(store());
    list.reload();
    ASSERT_TRUE(list.append("e"));
    EXPECT_FALSE(std::filesystem::exists(temp / "E4.dat"));
    ASSERT_TRUE(list.rename(0, "x"));
    EXPECT_EQ(test::readFile(temp / "T.inf"), "x\nb\nc\nd\ne\n");
    failTitles = true;
    EXPECT_FALSE(list.rename(1, "y"));
    EXPECT_EQ(list.titles()[1], "b");
}

// A kill after any file step of an operation (also of one that is putting back
// a failed rename), and again after any step of the recovery at the next start,
// still ends with the list whole: as it was before or as it is after.
TEST_F(NumberedTitlesTest, AKillAtAnyStepIsFinishedOrUndoneByTheRecovery) {
    for (const Case& c : listOperations()) {
        for (int failing : {0, 2}) {
            bool finished = false;
            for (int kill = 1; !finished; ++kill) {
                // The recovery is stopped at every step only after a plain kill.
                for (int recoveryKill = failing == 0 ? 1 : 1000;; ++recoveryKill) {
                    SCOPED_TRACE(std::string(c.what) + ", failing rename " +
                                 std::to_string(failing) + ", killed after step " +
                                 std::to_string(kill) + ", recovery killed after step " +
                                 std::to_string(recoveryKill));
                    std::filesystem::remove_all(temp.path());
                    std::filesystem::create_directories(temp.path());
                    fill();
                    const Folder before = snapshot();
                    const test::ChildRun run = test::killedAfterStep(kill, [&](const FileOps& ops) {
                        NumberedListStore s = store();
                        s.ops = ops;
                        int renamed = 0;
                        s.ops.rename = [&](const std::string& from, const std::string& to) {
                            return ++renamed != failing && ops.rename(from, to);
                        };
                        NumberedTitles list(s);
                        list.reload();
                        c.run(list);
                    });
                    ASSERT_NE(run, test::ChildRun::Crashed);
                    finished = run == test::ChildRun::Finished;
                    const test::ChildRun recovery = test::killedAfterStep(
                        recoveryKill, [&](const FileOps& ops) { recoverRenames(temp.str(), ops); });
                    ASSERT_NE(recovery, test::ChildRun::Crashed);
                    EXPECT_NE(recoverRenames(temp.str()), RenameRecovery::Failed);
                    const Folder now = snapshot();
                    if (failing == 0 && finished) {
                        EXPECT_EQ(now, c.after);
                    }
                    EXPECT_TRUE(now == before || now == c.after);
                    if (recovery == test::ChildRun::Finished || HasFailure()) break;
                }
                if (HasFailure()) return;
                ASSERT_LT(kill, 40);
            }
        }
    }
}

TEST_F(NumberedTitlesTest, AJournalThatIsNoneOfOursIsDroppedAndAnUnfinishedOneBlocksEdits) {
    fill();
    test::writeFile(temp / "Rename.jnl", "something else\n");
    EXPECT_EQ(recoverRenames(temp.str()), RenameRecovery::Dropped);
    EXPECT_EQ(recoverRenames(temp.str()), RenameRecovery::Nothing);

    // A rename whose target is taken is never done over it.
    test::writeFile(temp / "Rename.jnl", "TavrentoRenames 1\nrename E0.dat E1.dat\nend\n");
    EXPECT_EQ(recoverRenames(temp.str()), RenameRecovery::Failed);
    EXPECT_EQ(test::readFile(temp / "E1.dat"), "B\n");
    NumberedTitles list(store());
    list.reload();
    EXPECT_FALSE(list.remove(0));
    EXPECT_FALSE(list.swap(0, 1));
    EXPECT_EQ(test::readFile(temp / "T.inf"), "a\nb\nc\nd\n");
}

}  // namespace
}  // namespace tav
