#pragma once

// The heat map of an optimisation: the objective over two swept parameters,
// the others held at the best combination's values. What the cells hold,
// where they, the axis labels and the colour legend land, and which cell a
// pixel is in. The result view paints and hit-tests through here only.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "research/parameter_space.h"

namespace tav::desktop {

// The cells of one slice of the runs, column by column along x, rows along
// y (one row when there is no y parameter). A cell no run reached (an
// evolutionary search skips points) is empty.
struct HeatMapSlice {
    std::vector<int> xValues;
    std::vector<int> yValues;  // one 0 without a y parameter
    // Row-major, y outer: cell (column, row) at row * columns + column.
    std::vector<int> points;  // point index, -1 for an empty cell
    int bestColumn = -1, bestRow = -1;

    int columns() const { return static_cast<int>(xValues.size()); }
    int rows() const { return static_cast<int>(yValues.size()); }
    int pointAt(int column, int row) const {
        return points[static_cast<std::size_t>(row * columns() + column)];
    }
};

// The slice through `best` (a point index) over sweeps xSweep and ySweep
// (-1: none), the other sweeps held at best's values.
HeatMapSlice heatMapSlice(const std::vector<ParameterSweep>& sweeps,
                          const std::vector<ParameterPoint>& points, int best, int xSweep,
                          int ySweep);

// The widths the texts need, measured by the caller's font.
struct HeatMapTexts {
    int lineHeight = 14;
    int xLabelWidth = 0;      // the widest x value
    int yLabelWidth = 0;      // the widest y value
    int cellTextWidth = 0;    // the widest cell value
    int legendTextWidth = 0;  // the wider of the legend's two ends
};

struct HeatMapBox {
    int x = 0, y = 0, width = 0, height = 0;
    bool contains(int px, int py) const {
        return px >= x && px < x + width && py >= y && py < y + height;
    }
};

constexpr int kHeatMargin = 6;
constexpr int kHeatLegendBar = 14;   // width of the colour bar
constexpr int kHeatCellPadding = 4;  // room a value keeps on each side in its cell
constexpr int kHeatMaxCell = 120;    // cells grow no wider or taller than this

// The layout of one paint. The grid sits left of the legend with the y
// values at its left and the x values below it; row 0 (the first y value) is
// at the bottom.
struct HeatMapLayout {
    HeatMapBox grid;
    int cellWidth = 0, cellHeight = 0;
    int columns = 0, rows = 0;
    HeatMapBox legend;  // the colour bar: the best score at its top
    // The cell values are drawn only when each fits its cell.
    bool showValues = false;
    // Every xLabelStep-th x value is labelled, so that labels never overlap.
    int xLabelStep = 1;
    int yLabelStep = 1;

    bool valid() const { return columns > 0 && rows > 0 && cellWidth > 0 && cellHeight > 0; }
    HeatMapBox cell(int column, int row) const;
    // The centre of a column's x label and a row's y label.
    int xLabelCentre(int column) const;
    int yLabelCentre(int row) const;
    // The baseline band of the x labels and the right edge of the y labels.
    int xLabelTop() const { return grid.y + grid.height + 2; }
    int yLabelRight() const { return grid.x - 4; }
    // The cell under a pixel: {column, row}, nothing outside the grid.
    std::optional<std::pair<int, int>> cellAt(int px, int py) const;
};

HeatMapLayout layoutHeatMap(int columns, int rows, int width, int height,
                            const HeatMapTexts& texts);

// The colour of a score, t = 0 the worst of the slice, 1 the best: dark
// blue through teal and green to yellow, each step brighter, so that order
// reads without a legend too.
struct HeatColour {
    int red = 0, green = 0, blue = 0;
};
HeatColour heatColour(double t);
// Text on that colour: black on the light end, white on the dark.
bool darkTextOn(const HeatColour& colour);

// Where t of a score lies between the worst and best scores of the slice;
// 0.5 when they are equal.
double heatPosition(double score, double worst, double best);

}  // namespace tav::desktop
