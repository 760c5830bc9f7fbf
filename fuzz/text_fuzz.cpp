// Shift-JIS decoding must be lossless for any bytes, and the EUC-JP converter
// must never grow its input.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/text.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tav::text;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    const std::string utf8 = utf8FromSjis(input);
    if (sjisFromUtf8(utf8) != input) std::abort();
    const auto strict = sjisFromUtf8Strict(utf8);
    if (!strict || *strict != input) std::abort();
    if (sjisLength(utf8) != size) std::abort();

    // A cut never leaves half a character: its prefix decodes to a prefix.
    const std::size_t cut = sjisCutLength(input, size / 2);
    if (cut > size / 2 || cut + 1 < size / 2) std::abort();
    if (!utf8.starts_with(utf8FromSjis(input.substr(0, cut)))) std::abort();

    if (sjisFromEucJp(input).size() > size) std::abort();

    // The same bytes read as UTF-8: lenient and strict encoding agree.
    const std::string lenient = sjisFromUtf8(input);
    if (sjisLength(input) != lenient.size()) std::abort();
    if (const auto encoded = sjisFromUtf8Strict(input); encoded && *encoded != lenient)
        std::abort();
    return 0;
}
