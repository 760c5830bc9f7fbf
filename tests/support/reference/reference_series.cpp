#include "support/reference/reference_series.h"

#include <array>
#include <cstdint>
#include <cstring>
#include <limits>

namespace tav {

namespace {

constexpr std::size_t kMaxLineLength = 511;
constexpr std::size_t kMaxDateLength = sizeof(DailyBar::date) - 1;

bool isLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }

// Six fields at ','; a lead byte takes the next byte with it; the last field
// runs to the end; an empty field and all later ones are empty text.
std::array<std::string_view, 6> splitSix(std::string_view line) {
    std::array<std::string_view, 6> fields{};
    std::size_t start = 0;
    for (std::size_t k = 0; k < fields.size(); ++k) {
        std::size_t pos = start;
        if (k + 1 == fields.size()) {
            pos = line.size();
        } else {
            while (pos < line.size() && line[pos] != ',') {
                const bool pair = isLeadByte(static_cast<unsigned char>(line[pos])) && pos + 1 < line.size();
                pos += pair ? 2 : 1;
            }
        }
        std::string_view field = line.substr(start, pos - start);
        if (field.empty()) break;
        fields[k] = field;
        if (pos >= line.size()) break;
        start = pos + 1;
    }
    return fields;
}

// Blanks, a sign, leading digits; saturated to the 64-bit range.
int64_t leadingInt64(std::string_view text) {
    std::size_t pos = 0;
    while (pos < text.size() && (text[pos] == ' ' || (text[pos] >= '\t' && text[pos] <= '\r'))) ++pos;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
    // Accumulated in 128 bits, so no digit can overflow before the clamp.
    unsigned __int128 value = 0;
    const unsigned __int128 cap = static_cast<unsigned __int128>(1) << 64;
    for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
        value = value * 10 + static_cast<unsigned>(text[pos] - '0');
        if (value > cap) value = cap;
    }
    const auto maxValue = static_cast<unsigned __int128>(std::numeric_limits<int64_t>::max());
    if (negative) {
        if (value > maxValue + 1) return std::numeric_limits<int64_t>::min();
        return static_cast<int64_t>(-static_cast<__int128>(value));
    }
    if (value > maxValue) return std::numeric_limits<int64_t>::max();
    return static_cast<int64_t>(value);
}

int32_t leadingInt32(std::string_view text) {
    const int64_t value = leadingInt64(text);
    if (value > std::numeric_limits<int32_t>::max()) return std::numeric_limits<int32_t>::max();
    if (value < std::numeric_limits<int32_t>::min()) return std::numeric_limits<int32_t>::min();
    return static_cast<int32_t>(value);
}

}  // namespace

std::vector<DailyBar> parseSeriesPlain(std::string_view bytes) {
    std::vector<DailyBar> bars;
    std::size_t start = 0;
    while (start < bytes.size()) {
        std::size_t end = bytes.find('\n', start);
        if (end == std::string_view::npos) end = bytes.size();
        std::string_view line = bytes.substr(start, end - start);
        start = end + 1;

        line = line.substr(0, line.find('\0'));
        if (line.size() > kMaxLineLength) continue;
        const auto fields = splitSix(line);
        DailyBar bar{};
        bar.open = leadingInt32(fields[1]);
        bar.high = leadingInt32(fields[2]);
        bar.low = leadingInt32(fields[3]);
        bar.close = leadingInt32(fields[4]);
        if (bar.open == 0 && bar.high == 0 && bar.low == 0 && bar.close == 0) continue;
        if (fields[0].size() > kMaxDateLength) continue;
        std::memcpy(bar.date, fields[0].data(), fields[0].size());
        bar.volume = leadingInt64(fields[5]);
        bars.push_back(bar);
    }
    return bars;
}

}  // namespace tav
