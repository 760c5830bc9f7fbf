#include "chart/trend_lines.h"

#include <cstdio>
#include <filesystem>
#include <system_error>

#include "chart/chart_view_state.h"
#include "core/file_io.h"
#include "data/program_folder.h"

namespace tav::desktop {

namespace {

constexpr std::size_t kMaxLineLength = 511;

std::optional<TrendLine> parseLine(std::string_view text) {
    if (text.size() > kMaxLineLength) text = text.substr(0, kMaxLineLength);
    const std::string line(text);
    char startDate[kMaxLineLength + 1] = {};
    char endDate[kMaxLineLength + 1] = {};
    TrendLine result;
    if (std::sscanf(line.c_str(), "%511s %d %d %511s %d %d", startDate, &result.startOffset,
                    &result.startY, endDate, &result.endOffset, &result.endY) != 6)
        return std::nullopt;
    result.startDate = startDate;
    result.endDate = endDate;
    return result;
}

std::string formatLine(const TrendLine& line) {
    return line.startDate + ' ' + std::to_string(line.startOffset) + ' ' +
           std::to_string(line.startY) + ' ' + line.endDate + ' ' + std::to_string(line.endOffset) +
           ' ' + std::to_string(line.endY) + '\n';
}

// First bar, oldest first, among those up to endCount with this date.
int findDate(std::span<const DailyBar> bars, int endCount, std::string_view date) {
    const int end = std::min<int>(endCount, static_cast<int>(bars.size()));
    for (int k = 0; k < end; ++k)
        if (bars[k].dateText() == date) return k;
    return kNoBar;
}

}  // namespace

std::string trendLinePath(const ProgramFolder& folder, StockCode code) {
    return folder.linePath(std::to_string(code) + ".lin");
}

std::vector<TrendLine> readTrendLines(const std::string& path) {
    std::vector<TrendLine> lines;
    const auto text = fileio::readFile(path);
    if (!text) return lines;
    fileio::forEachLine(*text, [&](std::string_view line) {
        if (auto parsed = parseLine(line)) lines.push_back(std::move(*parsed));
    });
    return lines;
}

bool appendTrendLine(const std::string& path, const TrendLine& line) {
    return fileio::appendToFile(path, formatLine(line));
}

bool deleteNewestTrendLine(const std::string& path) {
    const auto text = fileio::readFile(path);
    if (!text) return false;
    // Every line but the last is kept as it stands, malformed ones included.
    std::vector<std::string_view> kept;
    fileio::forEachLine(*text, [&](std::string_view line) { kept.push_back(line); });
    if (!kept.empty()) kept.pop_back();
    std::string rewritten;
    for (std::string_view line : kept) {
        rewritten.append(line);
        rewritten.push_back('\n');
    }
    return fileio::writeFileAtomic(path, rewritten);
}

bool deleteAllTrendLines(const std::string& path) {
    std::error_code error;
    return std::filesystem::remove(path, error);
}

std::optional<TrendLine> trendLineFromPoints(std::span<const DailyBar> bars, const BarAxis& axis,
                                             int fromX, int fromY, int toX, int toY) {
    const int start = axis.barAt(std::max(0, fromX));
    const int end = axis.barAt(std::max(0, toX));
    const int count = static_cast<int>(bars.size());
    if (start < 0 || end < 0 || start >= count || end >= count) return std::nullopt;
    return TrendLine{std::string(bars[start].dateText()), fromX - axis.slotOrigin(start), fromY,
                     std::string(bars[end].dateText()),   toX - axis.slotOrigin(end),     toY};
}

std::optional<Segment> placeTrendLine(std::span<const DailyBar> bars, const BarAxis& axis,
                                      const TrendLine& line) {
    const int start = findDate(bars, axis.endCount, line.startDate);
    const int end = findDate(bars, axis.endCount, line.endDate);
    if (start < 0 || end < 0) return std::nullopt;
    const Segment segment{axis.slotOrigin(start) + line.startOffset, line.startY,
                          axis.slotOrigin(end) + line.endOffset, line.endY};
    if (segment.x1 == 0 || segment.y1 == 0) return std::nullopt;
    return segment;
}

}  // namespace tav::desktop
