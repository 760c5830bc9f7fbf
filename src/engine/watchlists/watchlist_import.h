#pragma once

#include <string>
#include <string_view>

namespace tav {

// The lines an import appends to a watchlist.
struct ImportedLines {
    std::string bytes;  // Shift-JIS lines, each ended by "\n"
    int lineCount = 0;
    // A line in an unknown format stopped the reading; the lines before it
    // are still in bytes.
    bool unknownFormat = false;
};

// Reads imported text (Shift-JIS): a line whose 5th or 6th byte is a space is
// taken as it is; one whose 5th or 6th byte is "," has its first "," turned
// into a space ("7203,name" becomes "7203 name"); any other line stops the
// reading. Lines keep at most 255 bytes, cut at a character boundary; blank
// lines are skipped.
ImportedLines readImportLines(std::string_view source);

}  // namespace tav
