#include "workspace/workspace.h"

#include <gtest/gtest.h>

#include "core/text.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"

namespace tav {
namespace {

class WorkspaceSeries : public ::testing::Test {
protected:
    void SetUp() override {
        test::writeFile(temp / "Stock.lst", text::sjisFromUtf8("7203,トヨタ自動車,東証1部,100,-\n"));
        test::writeFile(temp / "url.lst", "");
        workspace.initProgramFolder();
        tools.prompter.calls.clear();
    }
    test::TempFolder temp;
    test::TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
};

TEST_F(WorkspaceSeries, SeriesChangedNamesTheSecurityAndReportsDisorderOnce) {
    test::writeFile(temp / "Data/7203.txt",
                    "20240105,1,1,1,1,1\n20240103,1,1,1,1,1\n20240104,1,1,1,1,1\n20240102,1,1,1,1,1\n");
    ASSERT_TRUE(workspace.loadStoredSeries(7203));
    EXPECT_EQ(workspace.series().count(), 4);
    EXPECT_EQ(workspace.series().cursor, 3);
    workspace.seriesChanged();
    EXPECT_EQ(workspace.series().name, "トヨタ自動車");
    EXPECT_EQ(tools.prompter.messages(),
              std::vector<std::string>{"データ不整合が発見されました。\n\nデータの再読込みを行ってください。"});

    // Equal dates are fine; an unknown code shows "-----".
    test::writeFile(temp / "Data/1234.txt", "20240102,1,1,1,1,1\n20240102,2,2,2,2,2\n");
    tools.prompter.calls.clear();
    workspace.loadStoredSeries(1234);
    workspace.seriesChanged();
    EXPECT_TRUE(tools.prompter.calls.empty());
    EXPECT_EQ(workspace.security().name, "-----");
    EXPECT_EQ(workspace.security().market, "---");
}

TEST_F(WorkspaceSeries, UnchangedSeriesIsNotRewritten) {
    test::writeFile(temp / "Data/7203.txt", "20240102,1,1,1,1,1\r\n");
    ASSERT_TRUE(workspace.loadStoredSeries(7203));
    ASSERT_TRUE(workspace.saveIfChanged());
    EXPECT_EQ(test::readFile(temp / "Data/7203.txt"), "20240102,1,1,1,1,1\r\n");
}

TEST_F(WorkspaceSeries, ScratchModeUsesLastTxtOnlyForItsOwnCode) {
    workspace.storageMode = StorageMode::Scratch;
    workspace.lastShownCode = 7203;
    test::writeFile(temp / "Data/Last.txt", "20240102,5,5,5,5,5\n");
    EXPECT_FALSE(workspace.loadStoredSeries(6758));  // another code: fetch instead
    EXPECT_TRUE(workspace.series().empty());
    EXPECT_TRUE(workspace.loadStoredSeries(7203));
    EXPECT_EQ(workspace.series().bars[0].close, 5);
}

}  // namespace
}  // namespace tav
