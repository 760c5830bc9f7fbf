#pragma once

// The walk-forward chart of an optimisation: along the date axis, a strip of
// the in-sample spans and one of the out-of-sample spans, and below them the
// equity of the stitched out-of-sample results. Painting and the tooltips
// both go through here.

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
    int inTop = 0, outTop = 0, stripHeight = 0;
    int equityTop = 0, equityBottom = 0;
    int days = 0;
    int64_t low = 0, high = 0;  // the equity scale, 0 always inside

    bool valid() const { return days > 0 && right > left && equityBottom > equityTop; }
    // The left edge of a day; dayX(days) is the right end.
    int dayX(int day) const;
    int equityY(int64_t value) const;
    // The window whose in- or out-of-sample strip holds the point (-1: none).
    int windowAt(std::span<const WalkForwardWindow> windows, int px, int py) const;
};

// The layout for `days` days in width × height, the y labels `labelWidth`
// wide and lines `lineHeight` high.
WalkForwardPlot layoutWalkForward(int days, std::span<const int64_t> equity, int width,
                                  int height, int labelWidth, int lineHeight);

}  // namespace tav::desktop
