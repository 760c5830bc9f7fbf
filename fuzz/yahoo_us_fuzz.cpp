// History-page parser: any page parses without reading outside it, within the
// page size, with terminated dates and at most one split mark.
#include <cstdint>

#include "history_page_check.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static constexpr tav::StockCode kCodes[4] = {1002, 10001, 1007, 0};
    auto page = tav::fuzz::fuzzPage(data, size, kCodes);
    auto parsed = tav::parseYahooUS(page.text, page.code);
    tav::fuzz::checkPage(parsed, 66);
    return 0;
}
