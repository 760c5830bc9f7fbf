#include "core/numbered_titles.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <vector>

#include "core/file_io.h"
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

TEST_F(NumberedTitlesTest, DeleteAndSwapAreAllOrNothing) {
    const std::vector<Case> cases = {
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

}  // namespace
}  // namespace tav
