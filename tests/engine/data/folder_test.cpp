#include <gtest/gtest.h>

#include "core/file_io.h"
#include "core/text.h"
#include "data/folder_setup.h"
#include "data/program_folder.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "workspace/updates.h"

namespace tav {
namespace {

TEST(LocateProgramFolder, FollowsThePrecedence) {
    test::TempFolder portable;
    test::writeFile(portable / "Stock.lst", "");
    FolderLocation where{std::string("/explicit"), std::string("/home-env"), portable.str(),
                         std::string("/xdg"), std::string("/home/u")};
    EXPECT_EQ(locateProgramFolder(where), "/explicit");
    where.explicitFolder.reset();
    EXPECT_EQ(locateProgramFolder(where), "/home-env");
    where.tavrentoHome = "";
    EXPECT_EQ(locateProgramFolder(where), portable.str());
    where.executableFolder = "/usr/bin";
    EXPECT_EQ(locateProgramFolder(where), "/xdg/tavrento");
    where.xdgDataHome.reset();
    EXPECT_EQ(locateProgramFolder(where), "/home/u/.local/share/tavrento");
}

TEST(FullWidthNumber, TitlesOneToTen) {
    EXPECT_EQ(fullWidthNumber(1), "１");
    EXPECT_EQ(fullWidthNumber(9), "９");
    EXPECT_EQ(fullWidthNumber(10), "１０");
}

TEST(InitProgramFolder, CreatesFoldersTitleFilesAndReportsMissingLists) {
    test::TempFolder parent;
    std::string root = (parent / "new-folder").string();
    test::TestPlatform tools;
    tools.prompter.answers = {Answer::No};  // do not download the master list
    Workspace workspace(ProgramFolder(root), tools.platform());
    EXPECT_TRUE(workspace.initProgramFolder());  // no 1010 series yet
    for (const char* name : {"Source", "Data", "Config", "Line"})
        EXPECT_TRUE(fileio::directoryExists(root + "/" + name)) << name;
    std::string focus = test::readFile(root + "/Focus.inf");
    EXPECT_TRUE(focus.starts_with("\x92\x8D\x96\xDA\x96\xC1\x95\xBF\x82\x50\n"));
    EXPECT_TRUE(text::utf8FromSjis(focus).ends_with("注目銘柄９\n注目銘柄１０\n"));
    EXPECT_TRUE(text::utf8FromSjis(test::readFile(root + "/Trade.inf")).starts_with("売買戦略１\n"));
    EXPECT_TRUE(text::utf8FromSjis(test::readFile(root + "/Capsel.inf")).ends_with("条件カプセル１０\n"));

    ASSERT_EQ(tools.prompter.calls.size(), 3u);
    EXPECT_EQ(tools.prompter.calls[0].text, "[Stock.lst]　が見つかりません。");
    EXPECT_EQ(tools.prompter.calls[0].icon, MessageIcon::Warning);
    EXPECT_EQ(tools.prompter.calls[1].kind, "yesno");  // the master-list download
    EXPECT_EQ(tools.prompter.calls[2].text,
              "[url.lst]　が見つかりません。投資情報が使えませんのでご注意ください。");
    EXPECT_EQ(tools.prompter.calls[2].icon, MessageIcon::Stop);

    // Existing title files are left alone; with the 1010 series the store exists.
    test::writeFile(root + "/Focus.inf", "mine\n");
    test::writeFile(root + "/Data/1010.txt", "20240101,1,1,1,1,1\n");
    test::writeFile(root + "/Stock.lst", "1010,N,-,-,-\n");
    test::writeFile(root + "/url.lst", "");
    tools.prompter.calls.clear();
    EXPECT_FALSE(workspace.initProgramFolder());
    EXPECT_TRUE(tools.prompter.calls.empty());
    EXPECT_EQ(test::readFile(root + "/Focus.inf"), "mine\n");
}

TEST(FolderLock, SecondInstanceIsReadOnly) {
    test::TempFolder temp;
    test::writeFile(temp / "Stock.lst", "7203,T,-,-,-\n");
    test::TestPlatform first;
    test::TestPlatform second;
    auto owner = std::make_unique<Workspace>(ProgramFolder(temp.str()), first.platform());
    owner->initProgramFolder();
    Workspace viewer(ProgramFolder(temp.str()), second.platform());
    EXPECT_TRUE(owner->storeWritable());
    EXPECT_FALSE(viewer.storeWritable());

    second.prompter.calls.clear();
    EXPECT_FALSE(addSecurity(viewer, {6758, "S", 0, 0}));
    EXPECT_EQ(second.prompter.calls.size(), 1u);
    EXPECT_EQ(second.prompter.calls[0].icon, MessageIcon::Stop);
    EXPECT_EQ(test::readFile(temp / "Stock.lst"), "7203,T,-,-,-\n");

    viewer.series().code = 7203;
    viewer.series().savedCount = -1;
    EXPECT_FALSE(viewer.saveIfChanged());
    EXPECT_FALSE(fileio::fileExists((temp / "Data/7203.txt").string()));

    owner.reset();  // the first instance quits: a new one gets the lock
    Workspace next(ProgramFolder(temp.str()), second.platform());
    EXPECT_TRUE(next.storeWritable());
}

}  // namespace
}  // namespace tav
