#include "core/text.h"

#include <array>
#include <cstdint>

namespace tav::text {
namespace {

#include "core/cp932_table.inc"

// Private-use code points that carry bytes with no character of their own:
// kByteEscape + b for a byte that is not (the start of) a character, and
// kCodeEscape + code for a double-byte code whose character encodes to another
// code, so that such bytes survive a decode/encode round trip.
constexpr char32_t kByteEscape = 0x10FF00;
constexpr char32_t kCodeEscape = 0x100000;
constexpr char32_t kMalformed = 0xFFFFFFFF;

constexpr bool isTrailByte(unsigned char c) {
    return c >= 0x40 && c <= 0xFC && c != 0x7F;
}

constexpr bool isHalfWidthKatakana(unsigned char c) {
    return c >= 0xA1 && c <= 0xDF;
}

// A byte that decodes only through kByteEscape: 0x80, 0xA0, 0xFD-0xFF (not
// Shift-JIS characters, whatever some decoders make of them) and lead bytes.
constexpr bool isEscapableByte(unsigned int c) {
    return (c >= 0x80 && c <= 0xA0) || c >= 0xE0;
}

// The code point of a lead/trail pair, 0 when the pair is not a character.
constexpr std::uint16_t decodePair(unsigned char lead, unsigned char trail) {
    if (!isTrailByte(trail)) return 0;
    const int row = lead <= 0x9F ? lead - 0x81 : lead - 0xC1;
    return kCp932Decode[row * kCp932Columns + (trail - 0x40)];
}

// Shift-JIS code of each BMP code point: 0 for none, < 0x100 for a single byte.
// ASCII is handled before the table is consulted.
constexpr std::array<std::uint16_t, 0x10000> buildEncodeTable() {
    std::array<std::uint16_t, 0x10000> table{};
    for (unsigned int c = 0xA1; c <= 0xDF; ++c)
        table[0xFF61 + c - 0xA1] = static_cast<std::uint16_t>(c);
    std::size_t duplicate = 0;
    for (unsigned int lead = 0x81; lead <= 0xFC; ++lead) {
        if (!isSjisLeadByte(static_cast<unsigned char>(lead))) continue;
        for (unsigned int trail = 0x40; trail <= 0xFC; ++trail) {
            const std::uint16_t cp =
                decodePair(static_cast<unsigned char>(lead), static_cast<unsigned char>(trail));
            if (cp == 0) continue;
            const unsigned int code = lead << 8 | trail;
            if (duplicate < std::size(kCp932Duplicates) && kCp932Duplicates[duplicate] == code) {
                ++duplicate;
                continue;
            }
            table[cp] = static_cast<std::uint16_t>(code);
        }
    }
    return table;
}

constexpr std::array<std::uint16_t, 0x10000> kEncode = buildEncodeTable();

struct Step {
    char32_t cp;
    std::size_t length;
};

// Decodes the Shift-JIS character at p; a lead byte pairs only with a byte that
// completes a character, so a broken pair resynchronises at its second byte.
inline Step decodeSjisAt(const unsigned char* p, std::size_t left) {
    const unsigned char c = p[0];
    if (c < 0x80) return {c, 1};
    if (isHalfWidthKatakana(c)) return {char32_t{0xFF61} + (c - 0xA1), 1};
    if (isSjisLeadByte(c) && left >= 2) {
        if (const std::uint16_t cp = decodePair(c, p[1]); cp != 0) {
            const unsigned int code = static_cast<unsigned int>(c) << 8 | p[1];
            if (kEncode[cp] == code) return {cp, 2};
            return {kCodeEscape + code, 2};
        }
    }
    return {kByteEscape + c, 1};
}

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | cp >> 6);
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | cp >> 12);
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | cp >> 18);
        out += static_cast<char>(0x80 | (cp >> 12 & 0x3F));
        out += static_cast<char>(0x80 | (cp >> 6 & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

// Reads one UTF-8 character (p[0] >= 0x80). A malformed sequence gives
// kMalformed and the length of its longest valid-looking prefix, so that each
// broken sequence counts once.
inline Step readUtf8(const unsigned char* p, std::size_t left) {
    const unsigned char c = p[0];
    std::size_t need;
    char32_t cp;
    unsigned char low = 0x80, high = 0xBF;  // range of the second byte
    if (c >= 0xC2 && c <= 0xDF) {
        need = 1;
        cp = c & 0x1F;
    } else if (c >= 0xE0 && c <= 0xEF) {
        need = 2;
        cp = c & 0x0F;
        if (c == 0xE0) low = 0xA0;   // overlong
        if (c == 0xED) high = 0x9F;  // surrogates
    } else if (c >= 0xF0 && c <= 0xF4) {
        need = 3;
        cp = c & 0x07;
        if (c == 0xF0) low = 0x90;   // overlong
        if (c == 0xF4) high = 0x8F;  // beyond U+10FFFF
    } else {
        return {kMalformed, 1};
    }
    for (std::size_t i = 1; i <= need; ++i) {
        if (i >= left || p[i] < low || p[i] > high) return {kMalformed, i};
        cp = cp << 6 | (p[i] & 0x3F);
        low = 0x80;
        high = 0xBF;
    }
    return {cp, need + 1};
}

// Writes the Shift-JIS form of cp (not ASCII) to out; false when there is none.
template <typename Sink>
bool encodeChar(char32_t cp, Sink& out) {
    if (cp < 0x10000) {
        const std::uint16_t code = kEncode[cp];
        if (code == 0) return false;
        if (code >= 0x100) out.byte(static_cast<unsigned char>(code >> 8));
        out.byte(static_cast<unsigned char>(code & 0xFF));
        return true;
    }
    if (cp >= kByteEscape) {
        const unsigned int b = cp - kByteEscape;
        if (!isEscapableByte(b)) return false;
        out.byte(static_cast<unsigned char>(b));
        return true;
    }
    if (cp >= kCodeEscape && cp <= kCodeEscape + 0xFFFF) {
        // Only the duplicates the decoder produces, so no character has two forms.
        const unsigned int code = cp - kCodeEscape;
        const auto lead = static_cast<unsigned char>(code >> 8);
        const auto trail = static_cast<unsigned char>(code & 0xFF);
        if (!isSjisLeadByte(lead)) return false;
        const std::uint16_t decoded = decodePair(lead, trail);
        if (decoded == 0 || kEncode[decoded] == code) return false;
        out.byte(lead);
        out.byte(trail);
        return true;
    }
    return false;
}

// Encodes utf8 into out; characters without a Shift-JIS form become '?', or
// stop the encoding (false) when strict.
template <typename Sink>
bool encodeText(std::string_view utf8, bool strict, Sink& out) {
    const auto* p = reinterpret_cast<const unsigned char*>(utf8.data());
    const std::size_t n = utf8.size();
    std::size_t i = 0;
    while (i < n) {
        if (p[i] < 0x80) {
            const std::size_t start = i;
            while (i < n && p[i] < 0x80)
                ++i;
            out.run(utf8.substr(start, i - start));
            continue;
        }
        const Step step = readUtf8(p + i, n - i);
        if (step.cp == kMalformed || !encodeChar(step.cp, out)) {
            if (strict) return false;
            out.byte('?');
        }
        i += step.length;
    }
    return true;
}

struct StringSink {
    std::string& text;
    void byte(unsigned char c) { text += static_cast<char>(c); }
    void run(std::string_view bytes) { text += bytes; }
};

struct CountingSink {
    std::size_t count = 0;
    void byte(unsigned char) { ++count; }
    void run(std::string_view bytes) { count += bytes.size(); }
};

// JIS X 0208 row/cell (each 0x21-0x7E) to a Shift-JIS pair.
void appendSjisFromJis(std::string& out, unsigned int j1, unsigned int j2) {
    const unsigned int s1 = ((j1 + 1) >> 1) + (j1 <= 0x5E ? 0x70 : 0xB0);
    const unsigned int s2 = j2 + ((j1 & 1) != 0 ? (j2 > 0x5F ? 0x20 : 0x1F) : 0x7E);
    out += static_cast<char>(s1);
    out += static_cast<char>(s2);
}

}  // namespace

std::string utf8FromSjis(std::string_view sjis) {
    const auto* p = reinterpret_cast<const unsigned char*>(sjis.data());
    const std::size_t n = sjis.size();
    std::string out;
    out.reserve(n + n / 2);
    std::size_t i = 0;
    while (i < n) {
        if (p[i] < 0x80) {
            const std::size_t start = i;
            while (i < n && p[i] < 0x80)
                ++i;
            out.append(sjis.substr(start, i - start));
            continue;
        }
        const Step step = decodeSjisAt(p + i, n - i);
        appendUtf8(out, step.cp);
        i += step.length;
    }
    return out;
}

std::string sjisFromUtf8(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());  // never longer than the UTF-8
    StringSink sink{out};
    encodeText(utf8, false, sink);
    return out;
}

std::optional<std::string> sjisFromUtf8Strict(std::string_view utf8) {
    std::string out;
    out.reserve(utf8.size());
    StringSink sink{out};
    if (!encodeText(utf8, true, sink)) return std::nullopt;
    return out;
}

std::string sjisFromEucJp(std::string_view euc) {
    const auto* p = reinterpret_cast<const unsigned char*>(euc.data());
    const std::size_t n = euc.size();
    std::string out;
    out.reserve(n);
    std::size_t i = 0;
    while (i < n) {
        const unsigned char c = p[i];
        if (i + 1 < n && c == 0x8E) {
            out += static_cast<char>(p[i + 1]);
            i += 2;
        } else if (i + 1 < n && c >= 0xA1 && p[i + 1] >= 0xA1) {
            appendSjisFromJis(out, c - 0x80u, p[i + 1] - 0x80u);
            i += 2;
        } else {
            out += static_cast<char>(c);
            ++i;
        }
    }
    return out;
}

std::size_t sjisCutLength(std::string_view sjis, std::size_t maxBytes) {
    if (maxBytes >= sjis.size()) return sjis.size();
    const auto* p = reinterpret_cast<const unsigned char*>(sjis.data());
    std::size_t i = 0;
    while (i < maxBytes) {
        const std::size_t length = p[i] < 0x80 ? 1 : decodeSjisAt(p + i, sjis.size() - i).length;
        if (i + length > maxBytes) break;
        i += length;
    }
    return i;
}

std::size_t sjisLength(std::string_view utf8) {
    CountingSink sink;
    encodeText(utf8, false, sink);
    return sink.count;
}

}  // namespace tav::text
