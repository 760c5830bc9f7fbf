#pragma once

#include <string_view>

#include "updates/bar_csv_import.h"
#include "workspace/workspace.h"

// Daily bars of one security from a CSV file into its daily file.
namespace tav {

// How many bars a preview shows.
inline constexpr int kCsvPreviewRows = 5;

// The preview asked before anything is written: the layout, the number of
// bars and of rejected lines, the first bars.
std::string csvImportPreview(StockCode code, const CsvBars& parsed);

// Reads the bytes, shows the preview as a Yes/No question and, on yes, merges
// the bars into Data/<code>.txt by date (stored days stay as they are). True
// when the file was written.
bool importCsvBars(Workspace& workspace, StockCode code, std::string_view bytes, CsvLayout layout);

}  // namespace tav
