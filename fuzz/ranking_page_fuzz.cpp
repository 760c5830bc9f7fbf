// Ranking page: any page gives at most 20 codes of four characters.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "core/stock_code.h"
#include "quotes/ranking.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view page(reinterpret_cast<const char*>(data), size);
    auto codes = tav::parseRankingPage(page);
    if (codes.size() > tav::kMaxRankingEntries) std::abort();
    // Four characters: digits, or an alphanumeric code written as it reads back.
    for (const auto& code : codes) {
        if (code.size() != 4) std::abort();
        if (code.find_first_not_of("0123456789") == std::string::npos) continue;
        const auto parsed = tav::parseCode(code);
        if (!parsed || tav::codeText(*parsed) != code) std::abort();
    }
    return 0;
}
