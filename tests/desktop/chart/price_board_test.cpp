#include "chart/price_board.h"

#include <gtest/gtest.h>

#include <filesystem>

#include "chart_lines/day_levels.h"
#include "desktop/chart/pane_fixture.h"

namespace tav::desktop {
namespace {

// 51 bars, so the newest is bar 50.
std::vector<DailyBar> series() {
    return std::vector<DailyBar>(51, test::makeBar("20240603", 1000, 1100, 900, 1050));
}

class PriceBoardTest : public ::testing::Test, public test::PaneFixture {
  protected:
    PriceBoard board{workspace, state};
};

TEST_F(PriceBoardTest, LevelListIsWrittenAndOpenedOncePerRequest) {
    setBars(series());
    board.resize(200, 500);
    const auto path = temp / "Layer.txt";

    board.showLevelList();
    EXPECT_EQ(test::readFile(path), layerFileText(levelList(workspace.series().bars, 50)));
    EXPECT_EQ(tools.shell.opened, std::vector<std::string>{path.string()});

    // Repaints while the list stays shown neither write nor open it again.
    std::filesystem::remove(path);
    test::render(board);
    test::render(board);
    EXPECT_FALSE(std::filesystem::exists(path));
    EXPECT_EQ(tools.shell.opened.size(), 1u);

    board.hideLevelList();
    board.showLevelList();
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_EQ(tools.shell.opened.size(), 2u);
}

TEST_F(PriceBoardTest, ShowsTheHoveredThenClickedThenNewestBar) {
    setBars(series());
    EXPECT_EQ(board.shownBar(), 50);
    state.clickedBar = 7;
    EXPECT_EQ(board.shownBar(), 7);
    state.indicatorHoverBar = 8;
    EXPECT_EQ(board.shownBar(), 8);
    state.chartHoverBar = 9;
    EXPECT_EQ(board.shownBar(), 9);
    // Indexes left over from a longer series are ignored.
    state.chartHoverBar = 80;
    state.indicatorHoverBar = 80;
    state.clickedBar = 80;
    EXPECT_EQ(board.shownBar(), 50);
    setBars({});
    EXPECT_EQ(board.shownBar(), kNoBar);
}

}  // namespace
}  // namespace tav::desktop
