#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <limits>
#include <string>
#include <string_view>
#include <vector>

#include "core/numbered_titles.h"
#include "core/stock_code.h"
#include "data/program_folder.h"

// The files of the watchlists and the history: names, line limits and the
// whole-file operations (renumbering, swapping). Lines are UTF-8 in memory and
// Shift-JIS on disk.
namespace tav {

// The pane addresses a list by a one-byte position: nine markets, then the
// watchlists, so at most this many watchlists.
inline constexpr int kMaxWatchlists = 246;

// Line buffers of the readers, in Shift-JIS bytes; a line keeps at most
// buffer - 1 bytes and is never cut inside a double-byte character.
inline constexpr std::size_t kTitleLineBuffer = 128;
inline constexpr std::size_t kEntryLineBuffer = 256;
inline constexpr std::size_t kHistoryLineBuffer = 260;
// Longest title that reads back as one line of "Focus.inf".
inline constexpr std::size_t kMaxTitleBytes = kTitleLineBuffer - 1;

inline constexpr std::string_view kTitleFileName = "Focus.inf";
inline constexpr std::string_view kSwapFileName = "Focus.bak";
inline constexpr std::string_view kPasteFileName = "Focus_.lst";
inline constexpr std::string_view kMarketBatchFileName = "_temp.lst";
inline constexpr std::string_view kHistoryFileName = "History.lst";
// The strategy of each watchlist, one number per line: line n is watchlist n.
inline constexpr std::string_view kWatchlistStrategyFileName = "FocusTrade.inf";

// "Focus%d.lst".
std::string watchlistFileName(int number);

struct LineLimits {
    std::size_t buffer = kEntryLineBuffer;
    std::size_t maxLines = std::numeric_limits<std::size_t>::max();
    bool skipBlank = true;
};

// One Shift-JIS line (without its "\n") as a reader with a line buffer of
// `buffer` bytes keeps it: "\r" ends removed, at most buffer - 1 bytes, never
// cut inside a double-byte character.
std::string_view fitLine(std::string_view line, std::size_t buffer);

// The lines of Shift-JIS file bytes as UTF-8, without "\n" or "\r\n", each cut
// to the line buffer. Unlike a plain fixed-buffer reader, the rest of an
// overlong line is dropped rather than read as a line of its own.
std::vector<std::string> readLines(std::string_view sjisBytes, const LineLimits& limits);

// True when readLines keeps every line of the bytes whole: none longer than
// the buffer allows, no more than maxLines. A rewrite from what was read
// would otherwise drop the rest.
bool readsWhole(std::string_view sjisBytes, const LineLimits& limits);

// Reads a file's lines; a missing file reads as no lines.
std::vector<std::string> readLineFile(const std::string& path, const LineLimits& limits);

// Rewrites a file atomically with the lines (UTF-8), each ended by "\n".
bool writeLineFile(const std::string& path, const std::vector<std::string>& lines);

// The code of a watchlist, history or batch line: the code before the first
// space (parseLeadingCode), so five-digit US codes read whole and "130A" is an
// alphanumeric code. 0 when there is none.
StockCode lineCode(std::string_view line);

// The watchlist titles: the lines of "Focus.inf", at most kMaxWatchlists. Blank
// lines are titles too, since line n names the file of watchlist n.
inline constexpr LineLimits kTitleLimits{kTitleLineBuffer, kMaxWatchlists, false};
std::vector<std::string> readTitles(const ProgramFolder& folder);
bool writeTitles(const ProgramFolder& folder, const std::vector<std::string>& titles);

// Entries of watchlist n; a missing file is an empty list.
std::vector<std::string> readWatchlistEntries(const ProgramFolder& folder, int number);

// The strategy numbers of the watchlists (entry k is watchlist k + 1). A
// missing file, a missing line or a line that is no number 0-255 reads as 0.
std::array<uint8_t, kMaxWatchlists> readWatchlistStrategies(const ProgramFolder& folder);
// The file's bytes for the numbers of the first `count` watchlists.
std::string watchlistStrategyBytes(const std::array<uint8_t, kMaxWatchlists>& numbers, int count);
// Rewrites the file atomically with the numbers of the first `count` watchlists.
bool writeWatchlistStrategies(const ProgramFolder& folder,
                              const std::array<uint8_t, kMaxWatchlists>& numbers, int count);

// "Focus.inf" and the "Focus%d.lst" files as a numbered list (entry k is
// watchlist k + 1).
NumberedListStore watchlistListStore(const ProgramFolder& folder);

// The file moves alone, numbered from 1, all or nothing (also across a kill,
// under the rename journal): after watchlist
// `deleted` of `last` is removed its file goes and the later files move one
// number down; a swap exchanges two files through "Focus.bak". A missing file
// simply stays missing under its new number.
bool renumberAfterDelete(const ProgramFolder& folder, int deleted, int last);
bool swapWatchlistFiles(const ProgramFolder& folder, int a, int b);

}  // namespace tav
