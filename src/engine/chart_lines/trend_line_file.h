#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/stock_code.h"

namespace tav {

class ProgramFolder;

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

// "Line/<code>.lin" in the program folder.
std::string trendLinePath(const ProgramFolder& folder, StockCode code);

// The lines of file bytes, oldest first. Malformed lines are skipped.
std::vector<TrendLine> parseTrendLines(std::string_view bytes);
// The lines of a file; a missing file has none.
std::vector<TrendLine> readTrendLines(const std::string& path);
// "%s %d %d %s %d %d\n", appended (the file is created when missing).
bool appendTrendLine(const std::string& path, const TrendLine& line);
// Rewrites the file without its newest line; an emptied file stays. False
// when there is no file.
bool deleteNewestTrendLine(const std::string& path);
// Removes the security's file.
bool deleteAllTrendLines(const std::string& path);

}  // namespace tav
