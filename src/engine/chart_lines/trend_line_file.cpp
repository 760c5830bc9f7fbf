#include "chart_lines/trend_line_file.h"

#include <cstdio>
#include <filesystem>
#include <optional>
#include <system_error>

#include "core/file_io.h"
#include "data/program_folder.h"

namespace tav {

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

}  // namespace

std::string trendLinePath(const ProgramFolder& folder, StockCode code) {
    return folder.linePath(codeText(code) + ".lin");
}

std::vector<TrendLine> parseTrendLines(std::string_view bytes) {
    std::vector<TrendLine> lines;
    fileio::forEachLine(bytes, [&](std::string_view line) {
        if (auto parsed = parseLine(line)) lines.push_back(std::move(*parsed));
    });
    return lines;
}

std::vector<TrendLine> readTrendLines(const std::string& path) {
    const auto text = fileio::readFile(path);
    if (!text) return {};
    return parseTrendLines(*text);
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

}  // namespace tav
