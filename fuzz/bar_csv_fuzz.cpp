// Price files of other tools are user input: any bytes must give only bars
// that pass the bar check, one per date in ascending order, that the store
// writes and reads back unchanged, and a merge into stored bars that loses
// none of them.
#include <cstdint>
#include <cstdlib>
#include <string_view>

#include "core/bar_check.h"
#include "data/price_store.h"
#include "updates/bar_csv_import.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    using namespace tav;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const LocalDate today{2024, 6, 14};

    for (CsvLayout layout : {CsvLayout::Auto, CsvLayout::Yahoo, CsvLayout::Plain}) {
        CsvBars parsed = parseBarCsv(input, layout, today);
        if (parsed.layout == CsvLayout::Auto) std::abort();
        if (!parsed.message.empty() && !parsed.bars.empty()) std::abort();
        if (parsed.rejected < parsed.faults.total) std::abort();
        for (std::size_t i = 0; i < parsed.bars.size(); ++i) {
            const DailyBar& bar = parsed.bars[i];
            if (checkBar(bar, today) != BarFault::None) std::abort();
            if (i > 0 && parsed.bars[i - 1].dateText() >= bar.dateText()) std::abort();
        }
        if (parseSeries(formatSeries(parsed.bars)).size() != parsed.bars.size()) std::abort();

        // A merge keeps every stored bar and adds only dates the store lacks.
        std::vector<DailyBar> stored(
            parsed.bars.begin(), parsed.bars.begin() + static_cast<long>(parsed.bars.size() / 2));
        int alreadyStored = 0;
        auto merged = mergeByDate(stored, parsed.bars, alreadyStored);
        if (alreadyStored != static_cast<int>(stored.size()) || merged.size() != parsed.bars.size())
            std::abort();
    }
    return 0;
}
