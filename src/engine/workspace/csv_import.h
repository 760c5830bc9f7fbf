#pragma once

#include <cstdint>
#include <string>
#include <string_view>

#include "updates/bar_csv_import.h"
#include "workspace/workspace.h"

// Daily bars of one security from a CSV file into its daily file.
namespace tav {

// How many bars a preview shows.
inline constexpr int kCsvPreviewRows = 5;

// A price file of decades is a few hundred kilobytes.
inline constexpr std::uintmax_t kMaxCsvBytes = std::uintmax_t{64} << 20;

// The layout, the number of bars and of rejected lines, the first bars.
std::string csvPreviewText(StockCode code, const CsvBars& parsed);

// The same text as a question, asked before anything is written.
std::string csvImportPreview(StockCode code, const CsvBars& parsed);

// Reads and parses a CSV file of at most kMaxCsvBytes; a file that cannot be
// read comes back with no bars and the message set.
CsvBars readBarCsvFile(const std::string& path, CsvLayout layout, const LocalDate& today);

// Merges parsed bars into Data/<code>.txt by date (stored days stay as they
// are) and reloads the displayed series when it is that daily file. Nothing
// is written when the store is read-only or there are no bars. True when the
// file was written.
bool mergeCsvBars(Workspace& workspace, StockCode code, const CsvBars& parsed);

// Parses the bytes, shows the preview as a Yes/No question and, on yes,
// merges the bars as mergeCsvBars does.
bool importCsvBars(Workspace& workspace, StockCode code, std::string_view bytes, CsvLayout layout);

}  // namespace tav
