// Data-file reader: any bytes parse without crashing, to the very bytes of the
// plain reader's bars, every bar's date is terminated, and writing the bars and
// reading them back gives no more bars.
// Whatever numbers the bars carry (volumes near 2^63 too), the analysis runs
// over them without undefined behaviour, in both formulations, to the same
// bytes.
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string_view>

#include "analysis/recompute.h"
#include "support/reference/reference_pass.h"
#include "support/reference/reference_series.h"
#include "data/price_store.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    std::string_view bytes(reinterpret_cast<const char*>(data), size);
    auto bars = tav::parseSeries(bytes);
    auto plainBars = tav::parseSeriesPlain(bytes);
    if (bars.size() != plainBars.size() ||
        (!bars.empty() && std::memcmp(bars.data(), plainBars.data(), bars.size() * sizeof bars[0]) != 0))
        std::abort();
    for (const auto& bar : bars) {
        if (bar.date[sizeof bar.date - 1] != '\0') std::abort();
    }
    auto again = tav::parseSeries(tav::formatSeries(bars));
    if (again.size() > bars.size()) std::abort();

    tav::AnalysisSettings settings;
    tav::AnalysisState state;
    auto plain = bars;
    tav::recomputeIndicators(bars, settings, state);
    // The plain pass re-sums every window; small series keep the run fast.
    // Both start from the same bytes and must end with the same bytes.
    if (!plain.empty() && plain.size() <= 300) {
        tav::AnalysisState plainState;
        tav::recomputeIndicatorsPlain(plain, settings, plainState);
        if (std::memcmp(plain.data(), bars.data(), bars.size() * sizeof(tav::DailyBar)) != 0)
            std::abort();
    }
    return 0;
}
