#pragma once

#include <optional>
#include <string>
#include <string_view>

#include "cli_context.h"

namespace tav::cli {

enum class OutputFormat { Csv, Json };

// --format csv|json (csv when absent); nullopt after printing a usage error.
std::optional<OutputFormat> outputFormat(const CommandLine& line);

// The same table as JSON: an array with one object per data line, keyed by
// the header's names. Fields that read as numbers stay numbers, except in
// columns named "date", which stay text like every other field.
std::string csvToJson(std::string_view csv);

// The CSV as is, or as JSON.
std::string formatTable(std::string_view csv, OutputFormat format);

}  // namespace tav::cli
