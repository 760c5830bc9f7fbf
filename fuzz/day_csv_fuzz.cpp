// The daily archive's CSV and the real-time quote file come from outside:
// any bytes must give only lines that are safe to append (a plain code, a
// real date, one data line) and never read outside the input.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/local_date.h"
#include "core/stock_code.h"
#include "data/price_store.h"
#include "updates/day_csv.h"
#include "updates/intraday_bar.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tav;
    const std::string_view input(reinterpret_cast<const char*>(data), size);

    for (const DayLine& line : parseDayCsv(input).lines) {
        LocalDate date;
        // A decimal code of at most five digits, or an alphanumeric one that reads back.
        const bool plainCode = line.code >= 1 && line.code <= 99999;
        if (!plainCode && parseCode(codeText(line.code)) != line.code) std::abort();
        if (!parseDate8(line.date, date)) std::abort();
        std::string_view text = line.text;
        if (!text.starts_with(line.date + ",") || !text.ends_with("\n")) std::abort();
        if (text.find('\n') != text.size() - 1 || text.find('/') != std::string_view::npos)
            std::abort();
        // What is appended reads back as at most this one bar.
        auto bars = parseSeries(text);
        if (bars.size() > 1 || (bars.size() == 1 && bars[0].dateText() != line.date)) std::abort();
    }
    realtimeQuote(input, 7203);
    realtimeQuote(input, 1010);
    return 0;
}
