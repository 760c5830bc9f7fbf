#pragma once

#include <optional>
#include <span>
#include <string>
#include <vector>

#include "chart/chart_geometry.h"
#include "core/daily_bar.h"
#include "core/stock_code.h"

namespace tav {
class ProgramFolder;
}

namespace tav::desktop {

// One stored trend line. Horizontally each end is tied to a bar by its date
// and an offset within the bar's slot; vertically to the pixel row it was
// drawn at.
struct TrendLine {
    std::string startDate;
    int startOffset = 0;
    int startY = 0;
    std::string endDate;
    int endOffset = 0;
    int endY = 0;

    friend bool operator==(const TrendLine&, const TrendLine&) = default;
};

struct Segment {
    int x1 = 0;
    int y1 = 0;
    int x2 = 0;
    int y2 = 0;
};

// "Line/<code>.lin" in the program folder.
std::string trendLinePath(const ProgramFolder& folder, StockCode code);

// The lines of a file, oldest first; a missing file has none. Malformed lines
// are skipped.
std::vector<TrendLine> readTrendLines(const std::string& path);
// "%s %d %d %s %d %d\n", appended (the file is created when missing).
bool appendTrendLine(const std::string& path, const TrendLine& line);
// Rewrites the file without its newest line; an emptied file stays. False
// when there is no file.
bool deleteNewestTrendLine(const std::string& path);
// Removes the security's file.
bool deleteAllTrendLines(const std::string& path);

// The line from a press at `from` to a release at `to` on the chart, or
// nothing when either point hits no bar.
std::optional<TrendLine> trendLineFromPoints(std::span<const DailyBar> bars, const BarAxis& axis,
                                             int fromX, int fromY, int toX, int toY);

// Where a stored line is drawn now, or nothing when either date is not among
// the bars up to endCount, or when the start lies at x 0 or y 0.
std::optional<Segment> placeTrendLine(std::span<const DailyBar> bars, const BarAxis& axis,
                                      const TrendLine& line);

}  // namespace tav::desktop
