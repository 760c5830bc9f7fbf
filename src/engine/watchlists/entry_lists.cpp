#include "watchlists/entry_lists.h"

#include <algorithm>
#include <array>

#include "core/fields.h"
#include "core/file_io.h"
#include "core/text.h"
#include "data/stock_master.h"
#include "watchlists/watchlist_files.h"

namespace tav {

std::vector<std::string> marketEntries(std::string_view masterBytes, int position) {
    std::vector<std::string> entries;
    if (position < 0 || position >= kMarketCount) return entries;
    const std::string market = text::sjisFromUtf8(kMarketNames[position]);
    fileio::forEachLine(masterBytes, [&](std::string_view line) {
        line = fitLine(line, kEntryLineBuffer);
        std::array<std::string_view, 4> fields;
        if (splitFields(line, ',', fields) < 3) return;
        const bool ours =
            fields[2] == market || (position == 0 && (fields[2] == "0" || fields[2] == "-"));
        if (!ours) return;
        std::string shown(fields[0]);
        shown += ' ';
        shown += fields[1];
        entries.push_back(text::utf8FromSjis(shown));
    });
    return entries;
}

StoredPosition storedPosition(int position) {
    if (position < kHistoricalMarketCount) return {static_cast<uint8_t>(std::max(position, 0)), 0};
    if (position < kMarketCount)
        return {kSegmentSelector, static_cast<uint8_t>(position - kHistoricalMarketCount)};
    // Watchlists keep the value they always had.
    int stored = kHistoricalMarketCount + watchlistNumber(position) - 1;
    return {static_cast<uint8_t>(std::min(stored, kSegmentSelector - 1)), 0};
}

int positionFromStored(StoredPosition stored) {
    if (stored.selector == kSegmentSelector) {
        return stored.segment < kMarketCount - kHistoricalMarketCount
                   ? kHistoricalMarketCount + stored.segment
                   : 0;
    }
    if (stored.selector < kHistoricalMarketCount) return stored.selector;
    return watchlistPosition(stored.selector - kHistoricalMarketCount + 1);
}

std::vector<std::string> fillEntryList(const ProgramFolder& folder, int position, bool sorted) {
    std::vector<std::string> entries;
    if (position >= kMarketCount) {
        entries = readWatchlistEntries(folder, watchlistNumber(position));
    } else if (auto master = fileio::readFile(folder.path(StockMaster::kFileName))) {
        entries = marketEntries(*master, position);
    }
    if (sorted) sortEntries(entries);
    return entries;
}

bool entryTextLess(std::string_view a, std::string_view b) {
    return text::sjisFromUtf8(a) < text::sjisFromUtf8(b);
}

void sortEntries(std::vector<std::string>& entries) {
    std::vector<std::pair<std::string, std::string>> keyed;
    keyed.reserve(entries.size());
    for (std::string& entry : entries)
        keyed.emplace_back(text::sjisFromUtf8(entry), std::move(entry));
    std::stable_sort(keyed.begin(), keyed.end(),
                     [](const auto& x, const auto& y) { return x.first < y.first; });
    for (std::size_t i = 0; i < entries.size(); ++i)
        entries[i] = std::move(keyed[i].second);
}

std::optional<std::string> batchSourceFile(const ProgramFolder& folder, int position,
                                           const std::vector<std::string>& displayed) {
    if (position >= kMarketCount) return folder.path(watchlistFileName(watchlistNumber(position)));
    std::string path = folder.path(kMarketBatchFileName);
    if (!writeLineFile(path, displayed)) return std::nullopt;
    return path;
}

std::vector<BatchEntry> readBatchEntries(const std::string& path) {
    std::vector<BatchEntry> entries;
    for (std::string& line : readLineFile(path, LineLimits{})) {
        StockCode code = lineCode(line);
        if (code > 0) entries.push_back({code, std::move(line)});
    }
    return entries;
}

}  // namespace tav
