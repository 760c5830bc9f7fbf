#include "updates/day_csv.h"

#include <array>
#include <cstdint>
#include <limits>

#include "core/fields.h"
#include "core/file_io.h"
#include "core/local_date.h"

namespace tav {

namespace {

constexpr std::size_t kFieldCount = 8;
// Lines are read with a 1024-byte buffer.
constexpr std::size_t kMaxLineLength = 1023;
constexpr std::size_t kMaxCodeDigits = 5;
// The index lines carry volumes in shares; the store keeps units of 10,000.
constexpr std::size_t kIndexVolumeDigitsDropped = 4;

bool allDigits(std::string_view text) {
    if (text.empty()) return false;
    for (char c : text)
        if (c < '0' || c > '9') return false;
    return true;
}

// The first N fields, empty ones included; the last one runs to the next
// separator like the others. Returns how many non-empty fields lead the line.
std::size_t splitColumns(std::string_view line, std::array<std::string_view, kFieldCount>& fields) {
    std::size_t count = 0;
    std::size_t start = 0;
    while (count < kFieldCount && start <= line.size()) {
        std::size_t end = line.find(',', start);
        if (end == std::string_view::npos) end = line.size();
        if (end == start) return count;
        fields[count++] = line.substr(start, end - start);
        start = end + 1;
    }
    return count;
}

// The whole part of a price or volume text: digits with an optional sign and
// decimal part, saturated at the 64-bit limits so that the bar check refuses
// an overlong number. nullopt for anything else, which would be appended to
// a data file as it stands, or read back as another number.
std::optional<int64_t> numberValue(std::string_view text) {
    const std::string_view signedText = text;
    if (!text.empty() && text.front() == '-') text.remove_prefix(1);
    std::string_view whole = text.substr(0, text.find('.'));
    if (!allDigits(whole)) return std::nullopt;
    if (whole.size() < text.size()) {
        std::string_view fraction = text.substr(whole.size() + 1);
        if (!fraction.empty() && !allDigits(fraction)) return std::nullopt;
    }
    return parseLeadingInt64(signedText);
}

std::string_view beforePoint(std::string_view price) {
    return price.substr(0, price.find('.'));
}

}  // namespace

std::optional<DayLine> parseDayLine(std::string_view line, BarFault* fault) {
    if (fault) *fault = BarFault::None;
    while (!line.empty() && (line.back() == '\r' || line.back() == '\n'))
        line.remove_suffix(1);
    if (line.size() > kMaxLineLength) return std::nullopt;
    std::array<std::string_view, kFieldCount> fields;
    if (splitColumns(line, fields) < kFieldCount) return std::nullopt;

    std::string_view dateField = fields[0];
    if (dateField.size() < 10 || allDigits(dateField.substr(4, 1)) ||
        allDigits(dateField.substr(7, 1)))
        return std::nullopt;
    std::string date;
    date.append(dateField.substr(0, 4))
        .append(dateField.substr(5, 2))
        .append(dateField.substr(8, 2));
    LocalDate parsed;
    if (!parseDate8(date, parsed)) {
        if (fault) *fault = BarFault::BadDate;
        return std::nullopt;
    }

    std::string_view codeField = fields[1];
    const StockCode alphanumeric = parseCode(codeField).value_or(0);
    if (!isAlphanumericCode(alphanumeric) &&
        (!allDigits(codeField) || codeField.size() > kMaxCodeDigits))
        return std::nullopt;
    bool index = codeField == "1001" || codeField == "1002";

    int64_t values[kFieldCount - 3] = {};
    for (std::size_t i = 3; i < kFieldCount; ++i) {
        auto value = numberValue(fields[i]);
        if (!value) return std::nullopt;
        values[i - 3] = *value;
    }

    DayLine result;
    if (index)
        result.code = codeField == "1001" ? 1010 : 1001;
    else
        result.code =
            isAlphanumericCode(alphanumeric) ? alphanumeric : std::stoi(std::string(codeField));
    if (result.code <= 0) return std::nullopt;
    result.date = date;
    result.text = date;
    for (std::size_t i = 3; i <= 6; ++i) {
        result.text += ',';
        result.text += index ? beforePoint(fields[i]) : fields[i];
    }
    result.text += ',';
    std::string_view volume = fields[7];
    if (index) {
        volume = volume.size() > kIndexVolumeDigitsDropped
                     ? volume.substr(0, volume.size() - kIndexVolumeDigitsDropped)
                     : std::string_view("0");
    }
    result.text += volume;
    result.text += '\n';
    // The volume as it is stored: an index's loses its last digits.
    int64_t storedVolume = index ? numberValue(volume).value_or(0) : values[4];
    BarFault check = checkBarNumbers(values[0], values[1], values[2], values[3], storedVolume);
    if (check != BarFault::None) {
        if (fault) *fault = check;
        return std::nullopt;
    }
    return result;
}

DayCsv parseDayCsv(std::string_view bytes, std::string_view day) {
    DayCsv csv;
    fileio::forEachLine(bytes, [&](std::string_view line) {
        if (line.empty() || line == "\r") return;
        BarFault fault = BarFault::None;
        auto parsed = parseDayLine(line, &fault);
        if (parsed && !day.empty() && parsed->date != day) parsed.reset();
        if (parsed) {
            csv.lines.push_back(std::move(*parsed));
            return;
        }
        ++csv.rejected;
        csv.faults.add(fault);
    });
    return csv;
}

}  // namespace tav
