// Ranking page: any page gives at most 20 four-digit codes.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "quotes/ranking.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view page(reinterpret_cast<const char*>(data), size);
    auto codes = tav::parseRankingPage(page);
    if (codes.size() > tav::kMaxRankingEntries) std::abort();
    for (const auto& code : codes) {
        if (code.size() != 4) std::abort();
        for (char c : code)
            if (c < '0' || c > '9') std::abort();
    }
    return 0;
}
