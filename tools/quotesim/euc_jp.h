#pragma once

#include <string>
#include <string_view>

namespace tav::quotesim {

// Shift-JIS to EUC-JP, the inverse of text::sjisFromEucJp for every character
// of JIS X 0208 (lead bytes up to 0xEF) and half-width katakana. Bytes with no
// EUC-JP form (the extension rows from 0xF0 on, stray lead bytes, 0x80, 0xA0,
// 0xFD-0xFF) become "?".
std::string eucJpFromSjis(std::string_view sjis);

// UTF-8 page text to EUC-JP, as the quote sites send it.
std::string eucJpFromUtf8(std::string_view utf8);

}  // namespace tav::quotesim
