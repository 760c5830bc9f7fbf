#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "core/daily_bar.h"
#include "core/local_date.h"
#include "core/stock_code.h"

namespace tav::quotesim {

// One security of a simulated market with its daily bars, oldest first.
struct SimulatedSecurity {
    StockCode code = 0;
    std::string name;    // UTF-8
    std::string market;  // market name, "-" when none
    std::string unit;    // shares per unit, "-" when none
    std::string symbol;  // ticker of US listings, "-" otherwise
    std::vector<DailyBar> bars;
};

struct GeneratorSettings {
    int stocks = 50;  // Japanese stocks besides the indices, US listings and currency pairs
    int years = 2;
    uint64_t seed = 1;
    LocalDate end;  // last trading day considered
};

// A deterministic market: the same settings always give the same securities
// and bars. Holds the indices 1010 and 1001, US indices and stocks (prices in
// cents), USD/JPY (hundredths) and Japanese stocks across the markets.
std::vector<SimulatedSecurity> generateMarket(const GeneratorSettings& settings);

// Weekdays except the New Year holidays (31 Dec to 3 Jan), oldest first.
std::vector<LocalDate> tradingDays(const LocalDate& first, const LocalDate& last);

// "Stock.lst" text (Shift-JIS) for the securities.
std::string masterListText(const std::vector<SimulatedSecurity>& securities);

}  // namespace tav::quotesim
