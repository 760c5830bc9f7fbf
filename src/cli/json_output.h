#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "cli_context.h"

namespace tav::cli {

enum class OutputFormat { Csv, Json };

// --format csv|json (csv when absent); nullopt after printing a usage error.
std::optional<OutputFormat> outputFormat(const CommandLine& line);

// A table printed as CSV or JSON. Cells hold their CSV text; a text column
// stays a JSON string whatever it holds (codes, names, dates), a number
// column becomes JSON numbers.
struct Table {
    struct Column {
        std::string name;
        bool text = false;
    };
    std::vector<Column> columns;
    std::vector<std::vector<std::string>> rows;
};

// One CSV field, quoted when it holds a comma, a quote or a line break.
std::string csvField(std::string_view text);

// CSV: the header line, then one line per row. JSON: an array with one object
// per row keyed by the column names, one object per line.
std::string formatTable(const Table& table, OutputFormat format);

// A CSV text (header line first) as JSON. Fields that read as numbers become
// numbers, except in columns named "date" or "code", which stay text.
std::string csvToJson(std::string_view csv);

// A table as lines of tab-separated cells, headed by `headers` (the column
// names when empty).
std::string tabText(const Table& table, const std::vector<std::string_view>& headers = {});

// The CSV as is, or as JSON.
std::string formatTable(std::string_view csv, OutputFormat format);

}  // namespace tav::cli
