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
    return equityBottom - static_cast<int>(static_cast<double>(equityBottom - equityTop) *
                                           static_cast<double>(value - low) / span);
}

int WalkForwardPlot::windowAt(std::span<const WalkForwardWindow> windows, int px, int py) const {
    if (lanes <= 0 || lanesHeight <= 0 || py < lanesTop) return -1;
    // The last lane starting on this pixel row is the one painted on top.
    const int offset = py - lanesTop;
    const int lane = static_cast<int>(
        (static_cast<int64_t>(offset + 1) * lanes + lanesHeight - 1) / lanesHeight - 1);
    if (lane >= lanes || lane >= static_cast<int>(windows.size())) return -1;
    const WalkForwardWindow& window = windows[static_cast<std::size_t>(lane)];
    const int first = std::min(window.inFirst, window.outFirst);
    const int last = std::max(window.inLast, window.outLast);
    return px >= dayX(first) && px < std::max(dayX(last), dayX(first) + 1) ? lane : -1;
}

WalkForwardPlot layoutWalkForward(int days, int windows, std::span<const int64_t> equity, int width,
                                  int height, int labelWidth, int lineHeight) {
    WalkForwardPlot plot;
    plot.days = days;
    plot.left = 8 + labelWidth + 6;
    plot.right = width - 12;
    plot.legendTop = 4;
    plot.lanes = std::max(windows, 0);
    plot.lanesTop = plot.legendTop + lineHeight + 4;
    plot.lanesHeight =
        std::min(plot.lanes * lineHeight, std::max(height / 3, plot.lanes > 0 ? 1 : 0));
    plot.equityTop = plot.lanesTop + plot.lanesHeight + lineHeight;
    plot.equityBottom = height - lineHeight - 8;
    for (int64_t value : equity) {
        plot.low = std::min(plot.low, value);
        plot.high = std::max(plot.high, value);
    }
    if (plot.high == plot.low) plot.high = plot.low + 1;
    return plot;
}

}  // namespace tav::desktop
