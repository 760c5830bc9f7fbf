#pragma once

#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "data/program_folder.h"
#include "updates/day_csv.h"

// Appending one trading day to the daily files, all or nothing.
//
// Before the first append, every file's identity is written to a journal in
// "Data" (where no archive unpacks, so none can plant one): its size (or its
// absence), inode, a checksum of its last bytes, and the length and checksum
// of what is to be appended. The journal goes once the last file is written.
// A failed append truncates the files written so far back to their sizes; a
// journal found later (the program was killed half-way) is rolled back the
// same way at the next start that may write. A file that changed since (was
// rewritten, or holds other bytes than the append) is never cut. Code 1010 is
// written last, as its last date tells which days the store holds.
namespace tav {

inline constexpr std::string_view kImportJournalName = "DayImport.jnl";

struct DayImportResult {
    bool ok = false;
    int filesWritten = 0;
    // Lines not newer than the last bar of their file: that day is there
    // already (fetched on its own, or imported before), so it is not doubled.
    int alreadyStored = 0;
    std::string failedPath;  // the file that could not be written
};

// Appends the lines to Data/<code>.txt (created when missing). onFile is
// called with each code before its file is written.
DayImportResult appendDayLines(const ProgramFolder& folder, std::span<const DayLine> lines,
                               const std::function<void(StockCode)>& onFile = {});

// Rolls back a day whose import was interrupted; true when a journal was found.
bool recoverInterruptedImport(const ProgramFolder& folder);

// While a journal stands (an import runs in another instance, or was cut
// short): the size Data/<name> had before that import appended to it, 0 for a
// file the import created. nullopt when the import does not touch the file as
// it is now, so readers take all of it.
std::optional<long long> sizeBeforeImport(const ProgramFolder& folder, std::string_view name);

}  // namespace tav
