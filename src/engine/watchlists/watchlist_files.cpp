#include "watchlists/watchlist_files.h"

#include <cerrno>
#include <cstdio>

#include "core/fields.h"
#include "core/file_io.h"
#include "core/text.h"

namespace tav {

namespace {

std::string listPath(const ProgramFolder& folder, int number) {
    return folder.path(watchlistFileName(number));
}

bool removeIfPresent(const std::string& path) {
    return std::remove(path.c_str()) == 0 || errno == ENOENT;
}

bool renameFile(const std::string& from, const std::string& to) {
    return std::rename(from.c_str(), to.c_str()) == 0;
}

}  // namespace

std::string watchlistFileName(int number) {
    return "Focus" + std::to_string(number) + ".lst";
}

std::string_view fitLine(std::string_view line, std::size_t buffer) {
    // "\r\n" ends a line too; a "\r" that a cut leaves at the end goes as well.
    auto withoutReturns = [](std::string_view text) {
        while (!text.empty() && text.back() == '\r')
            text.remove_suffix(1);
        return text;
    };
    line = withoutReturns(line);
    const std::size_t keep = buffer > 0 ? buffer - 1 : 0;
    return withoutReturns(line.substr(0, text::sjisCutLength(line, keep)));
}

std::vector<std::string> readLines(std::string_view sjisBytes, const LineLimits& limits) {
    std::vector<std::string> lines;
    fileio::forEachLine(sjisBytes, [&](std::string_view line) {
        if (lines.size() >= limits.maxLines) return;
        line = fitLine(line, limits.buffer);
        if (line.empty() && limits.skipBlank) return;
        lines.push_back(text::utf8FromSjis(line));
    });
    return lines;
}

bool readsWhole(std::string_view sjisBytes, const LineLimits& limits) {
    std::size_t count = 0;
    bool whole = true;
    fileio::forEachLine(sjisBytes, [&](std::string_view line) {
        while (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        std::string_view kept = fitLine(line, limits.buffer);
        if (kept.size() != line.size()) whole = false;
        if (!kept.empty() || !limits.skipBlank) ++count;
    });
    return whole && count <= limits.maxLines;
}

std::vector<std::string> readLineFile(const std::string& path, const LineLimits& limits) {
    auto bytes = fileio::readFile(path);
    if (!bytes) return {};
    return readLines(*bytes, limits);
}

bool writeLineFile(const std::string& path, const std::vector<std::string>& lines) {
    std::string bytes;
    for (const std::string& line : lines) {
        bytes += text::sjisFromUtf8(line);
        bytes += '\n';
    }
    return fileio::writeFileAtomic(path, bytes);
}

StockCode lineCode(std::string_view line) {
    std::size_t space = line.find(' ');
    if (space == 0) return 0;
    return parseLeadingInt32(line.substr(0, space));
}

std::vector<std::string> readTitles(const ProgramFolder& folder) {
    return readLineFile(folder.path(kTitleFileName), kTitleLimits);
}

bool writeTitles(const ProgramFolder& folder, const std::vector<std::string>& titles) {
    return writeLineFile(folder.path(kTitleFileName), titles);
}

std::vector<std::string> readWatchlistEntries(const ProgramFolder& folder, int number) {
    return readLineFile(listPath(folder, number), LineLimits{});
}

bool renumberAfterDelete(const ProgramFolder& folder, int deleted, int last) {
    if (!removeIfPresent(listPath(folder, deleted))) return false;
    for (int number = deleted; number < last; ++number) {
        std::string from = listPath(folder, number + 1);
        if (!fileio::fileExists(from)) continue;
        // rename replaces nothing here: the file of `number` was moved or removed
        // in the step before.
        if (!renameFile(from, listPath(folder, number))) return false;
    }
    return true;
}

bool swapWatchlistFiles(const ProgramFolder& folder, int a, int b) {
    const std::string pathA = listPath(folder, a);
    const std::string pathB = listPath(folder, b);
    const std::string scratch = folder.path(kSwapFileName);
    const bool hasA = fileio::fileExists(pathA);
    const bool hasB = fileio::fileExists(pathB);
    if (hasA && !hasB) return renameFile(pathA, pathB);
    if (hasB && !hasA) return renameFile(pathB, pathA);
    if (!hasA) return true;
    if (!renameFile(pathA, scratch)) return false;
    if (!renameFile(pathB, pathA)) {
        renameFile(scratch, pathA);
        return false;
    }
    if (!renameFile(scratch, pathB)) {
        // Put both back rather than leave a list only in the scratch file.
        renameFile(pathA, pathB);
        renameFile(scratch, pathA);
        return false;
    }
    return true;
}

}  // namespace tav
