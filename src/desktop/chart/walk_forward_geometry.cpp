#include "chart/walk_forward_geometry.h"

#include <algorithm>

namespace tav::desktop {

std::vector<int64_t> stitchedEquity(const WalkForward& walk, int days) {
    std::vector<int64_t> equity(static_cast<std::size_t>(std::max(days, 0)), 0);
    int64_t sum = 0;
    const auto& results = walk.stitched.days;
    for (int day = 0; day < days; ++day) {
        if (day >= walk.stitchedFirst && day < walk.stitchedLast &&
            day < static_cast<int>(results.size()))
            sum += results[static_cast<std::size_t>(day)].net;
        equity[static_cast<std::size_t>(day)] = sum;
    }
    return equity;
}

int WalkForwardPlot::dayX(int day) const {
    if (days <= 0) return left;
    return left + static_cast<int>(static_cast<int64_t>(right - left) * day / days);
}

int WalkForwardPlot::equityY(int64_t value) const {
    if (high <= low) return (equityTop + equityBottom) / 2;
    const auto span = static_cast<double>(high - low);
    return equityBottom -
           static_cast<int>(static_cast<double>(equityBottom - equityTop) *
                            static_cast<double>(value - low) / span);
}

int WalkForwardPlot::windowAt(std::span<const WalkForwardWindow> windows, int px,
                              int py) const {
    const bool inStrip = py >= inTop && py < inTop + stripHeight;
    const bool outStrip = py >= outTop && py < outTop + stripHeight;
    if (!inStrip && !outStrip) return -1;
    // Rolling in-sample spans overlap: the latest one under the point wins.
    for (std::size_t w = windows.size(); w-- > 0;) {
        const WalkForwardWindow& window = windows[w];
        const int first = inStrip ? window.inFirst : window.outFirst;
        const int last = inStrip ? window.inLast : window.outLast;
        if (px >= dayX(first) && px < std::max(dayX(last), dayX(first) + 1))
            return static_cast<int>(w);
    }
    return -1;
}

WalkForwardPlot layoutWalkForward(int days, std::span<const int64_t> equity, int width,
                                  int height, int labelWidth, int lineHeight) {
    WalkForwardPlot plot;
    plot.days = days;
    plot.left = 8 + labelWidth + 6;
    plot.right = width - 12;
    plot.stripHeight = lineHeight + 4;
    plot.inTop = 6;
    plot.outTop = plot.inTop + plot.stripHeight + 2;
    plot.equityTop = plot.outTop + plot.stripHeight + lineHeight;
    plot.equityBottom = height - lineHeight - 8;
    for (int64_t value : equity) {
        plot.low = std::min(plot.low, value);
        plot.high = std::max(plot.high, value);
    }
    if (plot.high == plot.low) plot.high = plot.low + 1;
    return plot;
}

}  // namespace tav::desktop
