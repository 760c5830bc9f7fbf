#include "workspace/settings.h"

#include <gtest/gtest.h>

#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "watchlists/entry_lists.h"

namespace tav {
namespace {

TEST(SettingsSheetOk, AppliesSavesAndStartsAgainFromScreenOne) {
    test::TempFolder temp;
    test::TestPlatform tools;
    test::writeFile(temp / "Stock.lst", "1010,Index,-,1,-\n");
    test::writeFile(temp / "url.lst", "");
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
    workspace.initProgramFolder();
    workspace.loadSettings(std::nullopt);
    std::string history;
    for (int code = 1301; code < 1311; ++code) history += std::to_string(code) + " x\n";
    test::writeFile(temp / "History.lst", history);
    workspace.options().indicatorScreen = 2;

    auto sheet = openSettingsSheet(workspace);
    sheet->text(SheetField::graphsPerScreen) = "3";
    sheet->text(SheetField::historyLength) = "5";
    sheet->text(SheetField::quoteInterval) = "30";
    sheet->text(SheetField::waveLineDays) = "200";
    sheet->indicator.fields[0] = "9";
    ASSERT_FALSE(sheet->refusedField());
    const SheetChanges changes = applySettingsSheet(workspace, *sheet);

    EXPECT_TRUE(changes.graphsPerScreenChanged);
    EXPECT_TRUE(changes.quoteIntervalChanged);
    EXPECT_EQ(workspace.options().indicatorScreenCount(), 6);
    EXPECT_EQ(workspace.options().indicatorScreen, 0);
    EXPECT_EQ(workspace.options().quoteWatchMilliseconds(), 30000);
    EXPECT_EQ(workspace.displaySwitches.waveLineDays, 200);
    EXPECT_EQ(workspace.history().historyCount(), 5);
    EXPECT_EQ(workspace.analysisParameters.indicator(IndicatorParam::rsiPeriod, PeriodMode::Daily), 9);

    // What the sheet applied is what the next start reads.
    Workspace next{ProgramFolder(temp.str()), tools.platform()};
    next.loadSettings(std::nullopt);
    EXPECT_EQ(next.options().graphsPerScreen, 3);
    EXPECT_EQ(next.options().historyLength, 5);
    EXPECT_EQ(next.displaySwitches.waveLineDays, 200);
    EXPECT_EQ(next.analysisParameters, workspace.analysisParameters);
}

// The pane's choice is one byte of "Option.cfg" whose old values keep their
// meaning (9 is watchlist 1); a segment is the one value no watchlist can have.
TEST(ListPositionInOptions, SegmentsTakeAValueOfTheirOwn) {
    const struct {
        int position;
        uint8_t selector, segment;
    } cases[] = {{8, 8, 0}, {9, 255, 0}, {11, 255, 2}, {watchlistPosition(1), 9, 0}};
    for (const auto& c : cases) {
        test::TempFolder temp;
        test::TestPlatform tools;
        test::writeFile(temp / "Stock.lst", "1010,Index,-,1,-\n");
        test::writeFile(temp / "Focus.inf", "list\n");
        Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
        workspace.loadSettings(std::nullopt);
        workspace.watchlists().select(c.position);
        ASSERT_TRUE(workspace.saveSettings());
        const std::string image = test::readFile(temp / "Option.cfg");
        EXPECT_EQ(static_cast<uint8_t>(image.at(9)), c.selector) << c.position;
        EXPECT_EQ(static_cast<uint8_t>(image.at(11)), c.segment) << c.position;
        Workspace next{ProgramFolder(temp.str()), tools.platform()};
        next.loadSettings(std::nullopt);
        EXPECT_EQ(next.watchlists().position(), c.position);
    }
    EXPECT_EQ(positionFromStored({9, 2}), watchlistPosition(1));  // the byte counts only with 255
    EXPECT_EQ(positionFromStored({255, 3}), 0);
}

}  // namespace
}  // namespace tav
