#include "json_output.h"

#include <vector>

namespace tav::cli {

namespace {

// JSON's number grammar: -?(0|[1-9][0-9]*)(\.[0-9]+)?([eE][+-]?[0-9]+)?
bool isJsonNumber(std::string_view text) {
    std::size_t i = 0;
    auto digits = [&] {
        const std::size_t from = i;
        while (i < text.size() && text[i] >= '0' && text[i] <= '9') ++i;
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

void appendJsonString(std::string& out, std::string_view text) {
    static constexpr char kHex[] = "0123456789abcdef";
    out += '"';
    for (char c : text) {
        const auto byte = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\') {
            out += '\\';
            out += c;
        } else if (byte < 0x20) {
            out += "\\u00";
            out += kHex[byte >> 4];
            out += kHex[byte & 15];
        } else {
            out += c;
        }
    }
    out += '"';
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

}  // namespace

std::optional<OutputFormat> outputFormat(const CommandLine& line) {
    const std::string format = line.option("format").value_or("csv");
    if (format == "csv") return OutputFormat::Csv;
    if (format == "json") return OutputFormat::Json;
    usageError("--format must be csv or json");
    return std::nullopt;
}

std::string csvToJson(std::string_view csv) {
    std::vector<std::string> names;
    std::string out = "[";
    bool firstRow = true;
    while (!csv.empty()) {
        const std::size_t end = csv.find('\n');
        std::string_view line = csv.substr(0, end);
        csv = end == std::string_view::npos ? std::string_view() : csv.substr(end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;
        std::vector<std::string> fields = splitCsvLine(line);
        if (names.empty()) {
            names = std::move(fields);
            continue;
        }
        out += firstRow ? "\n{" : ",\n{";
        firstRow = false;
        for (std::size_t f = 0; f < fields.size() && f < names.size(); ++f) {
            if (f > 0) out += ',';
            appendJsonString(out, names[f]);
            out += ':';
            if (names[f] != "date" && isJsonNumber(fields[f]))
                out += fields[f];
            else
                appendJsonString(out, fields[f]);
        }
        out += '}';
    }
    out += firstRow ? "]\n" : "\n]\n";
    return out;
}

std::string formatTable(std::string_view csv, OutputFormat format) {
    return format == OutputFormat::Json ? csvToJson(csv) : std::string(csv);
}

}  // namespace tav::cli
