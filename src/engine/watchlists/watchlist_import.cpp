#include "watchlists/watchlist_import.h"

#include "core/file_io.h"
#include "core/text.h"
#include "watchlists/watchlist_files.h"

namespace tav {

namespace {

// The 5th and 6th bytes follow a four- or five-digit code.
constexpr std::size_t kFirstSeparator = 4;
constexpr std::size_t kSecondSeparator = 5;

char byteAt(std::string_view line, std::size_t index) {
    return index < line.size() ? line[index] : '\0';
}

}  // namespace

ImportedLines readImportLines(std::string_view source) {
    ImportedLines result;
    fileio::forEachLine(source, [&](std::string_view line) {
        if (result.unknownFormat) return;
        line = fitLine(line, kEntryLineBuffer);
        if (line.empty()) return;
        const char fifth = byteAt(line, kFirstSeparator);
        const char sixth = byteAt(line, kSecondSeparator);
        std::string out(line);
        const bool comma = fifth == ',' || sixth == ',';
        if (fifth != ' ' && sixth != ' ' && !comma) {
            result.unknownFormat = true;
            return;
        }
        // A trail byte is never "," (they start at 0x40), so a plain search is safe.
        if (comma) out[out.find(',')] = ' ';
        result.bytes += out;
        result.bytes += '\n';
        ++result.lineCount;
    });
    return result;
}

}  // namespace tav
