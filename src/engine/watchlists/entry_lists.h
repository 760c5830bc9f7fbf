#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/stock_code.h"
#include "data/program_folder.h"

// The lists the watchlist pane offers: the nine historical markets, the three
// current segments, then the watchlists, and the entry lines ("code name") of
// the one chosen.
namespace tav {

inline constexpr int kHistoricalMarketCount = 9;
inline constexpr int kMarketCount = 12;
inline constexpr std::string_view kMarketNames[kMarketCount] = {
    "東証1部", "東証2部", "大証1部",  "大証2部",   "名証1部",  "名証2部",
    "JASDAQ",  "マザーズ", "ヘラクレス", "プライム", "スタンダード", "グロース"};

// Position in the combined list of watchlist n, and back (0 for a market).
constexpr int watchlistPosition(int number) {
    return kMarketCount + number - 1;
}
constexpr int watchlistNumber(int position) {
    return position >= kMarketCount ? position - kMarketCount + 1 : 0;
}

// The position as "Option.cfg" keeps it. The selector byte has always meant
// 0-8 a historical market and 9 + n - 1 watchlist n (n up to 246, so up to
// 254); a segment is stored as the one free value 255, with the segment
// (0-2) in a byte of its own that older files leave alone.
struct StoredPosition {
    uint8_t selector = 0;
    uint8_t segment = 0;
};
inline constexpr uint8_t kSegmentSelector = 255;
StoredPosition storedPosition(int position);
int positionFromStored(StoredPosition stored);

// The entries of market position 0-11 in the bytes of "Stock.lst": the lines
// whose market field is that market's name (for the first market also "0" or
// "-"), each shown as code, a space and the name.
std::vector<std::string> marketEntries(std::string_view masterBytes, int position);

// The entry lines of a position: a market from "Stock.lst", a watchlist from
// its file. Sorted by their Shift-JIS text when asked.
std::vector<std::string> fillEntryList(const ProgramFolder& folder, int position, bool sorted);

// Order of a sorted entry list: by the Shift-JIS bytes of the text.
bool entryTextLess(std::string_view a, std::string_view b);
void sortEntries(std::vector<std::string>& entries);

// One security of a batch run.
struct BatchEntry {
    StockCode code = 0;
    std::string line;
};

// The file a batch run over a list reads: the watchlist's own file, or, for a
// market, "_temp.lst" written from the entries as displayed. nullopt when
// "_temp.lst" cannot be written.
std::optional<std::string> batchSourceFile(const ProgramFolder& folder, int position,
                                           const std::vector<std::string>& displayed);

// The entries of a batch source file, lines without a code left out.
std::vector<BatchEntry> readBatchEntries(const std::string& path);

}  // namespace tav
