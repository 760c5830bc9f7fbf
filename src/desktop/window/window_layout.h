#pragma once

#include <array>

namespace tav::desktop {

// A pane rectangle as (left, top, right, bottom), right and bottom exclusive.
struct PaneRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    int width() const { return right - left; }
    int height() const { return bottom - top; }
    bool empty() const { return right <= left || bottom <= top; }
    friend bool operator==(const PaneRect&, const PaneRect&) = default;
};

// What the layout depends on: the client size and the stored splitter
// positions, 0 meaning "not set yet".
struct LayoutInput {
    int width = 0;
    int height = 0;
    bool watchlistShown = true;
    int watchlistWidth = 0;  // 0 means 150
    int splitter2 = 0;       // 0 means 240
    int splitter1 = 0;       // 0 means half of the pane height
    int rightWidth = 0;      // 0 means boardWidth
    // The board column's width when none is stored: wide enough for the
    // board's fields in the window's font.
    int boardWidth = 130;
};

constexpr int kToolbarHeight = 30;
constexpr int kScaleWidth = 50;  // price-scale labels left of the chart column
constexpr int kDateGap = 20;     // date labels between chart and indicator pane
constexpr int kListButtonCount = 6;

// The six pane rectangles, the chart column's left edge and the second
// button row above the entry list.
struct WindowLayout {
    PaneRect listSelector;
    PaneRect entryList;
    PaneRect chart;
    PaneRect indicator;
    PaneRect priceBoard;
    PaneRect note;
    int chartColumn = 0;  // b: the chart column starts here
    int rightColumn = 0;  // g: the price board and note pane start here
    int splitter1 = 0;    // s, as used
    std::array<PaneRect, kListButtonCount> listButtons{};
};

WindowLayout computeLayout(const LayoutInput& input);

// The splitters: 1 chart/indicator, 2 selector/entry list, 3 watchlist
// width, 4 right column width; 0 for none.
enum class Splitter { None = 0, ChartIndicator = 1, Lists = 2, WatchlistWidth = 3, RightWidth = 4 };

// The splitter a left-button press at (x, y) grabs.
Splitter splitterAt(const WindowLayout& layout, bool watchlistShown, int x, int y);

// Stores a splitter released at (x, y) into the layout input; the right
// width is measured from the right edge.
void applySplitterDrag(LayoutInput& input, Splitter splitter, int x, int y);

// True for a vertical-resize cursor (a horizontal splitter line).
constexpr bool isHorizontalLine(Splitter splitter) {
    return splitter == Splitter::ChartIndicator || splitter == Splitter::Lists;
}

}  // namespace tav::desktop
