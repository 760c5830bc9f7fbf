#pragma once

// The walk-forward chart of an optimisation: along the date axis, one lane
// per window with its in-sample span followed by its out-of-sample span, and
// below them the equity of the stitched out-of-sample results. Painting and
// the tooltips both go through here.

#include <algorithm>
#include <cstdint>
#include <span>
#include <vector>

#include "research/walk_forward.h"

namespace tav::desktop {

// The stitched out-of-sample result summed day by day, one value per day of
// the date axis from the first out-of-sample day on (0 before it).
std::vector<int64_t> stitchedEquity(const WalkForward& walk, int days);

struct WalkForwardPlot {
    int left = 0, right = 0;  // the date axis runs from left to right
    int legendTop = 0;        // the line naming the two colours
    int lanesTop = 0, lanesHeight = 0, lanes = 0;
    int equityTop = 0, equityBottom = 0;
    int days = 0;
    int64_t low = 0, high = 0;  // the equity scale, 0 always inside

    bool valid() const { return days > 0 && right > left && equityBottom > equityTop; }
    // The left edge of a day; dayX(days) is the right end.
    int dayX(int day) const;
    int equityY(int64_t value) const;
    // Lanes share lanesHeight evenly; with many windows a lane may be a
    // fraction of a pixel apart from the next, never less than 1 high.
    int laneTop(int window) const {
        return lanes > 0 ? lanesTop + window * lanesHeight / lanes : lanesTop;
    }
    int laneHeight() const { return lanes > 0 ? std::max(1, lanesHeight / lanes) : 0; }
    // The window whose in- or out-of-sample span holds the point (-1: none).
    int windowAt(std::span<const WalkForwardWindow> windows, int px, int py) const;
};

// The layout for `days` days and `windows` lanes in width × height, the y
// labels `labelWidth` wide and lines `lineHeight` high. Lanes are at most a
// line high and together take at most a third of the height.
WalkForwardPlot layoutWalkForward(int days, int windows, std::span<const int64_t> equity, int width,
                                  int height, int labelWidth, int lineHeight);

}  // namespace tav::desktop
