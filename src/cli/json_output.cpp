#include "json_output.h"

#include <nlohmann/json.hpp>

namespace tav::cli {

namespace {

// JSON's number grammar: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
bool isJsonNumber(std::string_view text) {
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t from = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9')
            ++i;
        return i - from;
    };
    if (i < text.size() && text[i] == '-') ++i;
    const std::size_t intStart = i;
    const std::size_t intDigits = digits();
    if (intDigits == 0 || (intDigits > 1 && text[intStart] == '0')) return false;
    if (i < text.size() && text[i] == '.') {
        ++i;
        if (digits() == 0) return false;
    }
    if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
        ++i;
        if (i < text.size() && (text[i] == '+' || text[i] == '-')) ++i;
        if (digits() == 0) return false;
    }
    return i == text.size();
}

// Fields of one CSV line; a quoted field may hold commas and doubled quotes.
std::vector<std::string> splitCsvLine(std::string_view line) {
    std::vector<std::string> fields(1);
    bool quoted = false;
    for (std::size_t i = 0; i < line.size(); ++i) {
        const char c = line[i];
        if (quoted) {
            if (c == '"' && i + 1 < line.size() && line[i + 1] == '"') {
                fields.back() += '"';
                ++i;
            } else if (c == '"') {
                quoted = false;
            } else {
                fields.back() += c;
            }
        } else if (c == '"') {
            quoted = true;
        } else if (c == ',') {
            fields.emplace_back();
        } else {
            fields.back() += c;
        }
    }
    return fields;
}

nlohmann::ordered_json cellValue(const std::string& cell, bool text) {
    if (!text && isJsonNumber(cell)) {
        auto number = nlohmann::ordered_json::parse(cell, nullptr, false);
        if (!number.is_discarded()) return number;
    }
    return cell;
}

std::string tableJson(const Table& table) {
    std::string out = "[";
    for (std::size_t r = 0; r < table.rows.size(); ++r) {
        const auto& row = table.rows[r];
        nlohmann::ordered_json object = nlohmann::ordered_json::object();
        for (std::size_t c = 0; c < table.columns.size() && c < row.size(); ++c)
            object[table.columns[c].name] = cellValue(row[c], table.columns[c].text);
        out += r == 0 ? "\n" : ",\n";
        // Names come from files and may hold anything: never let a bad byte
        // stop the output.
        out += object.dump(-1, ' ', false, nlohmann::ordered_json::error_handler_t::replace);
    }
    out += table.rows.empty() ? "]\n" : "\n]\n";
    return out;
}

std::string tableCsv(const Table& table) {
    std::string out;
    for (std::size_t c = 0; c < table.columns.size(); ++c) {
        if (c > 0) out += ',';
        out += csvField(table.columns[c].name);
    }
    out += '\n';
    for (const auto& row : table.rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c > 0) out += ',';
            out += csvField(row[c]);
        }
        out += '\n';
    }
    return out;
}

}  // namespace

std::optional<OutputFormat> outputFormat(const CommandLine& line) {
    const std::string format = line.option("format").value_or("csv");
    if (format == "csv") return OutputFormat::Csv;
    if (format == "json") return OutputFormat::Json;
    usageError("--format must be csv or json");
    return std::nullopt;
}

std::string csvField(std::string_view text) {
    if (text.find_first_of(",\"\r\n") == std::string_view::npos) return std::string(text);
    std::string quoted = "\"";
    for (char c : text) {
        if (c == '"') quoted += '"';
        quoted += c;
    }
    quoted += '"';
    return quoted;
}

std::string formatTable(const Table& table, OutputFormat format) {
    return format == OutputFormat::Json ? tableJson(table) : tableCsv(table);
}

std::string csvToJson(std::string_view csv) {
    Table table;
    while (!csv.empty()) {
        const std::size_t end = csv.find('\n');
        std::string_view line = csv.substr(0, end);
        csv = end == std::string_view::npos ? std::string_view() : csv.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        std::vector<std::string> fields = splitCsvLine(line);
        if (table.columns.empty()) {
            for (std::string& name : fields) {
                const bool text = name == "date" || name == "code";
                table.columns.push_back({std::move(name), text});
            }
            continue;
        }
        table.rows.push_back(std::move(fields));
    }
    return tableJson(table);
}

std::string formatTable(std::string_view csv, OutputFormat format) {
    return format == OutputFormat::Json ? csvToJson(csv) : std::string(csv);
}

std::string tabText(const Table& table, const std::vector<std::string_view>& headers) {
    std::string out;
    const std::size_t count = headers.empty() ? table.columns.size() : headers.size();
    for (std::size_t c = 0; c < count; ++c) {
        if (c) out += '\t';
        out += headers.empty() ? std::string_view(table.columns[c].name) : headers[c];
    }
    out += '\n';
    for (const auto& row : table.rows) {
        for (std::size_t c = 0; c < row.size(); ++c) {
            if (c) out += '\t';
            out += row[c];
        }
        out += '\n';
    }
    return out;
}

}  // namespace tav::cli
