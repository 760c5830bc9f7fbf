#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "platform/prompter.h"
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

}  // namespace tav
