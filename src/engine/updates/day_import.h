#pragma once

#include <functional>
#include <span>
#include <string>
#include <string_view>

#include "data/program_folder.h"
#include "updates/day_csv.h"

// Appending one trading day to the daily files, all or nothing.
//
// Before the first append, every file's size (or its absence) is written to a
// journal in "Data" (where no archive unpacks, so none can plant one); the
// journal goes once the last file is written. A
// failed append truncates the files written so far back to those sizes; a
// journal found later (the program was killed half-way) is rolled back the
// same way before the next import. Code 1010 is written last, as its last
// date tells which days the store holds.
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

}  // namespace tav
