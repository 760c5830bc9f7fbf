#pragma once

#include <array>
#include <cstdint>
#include <string_view>

#include "core/text.h"

namespace tav {

// Splits a Shift-JIS line at sep into at most N fields; a lead byte and its
// trail byte are never taken as a separator. The last field runs to the end of
// the line. Returns the number of fields found. With stopAtEmpty, an empty
// field ends the scan: it and every later field read as empty text.
template <std::size_t N>
std::size_t splitFields(std::string_view line, char sep, std::array<std::string_view, N>& fields,
                        bool stopAtEmpty = false) {
    fields.fill(std::string_view());
    std::size_t count = 0;
    std::size_t start = 0;
    std::size_t pos = 0;
    const std::size_t size = line.size();
    while (count < N) {
        if (count == N - 1) {
            pos = size;
        } else {
            while (pos < size && line[pos] != sep) {
                pos += (text::isSjisLeadByte(static_cast<unsigned char>(line[pos])) && pos + 1 < size)
                           ? 2
                           : 1;
            }
            if (pos > size) pos = size;
        }
        std::string_view field = line.substr(start, pos - start);
        if (stopAtEmpty && field.empty()) break;
        fields[count++] = field;
        if (pos >= size) break;
        start = ++pos;
    }
    return count;
}

// C-style decimal conversion: optional leading blanks, optional sign, leading
// digits; anything else ends the number, nothing gives 0. Saturates instead of
// overflowing.
int64_t parseLeadingInt64(std::string_view text);

// As parseLeadingInt64, saturated to the 32-bit range.
int32_t parseLeadingInt32(std::string_view text);

}  // namespace tav
