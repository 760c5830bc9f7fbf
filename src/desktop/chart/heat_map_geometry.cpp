#include "chart/heat_map_geometry.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <map>

namespace tav::desktop {

HeatMapSlice heatMapSlice(const std::vector<ParameterSweep>& sweeps,
                          const std::vector<ParameterPoint>& points, int best, int xSweep,
                          int ySweep) {
    HeatMapSlice slice;
    if (xSweep < 0 || xSweep >= static_cast<int>(sweeps.size()) || best < 0 ||
        best >= static_cast<int>(points.size()))
        return slice;
    const auto x = static_cast<std::size_t>(xSweep);
    const bool hasY = ySweep >= 0 && ySweep < static_cast<int>(sweeps.size()) && ySweep != xSweep;
    const auto y = static_cast<std::size_t>(hasY ? ySweep : 0);
    slice.xValues = sweeps[x].values;
    slice.yValues = hasY ? sweeps[y].values : std::vector<int>{0};
    slice.points.assign(slice.xValues.size() * slice.yValues.size(), -1);
    const ParameterPoint& fixed = points[static_cast<std::size_t>(best)];
    for (std::size_t p = 0; p < points.size(); ++p) {
        const ParameterPoint& point = points[p];
        bool inSlice = true;
        for (std::size_t s = 0; s < sweeps.size() && inSlice; ++s)
            if (s != x && (!hasY || s != y)) inSlice = point[s] == fixed[s];
        if (!inSlice) continue;
        const int row = hasY ? point[y] : 0;
        const std::size_t at = static_cast<std::size_t>(row) * slice.xValues.size() +
                               static_cast<std::size_t>(point[x]);
        // The first run of a point is the one kept.
        if (slice.points[at] < 0) slice.points[at] = static_cast<int>(p);
    }
    slice.bestColumn = fixed[x];
    slice.bestRow = hasY ? fixed[y] : 0;
    return slice;
}

HeatMapBox HeatMapLayout::cell(int column, int row) const {
    // Row 0 at the bottom.
    return {grid.x + column * cellWidth, grid.y + (rows - 1 - row) * cellHeight, cellWidth,
            cellHeight};
}

int HeatMapLayout::xLabelCentre(int column) const {
    return grid.x + column * cellWidth + cellWidth / 2;
}

int HeatMapLayout::yLabelCentre(int row) const {
    return grid.y + (rows - 1 - row) * cellHeight + cellHeight / 2;
}

std::optional<std::pair<int, int>> HeatMapLayout::cellAt(int px, int py) const {
    if (!valid() || !grid.contains(px, py)) return std::nullopt;
    const int column = (px - grid.x) / cellWidth;
    const int row = rows - 1 - (py - grid.y) / cellHeight;
    if (column >= columns || row < 0) return std::nullopt;
    return std::pair{column, row};
}

HeatMapLayout layoutHeatMap(int columns, int rows, int width, int height,
                            const HeatMapTexts& texts) {
    HeatMapLayout layout;
    if (columns <= 0 || rows <= 0) return layout;
    layout.columns = columns;
    layout.rows = rows;
    const int left = kHeatMargin + texts.yLabelWidth + 6;
    const int right = kHeatMargin + kHeatLegendBar + 6 + texts.legendTextWidth + kHeatMargin;
    const int top = kHeatMargin + texts.lineHeight / 2;
    const int bottom = kHeatMargin + texts.lineHeight + 4;
    layout.cellWidth = std::min(kHeatMaxCell, std::max(0, width - left - right) / columns);
    layout.cellHeight = std::min(kHeatMaxCell, std::max(0, height - top - bottom) / rows);
    if (!layout.valid()) return layout;
    layout.grid = {left, top, layout.cellWidth * columns, layout.cellHeight * rows};
    layout.legend = {layout.grid.x + layout.grid.width + 10, top, kHeatLegendBar,
                     layout.grid.height};
    layout.showValues = layout.cellWidth >= texts.cellTextWidth + 2 * kHeatCellPadding &&
                        layout.cellHeight >= texts.lineHeight + 2;
    const int xNeed = texts.xLabelWidth + 6;
    while (layout.xLabelStep * layout.cellWidth < xNeed && layout.xLabelStep < columns)
        ++layout.xLabelStep;
    while (layout.yLabelStep * layout.cellHeight < texts.lineHeight && layout.yLabelStep < rows)
        ++layout.yLabelStep;
    return layout;
}

HeatColour heatColour(double t) {
    // Stops of a perceptually ordered scale, worst to best.
    static constexpr std::array<HeatColour, 5> kStops = {
        {{48, 18, 110}, {40, 90, 160}, {30, 150, 140}, {120, 200, 80}, {250, 230, 40}}};
    t = std::clamp(std::isfinite(t) ? t : 0.0, 0.0, 1.0);
    const double scaled = t * static_cast<double>(kStops.size() - 1);
    const auto low = std::min(static_cast<std::size_t>(scaled), kStops.size() - 2);
    const double f = scaled - static_cast<double>(low);
    const HeatColour& a = kStops[low];
    const HeatColour& b = kStops[low + 1];
    auto mix = [f](int from, int to) {
        return static_cast<int>(std::lround(from + (to - from) * f));
    };
    return {mix(a.red, b.red), mix(a.green, b.green), mix(a.blue, b.blue)};
}

bool darkTextOn(const HeatColour& colour) {
    // Relative luminance by the Rec. 709 weights.
    return 0.2126 * colour.red + 0.7152 * colour.green + 0.0722 * colour.blue > 140;
}

double heatPosition(double score, double worst, double best) {
    if (!(best > worst)) return 0.5;
    return std::clamp((score - worst) / (best - worst), 0.0, 1.0);
}

}  // namespace tav::desktop
