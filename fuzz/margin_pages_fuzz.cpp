// Margin pages: any page parses without reading outside it, into at most 50
// records that apply to any bars.
#include <cstdint>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "quotes/margin_pages.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view page(reinterpret_cast<const char*>(data), size);
    std::vector<tav::DailyBar> bars(3);
    tav::setBarDate(bars[1], "20050311");
    for (const auto& records : {tav::parseYahooMargin(page), tav::parseInfoseekMargin(page)}) {
        if (records.size() > tav::kMaxMarginRecords) std::abort();
        for (const auto& record : records)
            if (record.date.size() > 8) std::abort();
        tav::applyMarginBalances(bars, records);
    }
    return 0;
}
