#include "window/window_layout.h"

#include <algorithm>

namespace tav::desktop {

namespace {
constexpr int kMinEntryListHeight = 60;
}  // namespace

WindowLayout computeLayout(const LayoutInput& input) {
    WindowLayout layout;
    const int bottom = input.height - kToolbarHeight;
    const int listWidth = input.watchlistWidth ? input.watchlistWidth : 150;
    // A short window keeps the list buttons and some of the entry list.
    const int splitter2 =
        std::clamp(input.splitter2 ? input.splitter2 : 240, kToolbarHeight + 40,
                   std::max(kToolbarHeight + 40, bottom - kMinEntryListHeight - 25));

    if (input.watchlistShown) {
        layout.listSelector = {5, kToolbarHeight + 1, listWidth, splitter2};
        layout.entryList = {5, splitter2 + 25, listWidth, bottom};
        layout.chartColumn = listWidth + kScaleWidth;

        // The button row just above the entry list: two narrow arrows, four
        // wider buttons, across the list's width (at most 150).
        const int rowWidth = std::clamp(listWidth - 5, 0, 150);
        const int narrow = rowWidth / 10;
        const int wide = rowWidth / 5;
        int x = 5;
        for (int index = 0; index < kListButtonCount; ++index) {
            const int w = index < 2 ? narrow : wide;
            layout.listButtons[index] = {x, splitter2 + 3, x + w, splitter2 + 23};
            x += w;
        }
    } else {
        layout.chartColumn = kScaleWidth;
    }

    layout.rightColumn = input.width - (input.rightWidth ? input.rightWidth : input.boardWidth);
    layout.splitter1 = input.splitter1 ? input.splitter1 : bottom / 2;
    // A stored position from a taller window still leaves both panes on screen.
    if (input.splitter1)
        layout.splitter1 = std::clamp(layout.splitter1, kToolbarHeight + 40,
                                      std::max(kToolbarHeight + 40, bottom - 40));
    const int b = layout.chartColumn;
    const int g = layout.rightColumn;
    const int s = layout.splitter1;
    layout.chart = {b, kToolbarHeight, g - 5, s - 1};
    layout.indicator = {b, s + kDateGap, g - 5, bottom};
    layout.priceBoard = {g, kToolbarHeight, input.width, s};
    layout.note = {g, s + kDateGap, input.width, bottom};
    return layout;
}

Splitter splitterAt(const WindowLayout& layout, bool watchlistShown, int x, int y) {
    const PaneRect& chart = layout.chart;
    if (x >= chart.left && x < layout.rightColumn && y >= chart.bottom && y < chart.bottom + 5)
        return Splitter::ChartIndicator;
    if (watchlistShown) {
        const PaneRect& list = layout.listSelector;
        if (x >= list.left && x < list.right && y >= list.bottom && y < list.bottom + 10)
            return Splitter::Lists;
        if (x >= list.right && x < list.right + 5 && y >= list.top) return Splitter::WatchlistWidth;
    }
    if (x >= layout.rightColumn - 5 && x < layout.rightColumn && y >= kToolbarHeight)
        return Splitter::RightWidth;
    return Splitter::None;
}

void applySplitterDrag(LayoutInput& input, Splitter splitter, int x, int y) {
    // Keep every pane at least a few pixels tall or wide, whatever the drop.
    constexpr int kMargin = 40;
    const int bottom = input.height - kToolbarHeight;
    switch (splitter) {
        case Splitter::ChartIndicator:
            input.splitter1 = std::clamp(y, kToolbarHeight + kMargin,
                                         std::max(kToolbarHeight + kMargin, bottom - kMargin));
            break;
        case Splitter::Lists:
            input.splitter2 = std::clamp(y, kToolbarHeight + kMargin,
                                         std::max(kToolbarHeight + kMargin, bottom - kMargin));
            break;
        case Splitter::WatchlistWidth:
            input.watchlistWidth = std::clamp(x, kMargin, std::max(kMargin, input.width / 2));
            break;
        case Splitter::RightWidth:
            input.rightWidth =
                std::clamp(input.width - x, kMargin, std::max(kMargin, input.width / 2));
            break;
        case Splitter::None:
            break;
    }
}

}  // namespace tav::desktop
