#include "window/window_layout.h"

#include <gtest/gtest.h>

namespace tav::desktop {
namespace {

LayoutInput window(int width, int height) {
    LayoutInput input;
    input.width = width;
    input.height = height;
    return input;
}

TEST(WindowLayout, DefaultsPlaceEveryPane) {
    const WindowLayout layout = computeLayout(window(1000, 700));
    // a = 670, watchlist width 150, splitter 2 at 240, s = 335, g = 870.
    EXPECT_EQ(layout.listSelector, (PaneRect{5, 31, 150, 240}));
    EXPECT_EQ(layout.entryList, (PaneRect{5, 265, 150, 670}));
    EXPECT_EQ(layout.chartColumn, 200);
    EXPECT_EQ(layout.chart, (PaneRect{200, 30, 865, 334}));
    EXPECT_EQ(layout.indicator, (PaneRect{200, 355, 865, 670}));
    EXPECT_EQ(layout.priceBoard, (PaneRect{870, 30, 1000, 335}));
    EXPECT_EQ(layout.note, (PaneRect{870, 355, 1000, 670}));
}

TEST(WindowLayout, StoredSplittersAreUsed) {
    LayoutInput input = window(1200, 800);
    input.watchlistWidth = 200;
    input.splitter2 = 300;
    input.splitter1 = 500;
    input.rightWidth = 180;
    const WindowLayout layout = computeLayout(input);
    EXPECT_EQ(layout.chartColumn, 250);
    EXPECT_EQ(layout.entryList.top, 325);
    EXPECT_EQ(layout.chart, (PaneRect{250, 30, 1015, 499}));
    EXPECT_EQ(layout.indicator, (PaneRect{250, 520, 1015, 770}));
    EXPECT_EQ(layout.priceBoard.left, 1020);
}

TEST(WindowLayout, HiddenWatchlistMovesTheChartColumnToFifty) {
    LayoutInput input = window(1000, 700);
    input.watchlistShown = false;
    input.watchlistWidth = 220;
    const WindowLayout layout = computeLayout(input);
    EXPECT_TRUE(layout.listSelector.empty());
    EXPECT_TRUE(layout.entryList.empty());
    EXPECT_EQ(layout.chart.left, 50);
    EXPECT_EQ(layout.indicator.left, 50);
}

TEST(WindowLayout, ListButtonsSplitTheListWidthCappedAt150) {
    LayoutInput input = window(1000, 700);
    input.watchlistWidth = 300;  // wider lists keep the 150-pixel row
    const WindowLayout layout = computeLayout(input);
    const int widths[] = {15, 15, 30, 30, 30, 30};
    int x = 5;
    for (int index = 0; index < kListButtonCount; ++index) {
        const PaneRect& button = layout.listButtons[index];
        EXPECT_EQ(button.left, x);
        EXPECT_EQ(button.width(), widths[index]);
        EXPECT_EQ(button.height(), 20);
        EXPECT_GT(button.top, layout.listSelector.bottom);
        EXPECT_LT(button.bottom, layout.entryList.top + 1);
        x += widths[index];
    }
}

TEST(WindowLayout, SplitterHitZones) {
    const WindowLayout layout = computeLayout(window(1000, 700));
    EXPECT_EQ(splitterAt(layout, true, 400, 336), Splitter::ChartIndicator);
    EXPECT_EQ(splitterAt(layout, true, 400, 340), Splitter::None);
    EXPECT_EQ(splitterAt(layout, true, 50, 245), Splitter::Lists);
    EXPECT_EQ(splitterAt(layout, true, 152, 100), Splitter::WatchlistWidth);
    EXPECT_EQ(splitterAt(layout, true, 867, 100), Splitter::RightWidth);
    EXPECT_EQ(splitterAt(layout, true, 400, 100), Splitter::None);
    // Splitters 2 and 3 exist only with the lists shown.
    LayoutInput hidden = window(1000, 700);
    hidden.watchlistShown = false;
    const WindowLayout bare = computeLayout(hidden);
    EXPECT_EQ(splitterAt(bare, false, 50, 245), Splitter::None);
    EXPECT_EQ(splitterAt(bare, false, 152, 100), Splitter::None);
}

TEST(WindowLayout, DraggedSplittersStoreTheReleasePointWithinTheWindow) {
    LayoutInput input = window(1000, 700);
    applySplitterDrag(input, Splitter::ChartIndicator, 400, 420);
    EXPECT_EQ(input.splitter1, 420);
    applySplitterDrag(input, Splitter::RightWidth, 800, 100);
    EXPECT_EQ(input.rightWidth, 200);
    applySplitterDrag(input, Splitter::WatchlistWidth, 180, 100);
    EXPECT_EQ(input.watchlistWidth, 180);
    // Dropped outside the window: the panes keep some room.
    applySplitterDrag(input, Splitter::ChartIndicator, 400, 5000);
    EXPECT_LT(input.splitter1, 670);
    applySplitterDrag(input, Splitter::Lists, 50, -40);
    EXPECT_GT(input.splitter2, 30);
    const WindowLayout layout = computeLayout(input);
    EXPECT_FALSE(layout.chart.empty());
    EXPECT_FALSE(layout.indicator.empty());
}

}  // namespace
}  // namespace tav::desktop
