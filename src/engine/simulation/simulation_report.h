#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/prompter.h"
#include "settings/options_record.h"
#include "simulation/simulation_results.h"

namespace tav {

inline constexpr std::size_t kReportLineBytes = 192;

// The report as Shift-JIS bytes: the title line and an empty line, then the
// header and one line per row, each 192 bytes wide with every cell at its
// column's start. A cell longer than its column is cut at a character
// boundary, leaving at least one blank before the next column.
std::string formatReport(std::string_view strategyName, int64_t capital,
                         std::span<const ResultRow> rows);

// Writes the report to folder/fileName, replacing any file there. The file is
// written whole or not at all; a failure is told through the prompter.
bool writeReport(const std::string& folder, const std::string& fileName,
                 std::string_view strategyName, int64_t capital, std::span<const ResultRow> rows,
                 Prompter& prompter);

// The choices of the result dialog when it is confirmed. Watchlists are
// numbered from 1; 0 is the master list for the input and "なし" for the output.
struct ResultDialogChoice {
    int inputWatchlist = 0;
    int outputWatchlist = 0;
    bool writeReport = false;  // レポート出力 あり
    std::string reportFolder;
    std::string reportFileName;
};

// Confirming the dialog: the output may not be the input watchlist, then the
// report is written when asked for and named. False keeps the dialog open
// (after a message).
bool confirmResultDialog(const ResultDialogChoice& choice, std::string_view strategyName,
                         int64_t capital, std::span<const ResultRow> rows, Prompter& prompter);

// The report file name kept in the options: at most 15 bytes, terminated.
std::string reportNameOf(const OptionsRecord& options);
// False when the name does not fit.
bool storeReportName(OptionsRecord& options, std::string_view name);

}  // namespace tav
