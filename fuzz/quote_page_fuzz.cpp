// Quote page: any page parses without reading outside it; texts stay short.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/text.h"
#include "quotes/quote_page.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view page(reinterpret_cast<const char*>(data), size);
    for (bool pricesOnly : {true, false}) {
        auto record = tav::parseQuotePage(page, pricesOnly);
        if (!record) continue;
        for (const auto& text : record->texts)
            if (tav::text::sjisFromUtf8(text).size() > 19) std::abort();
    }
    return 0;
}
