#pragma once

#include <cstdint>
#include <string>

#include "core/stock_code.h"

namespace tav::test {

// A program folder holding a market of random-walk securities: "Stock.lst"
// with a spread of markets, units and margin types, one daily file per code
// (codes from 2000), capsule 1 of three conditions (OR) and strategy 1 of
// three tactics, and two watchlists. The same seed always gives the same bytes.
struct GeneratedMarket {
    int securities = 300;
    int bars = 300;
    uint32_t seed = 1;

    static constexpr StockCode kFirstCode = 2000;
    void writeTo(const std::string& root) const;
};

// `count` daily bars of a deterministic random walk, as a data file holds them.
std::string randomWalkBars(uint32_t seed, int count);

}  // namespace tav::test
