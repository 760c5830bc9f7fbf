// The data API's answers: day, series and master rows, error pages and their
// plan windows, on any bytes.
#include <cstdint>
#include <string_view>

#include <nlohmann/json.hpp>

#include "market_api/api_client.h"
#include "market_api/api_rows.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    std::string message = tav::apiErrorMessage(bytes);
    tav::planWindow(message);
    tav::planWindow(bytes);
    nlohmann::json page = nlohmann::json::parse(bytes, nullptr, false);
    if (page.is_discarded() || !page.is_object()) return 0;
    auto rows = page.find("data");
    if (rows == page.end() || !rows->is_array()) return 0;
    const tav::LocalDate today{2025, 3, 4};
    tav::ApiDay day = tav::apiDay(*rows, *rows, "20250303", today,
                                  [](tav::StockCode code) { return code % 2 == 0; });
    day.counts.describe();
    tav::ApiRowCounts counts;
    tav::apiSeries(*rows, "72030", today, counts);
    tav::apiMasterList(*rows, "1010,N225,-,0,-\n7203,old,-,100,-\n", 1);
    return 0;
}
