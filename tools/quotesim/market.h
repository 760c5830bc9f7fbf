#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/period_mode.h"
#include "core/stock_code.h"

namespace tav::quotesim {

// One bar as the sites know it. Prices in the units of the data files: yen for
// Japanese listings, hundredths for US listings and yen pairs, ten-thousandths
// for the euro/dollar pair (code 1022).
struct PriceBar {
    int32_t date = 0;  // YYYYMMDD
    int32_t open = 0;
    int32_t high = 0;
    int32_t low = 0;
    int32_t close = 0;
    int64_t volume = 0;
};

// A split that takes effect on date (the first day traded at the new price):
// from shares became to shares ("1" -> "1.5").
struct StockSplit {
    int32_t date = 0;
    int from = 1;
    std::string to;
};

// One security with its daily bars, oldest first, as traded (not adjusted
// for its splits).
struct SimulatedSecurity {
    StockCode code = 0;
    std::string name;    // UTF-8
    std::string market;  // market name, "-" when none
    std::string unit;    // shares per unit, "-" when none
    std::string symbol;  // ticker of US listings, "-" otherwise
    std::vector<PriceBar> bars;
    std::vector<StockSplit> splits;
};

// The securities the simulator serves. A market read from a program folder
// loads each security's bars on first use; lookups are safe from any thread.
class Market {
  public:
    explicit Market(std::vector<SimulatedSecurity> securities);
    // Stock.lst and Data/<code>.txt of a program folder; nullptr without Stock.lst.
    static std::unique_ptr<Market> fromFolder(const std::string& folder);

    // Codes in ascending order.
    const std::vector<StockCode>& codes() const { return codes_; }
    // The security with its bars, nullptr for an unknown code.
    const SimulatedSecurity* find(StockCode code) const;
    // The security whose master-list symbol is the given ticker.
    const SimulatedSecurity* findSymbol(std::string_view symbol) const;
    // "Stock.lst" text (Shift-JIS).
    std::string masterListText() const;

  private:
    Market() = default;
    struct Entry {
        SimulatedSecurity security;
        bool loaded = false;
    };
    std::vector<StockCode> codes_;
    std::map<StockCode, Entry> entries_;
    std::string dataFolder_;  // empty: everything is in memory
    mutable std::mutex mutex_;
};

// Days since 1970-01-01 of a YYYYMMDD date.
int64_t dayNumber(int32_t date);
// The YYYYMMDD date of a day number.
int32_t dateOfDay(int64_t days);
// 0 Sunday ... 6 Saturday.
int weekday(int32_t date);

// Weekly or monthly bars built from daily bars, oldest first. A week runs from
// Monday to Sunday and carries the date of its first trading day; a month
// carries day 01. Open of the first day, close of the last, extremes, summed
// volume. Daily bars come back as they are.
std::vector<PriceBar> periodBars(const std::vector<PriceBar>& daily, PeriodMode period);

}  // namespace tav::quotesim
