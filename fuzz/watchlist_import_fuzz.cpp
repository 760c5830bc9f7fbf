// The import reader must accept any bytes, and what it appends must read back
// as the same watchlist lines: whole lines, each with a separator near its
// start and no longer than the reader's line buffer.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/text.h"
#include "watchlists/entry_lists.h"
#include "watchlists/watchlist_files.h"
#include "watchlists/watchlist_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tav;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const ImportedLines imported = readImportLines(input);
    if (imported.bytes.size() > size + static_cast<std::size_t>(imported.lineCount)) std::abort();
    if (!imported.bytes.empty() && imported.bytes.back() != '\n') std::abort();

    int lines = 0;
    std::size_t start = 0;
    while (start < imported.bytes.size()) {
        const std::size_t end = imported.bytes.find('\n', start);
        const std::string_view line(imported.bytes.data() + start, end - start);
        if (line.empty() || line.size() >= kEntryLineBuffer) std::abort();
        if (line.back() == '\r') std::abort();
        // The separator after the code: a space at the 5th or 6th byte, or the
        // first comma (at one of them or before) turned into one.
        if (line.substr(0, 6).find(' ') == std::string_view::npos) std::abort();
        if (text::sjisCutLength(line, line.size()) != line.size()) std::abort();
        start = end + 1;
        ++lines;
    }
    if (lines != imported.lineCount) std::abort();

    // Reading the appended bytes back gives one entry per line, unchanged.
    const auto entries = readLines(imported.bytes, LineLimits{});
    if (static_cast<int>(entries.size()) != imported.lineCount) std::abort();
    std::string again;
    for (const std::string& entry : entries)
        again += text::sjisFromUtf8(entry) + "\n";
    if (again != imported.bytes) std::abort();

    // The same bytes as a master list or a history never trip the other readers.
    for (int market = 0; market < kMarketCount; ++market)
        marketEntries(input, market);
    for (const std::string& entry : readLines(input, LineLimits{kHistoryLineBuffer, 50}))
        lineCode(entry);
    return 0;
}
