#pragma once

#include <optional>
#include <span>
#include <vector>

#include "chart/chart_geometry.h"
#include "chart_lines/trend_line_file.h"
#include "core/daily_bar.h"

namespace tav::desktop {

// Where a stored line is drawn, in pane pixels.
struct Segment {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
};

// The line from a press at `from` to a release at `to` on the chart, or
// nothing when either point hits no bar.
std::optional<TrendLine> trendLineFromPoints(std::span<const DailyBar> bars, const BarAxis& axis,
                                             int fromX, int fromY, int toX, int toY);

// Where a stored line is drawn now, or nothing when either date is not among
// the bars up to endCount, or when the start lies at x 0 or y 0.
std::optional<Segment> placeTrendLine(std::span<const DailyBar> bars, const BarAxis& axis,
                                      const TrendLine& line);

}  // namespace tav::desktop
