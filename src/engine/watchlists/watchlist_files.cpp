#include "watchlists/watchlist_files.h"

#include <algorithm>
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
    return parseLeadingCode(line.substr(0, space));
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

std::array<uint8_t, kMaxWatchlists> readWatchlistStrategies(const ProgramFolder& folder) {
    std::array<uint8_t, kMaxWatchlists> numbers{};
    const LineLimits limits{kTitleLineBuffer, kMaxWatchlists, false};
    const std::vector<std::string> lines =
        readLineFile(folder.path(kWatchlistStrategyFileName), limits);
    for (std::size_t k = 0; k < lines.size(); ++k) {
        const std::string& line = lines[k];
        if (line.empty() || line.size() > 3 ||
            line.find_first_not_of("0123456789") != std::string::npos)
            continue;
        const int value = std::stoi(line);
        if (value <= 255) numbers[k] = static_cast<uint8_t>(value);
    }
    return numbers;
}

std::string watchlistStrategyBytes(const std::array<uint8_t, kMaxWatchlists>& numbers, int count) {
    count = std::clamp(count, 0, kMaxWatchlists);
    std::string bytes;
    for (int k = 0; k < count; ++k)
        bytes += std::to_string(numbers[static_cast<std::size_t>(k)]) + "\n";
    return bytes;
}

bool writeWatchlistStrategies(const ProgramFolder& folder,
                              const std::array<uint8_t, kMaxWatchlists>& numbers, int count) {
    return fileio::writeFileAtomic(folder.path(kWatchlistStrategyFileName),
                                   watchlistStrategyBytes(numbers, count));
}

NumberedListStore watchlistListStore(const ProgramFolder& folder) {
    NumberedListStore store;
    store.folder = folder.root();
    // Watchlist k + 1 lives in "Focus{k+1}.lst".
    store.fileOf = [](int k) { return watchlistFileName(k + 1); };
    store.titleName = kTitleFileName;
    store.spareName = kSwapFileName;
    store.readTitles = [folder] { return readTitles(folder); };
    return store;
}

namespace {

bool runFileMoves(const NumberedListStore& store, const RenamePlan& plan) {
    return store.ops.remove(store.path(store.spareName)) &&
           runRenamePlan(store.folder, plan, store.ops);
}

}  // namespace

bool renumberAfterDelete(const ProgramFolder& folder, int deleted, int last) {
    const NumberedListStore store = watchlistListStore(folder);
    return runFileMoves(store, deletePlan(store, deleted - 1, last - 1));
}

bool swapWatchlistFiles(const ProgramFolder& folder, int a, int b) {
    const NumberedListStore store = watchlistListStore(folder);
    return runFileMoves(store, swapPlan(store, a - 1, b - 1));
}

}  // namespace tav
