#include "conditions/capsule_set.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "conditions/capsule_cache.h"
#include "conditions/capsule_file.h"
#include "core/text.h"
#include "support/recording_prompter.h"
#include "support/test_platform.h"
#include "support/temp_folder.h"

namespace tav {
namespace {

// A capsule whose single row carries its number in `item`, to tell files apart.
ConditionCapsule marked(int16_t mark) {
    ConditionCapsule capsule;
    capsule.rowCount = 1;
    capsule.rows[0] = Condition{3, 0, 0, mark, 0, 0, 0, 0, 0, 0};
    return capsule;
}

class CapsuleSetTest : public ::testing::Test {
  protected:
    void SetUp() override {
        writeCapsuleTitles(temp.str(), {"一", "二", "三", "四"});
        for (int k = 0; k < 4; ++k)
            writeCapsuleFile(file(k + 1), marked(static_cast<int16_t>(k + 1)));
    }
    std::string file(int number) const {
        return (temp / ("Capsel" + std::to_string(number) + ".pat")).string();
    }
    int16_t markOf(int number) const { return readCapsuleFile(file(number)).rows[0].item; }
    std::vector<std::string> titlesOnDisk() const { return readCapsuleTitles(temp.str()); }

    test::TempFolder temp;
    test::RecordingPrompter prompter;
};

TEST_F(CapsuleSetTest, DeletingTheSecondOfFourRenumbersTheFiles) {
    CapsuleSet set(temp.str(), prompter);
    set.open(1);
    ASSERT_EQ(set.current(), 1);
    ASSERT_TRUE(set.deleteCapsule());
    EXPECT_EQ(prompter.questions(),
              std::vector<std::string>{
                  "[二] を削除します。\n\n一度削除すると元へ戻せません。\n\nよろしいですか？"});
    EXPECT_EQ(titlesOnDisk(), (std::vector<std::string>{"一", "三", "四"}));
    EXPECT_EQ(markOf(1), 1);
    EXPECT_EQ(markOf(2), 3);
    EXPECT_EQ(markOf(3), 4);
    EXPECT_FALSE(std::filesystem::exists(file(4)));
    // The same position is selected, loaded from its renumbered file.
    EXPECT_EQ(set.current(), 1);
    EXPECT_EQ(set.capsule().rows[0].item, 3);

    // Deleting the last selects the one before and leaves no file behind.
    set.select(2);
    ASSERT_TRUE(set.deleteCapsule());
    EXPECT_EQ(set.current(), 1);
    EXPECT_FALSE(std::filesystem::exists(file(3)));

    // "No" changes nothing.
    prompter.answers = {Answer::No};
    EXPECT_FALSE(set.deleteCapsule());
    EXPECT_EQ(set.count(), 2);
}

TEST_F(CapsuleSetTest, CopyAsksAndRefusesItself) {
    CapsuleSet set(temp.str(), prompter);
    set.open(0);
    EXPECT_FALSE(set.copyCapsuleTo(0));
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"送り手と受け手が同じです。"});
    EXPECT_EQ(markOf(1), 1);

    ASSERT_TRUE(set.copyCapsuleTo(2));
    EXPECT_EQ(prompter.questions().back(),
              "カプセルの設定内容を複写します。複写先の内容が失われます。\n\nよろしいですか？");
    EXPECT_EQ(markOf(3), 1);

    std::filesystem::remove(file(2));
    set.select(1);
    EXPECT_FALSE(set.copyCapsuleTo(3));
    EXPECT_EQ(prompter.messages().back(), "複写元には設定がありません。");
    EXPECT_EQ(markOf(4), 4);
}

// The target gets what the user sees, and the source file agrees with memory.
TEST_F(CapsuleSetTest, CopySavesTheEditedSourceFirst) {
    CapsuleSet set(temp.str(), prompter);
    set.open(0);
    ASSERT_TRUE(set.addRow(Condition{4, 0, 0, 5, 1, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(set.copyCapsuleTo(2));
    EXPECT_FALSE(set.changed());
    EXPECT_EQ(readCapsuleFile(file(1)), set.capsule());
    EXPECT_EQ(readCapsuleFile(file(3)), set.capsule());
    set.select(2);
    EXPECT_EQ(set.capsule().rowCount, 2);
}

// A rename that fails mid-way leaves the set, the titles and the files as they were.
TEST_F(CapsuleSetTest, AFailedMoveChangesNothing) {
    CapsuleSet set(temp.str(), prompter);
    set.open(1);
    int renames = 0;
    set.store().ops.rename = [&](const std::string& from, const std::string& to) {
        return ++renames != 2 && FileOps::plain().rename(from, to);
    };
    EXPECT_FALSE(set.deleteCapsule());
    renames = 0;
    EXPECT_FALSE(set.moveCapsuleDown());
    EXPECT_EQ(set.count(), 4);
    EXPECT_EQ(set.current(), 1);
    EXPECT_EQ(titlesOnDisk(), (std::vector<std::string>{"一", "二", "三", "四"}));
    for (int n = 1; n <= 4; ++n) EXPECT_EQ(markOf(n), n);
    EXPECT_FALSE(std::filesystem::exists(temp / "Capsel.bak"));
}

TEST_F(CapsuleSetTest, MoveSwapsTitlesAndFiles) {
    CapsuleSet set(temp.str(), prompter);
    set.open(0);
    EXPECT_FALSE(set.moveCapsuleUp());
    ASSERT_TRUE(set.moveCapsuleDown());
    EXPECT_EQ(set.current(), 1);
    EXPECT_EQ(titlesOnDisk(), (std::vector<std::string>{"二", "一", "三", "四"}));
    EXPECT_EQ(markOf(1), 2);
    EXPECT_EQ(markOf(2), 1);
    EXPECT_FALSE(std::filesystem::exists(temp / "Capsel.bak"));

    // A missing file moves as a missing file.
    std::filesystem::remove(file(4));
    set.select(3);
    ASSERT_TRUE(set.moveCapsuleUp());
    EXPECT_FALSE(std::filesystem::exists(file(3)));
    EXPECT_EQ(markOf(4), 3);
    set.select(3);
    EXPECT_FALSE(set.moveCapsuleDown());
}

TEST_F(CapsuleSetTest, AddAndRenameAskForCleanTitles) {
    CapsuleSet set(temp.str(), prompter);
    set.open(0);
    writeCapsuleFile(file(5), marked(99));  // left over from elsewhere
    prompter.inputs = {std::string(""), std::string("二行\nの名前"), std::string("新しい")};
    EXPECT_FALSE(set.addCapsule());
    EXPECT_FALSE(set.addCapsule());
    EXPECT_EQ(prompter.messages(), std::vector<std::string>{"カプセル名に改行は使えません。"});
    ASSERT_TRUE(set.addCapsule());
    EXPECT_EQ(prompter.calls.front().text, "条件カプセル追加|カプセル名|");
    EXPECT_EQ(set.current(), 4);
    EXPECT_EQ(set.capsule().rowCount, 0);
    EXPECT_EQ(titlesOnDisk().back(), "新しい");
    EXPECT_EQ(set.currentFileName(), "Capsel5.pat");
    EXPECT_EQ(readCapsuleFile(file(5)).rowCount, 0);

    prompter.inputs = {std::string("改名")};
    ASSERT_TRUE(set.renameCapsule());
    EXPECT_EQ(prompter.calls.back().text, "条件カプセル変更|カプセル名|新しい");
    EXPECT_EQ(titlesOnDisk().back(), "改名");
    EXPECT_EQ(set.count(), 5);
}

TEST_F(CapsuleSetTest, RowsAreEditedAndSavedOnSelect) {
    CapsuleSet set(temp.str(), prompter);
    set.open(0);
    EXPECT_FALSE(set.logicAvailable());
    EXPECT_FALSE(set.setLogic(kLogicAnd));
    ASSERT_TRUE(set.addRow(Condition{4, 0, 0, 5, 1, 0, 0, 0, 0, 0}));
    ASSERT_TRUE(set.setLogic(kLogicAnd));
    ASSERT_TRUE(set.moveRowUp(1));
    EXPECT_EQ(set.rowTexts(),
              (std::vector<std::string>{"本日の一目均衡表転換線が下降中", "本日が陰線"}));
    EXPECT_TRUE(set.changed());
    EXPECT_EQ(markOf(1), 1);  // nothing written yet
    set.select(1);
    ConditionCapsule saved = readCapsuleFile(file(1));
    EXPECT_EQ(saved.logic, kLogicAnd);
    EXPECT_EQ(saved.rowCount, 2);
    EXPECT_EQ(saved.rows[0].category, 4);

    set.select(0);
    ASSERT_TRUE(set.deleteRow(0));
    EXPECT_EQ(set.capsule().logic, kLogicAnd);
    EXPECT_EQ(set.shownLogic(), kLogicOr);  // one row: OR is shown
    ASSERT_TRUE(set.deleteRow(0));
    EXPECT_EQ(set.capsule(), ConditionCapsule{});  // the last row takes the logic with it
    EXPECT_TRUE(set.close());
    EXPECT_EQ(test::readFile(file(1)), "[RESERVE]\n0 0 0 0 0 0 0 0 0 0\n[CAPSEL]\n\n");
}

TEST_F(CapsuleSetTest, TwentyRowsAtMostAndInitialiseClearsAll) {
    CapsuleSet set(temp.str(), prompter);
    set.open(2);
    for (int i = 1; i < kMaxCapsuleRows; ++i)
        ASSERT_TRUE(set.addRow(Condition{}));
    EXPECT_FALSE(set.addRow(Condition{}));
    EXPECT_EQ(prompter.messages(),
              std::vector<std::string>{"1つのカプセルに登録できる条件は20個までです。"});
    EXPECT_EQ(set.capsule().rowCount, kMaxCapsuleRows);
    set.save();
    EXPECT_EQ(readCapsuleFile(file(3)).rowCount, kMaxCapsuleRows);

    prompter.answers = {Answer::No, Answer::Yes};
    EXPECT_FALSE(set.initialiseCapsule());
    ASSERT_TRUE(set.initialiseCapsule());
    EXPECT_EQ(
        prompter.questions().front(),
        "[ 三 ] "
        "の内容を初期化します。\n\nカプセル内全てのサインが消去されます。\n\nよろしいですか？");
    EXPECT_EQ(set.capsule(), ConditionCapsule{});
    EXPECT_TRUE(set.close());
    EXPECT_EQ(readCapsuleFile(file(3)).rowCount, 0);
}

TEST(CapsuleSetLoading, MissingFilesReadEmpty) {
    test::TempFolder temp;
    test::RecordingPrompter prompter;
    CapsuleSet set(temp.str(), prompter);
    set.open(3);
    EXPECT_EQ(set.current(), -1);
    EXPECT_FALSE(set.canAddRow());
    CapsuleCache cache;
    EXPECT_TRUE(cache.capsules(temp.str()).empty());
    writeCapsuleTitles(temp.str(), {"a", "b"});
    writeCapsuleFile((temp / "Capsel2.pat").string(), marked(7));
    const auto& all = cache.capsules(temp.str());
    ASSERT_EQ(all.size(), 2u);
    EXPECT_EQ(all[0], ConditionCapsule{});
    EXPECT_EQ(all[1].rows[0].item, 7);
    EXPECT_TRUE(prompter.calls.empty());
}

}  // namespace
}  // namespace tav

namespace tav {
namespace {

// Shift or Ctrl while choosing opens the file behind the choice, and only then.
TEST_F(CapsuleSetTest, AlternateChoicesOpenTheTitleFileOrTheCapsuleFile) {
    test::RecordingShell shell;
    CapsuleSet set(temp.str(), prompter);
    set.open(0);
    set.select(2, false, shell);
    set.chooseRow(false, shell);
    EXPECT_TRUE(shell.opened.empty());
    set.select(1, true, shell);
    set.chooseRow(true, shell);
    EXPECT_EQ(shell.opened,
              (std::vector<std::string>{(temp / "Capsel.inf").string(), file(2)}));
    EXPECT_EQ(set.current(), 1);
    EXPECT_EQ(set.capsule().rows[0].item, 2);
}

}  // namespace
}  // namespace tav
