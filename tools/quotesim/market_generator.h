#pragma once

#include <cstdint>
#include <vector>

#include "core/local_date.h"
#include "market.h"

namespace tav::quotesim {

struct GeneratorSettings {
    int stocks = 50;  // Japanese stocks besides the indices, US listings and currency pairs
    int years = 2;
    uint64_t seed = 1;
    LocalDate end;  // last trading day considered
};

// A deterministic market: the same settings always give the same securities
// and bars. Holds the indices 1010 and 1001, US indices and stocks (prices in
// hundredths), three currency pairs (yen pairs in hundredths, euro/dollar in
// ten-thousandths) and Japanese stocks across the markets, a few of which
// split during the span. Index and currency volumes are the placeholder 100000.
std::vector<SimulatedSecurity> generateMarket(const GeneratorSettings& settings);

// Weekdays except the New Year holidays (31 Dec to 3 Jan), oldest first.
std::vector<LocalDate> tradingDays(const LocalDate& first, const LocalDate& last);

}  // namespace tav::quotesim
