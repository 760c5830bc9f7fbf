#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Text encoding at the file and page boundary. On disk and on the wire text is
// Shift-JIS (code page 932); in memory it is UTF-8.
namespace tav::text {

// True for a byte that starts a double-byte Shift-JIS character.
constexpr bool isSjisLeadByte(unsigned char c) {
    return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC);
}

// Decodes Shift-JIS (CP932) bytes to UTF-8. Lossless: bytes that are not valid
// Shift-JIS, and double-byte codes that do not come back from encoding their
// character, decode to private-use code points that sjisFromUtf8 turns back
// into exactly those bytes.
// Those code points: U+10FF00 + byte for a byte that starts no character (0x80,
// 0xA0, 0xFD-0xFF, a lead byte without a matching second byte); U+100000 + code
// for a character's other codes, where one character has several (encoding
// prefers JIS X 0208, then NEC row 13, then the IBM extensions FA-FC over their
// NEC-selected copies ED-EE, as Windows does).
std::string utf8FromSjis(std::string_view sjis);

// Encodes UTF-8 to Shift-JIS; the inverse of utf8FromSjis for every byte
// string. A character without a Shift-JIS form becomes "?" (use
// sjisFromUtf8Strict for text typed by the user).
std::string sjisFromUtf8(std::string_view utf8);

// As sjisFromUtf8, but nullopt when any character has no Shift-JIS form or the
// UTF-8 is malformed: such user text is refused, never mangled.
std::optional<std::string> sjisFromUtf8Strict(std::string_view utf8);

// Converts EUC-JP bytes to Shift-JIS with the JIS X 0208 arithmetic: 0x8E
// introduces a half-width katakana byte, other pairs of bytes >= 0xA1 are
// converted, everything else is copied. Bytes are paired only inside the text,
// and the result is never longer than the input.
std::string sjisFromEucJp(std::string_view euc);

// Largest length <= maxBytes that does not cut a double-byte character of the
// Shift-JIS text in two.
std::size_t sjisCutLength(std::string_view sjis, std::size_t maxBytes);

// Byte length of the Shift-JIS form of a UTF-8 text.
std::size_t sjisLength(std::string_view utf8);

}  // namespace tav::text
