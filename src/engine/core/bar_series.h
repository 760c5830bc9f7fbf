#pragma once

#include <string>
#include <vector>

#include "core/daily_bar.h"
#include "core/period_mode.h"
#include "core/stock_code.h"

namespace tav {

// The bars of one security in one period, oldest first.
struct BarSeries {
    std::vector<DailyBar> bars;
    // Bars known to be in the data file; an accumulate-mode save is skipped
    // while it equals the bar count.
    int savedCount = 0;
    int cursor = -1;  // selected bar; count - 1 after every load or update
    StockCode code = kDefaultCode;
    PeriodMode period = PeriodMode::Daily;
    std::string name;  // UTF-8

    int count() const { return static_cast<int>(bars.size()); }
    bool empty() const { return bars.empty(); }
};

// The previous series, kept while a reload is attempted so that a failed
// reload restores it unchanged.
struct SeriesBackup {
    std::vector<DailyBar> bars;
    int savedCount = 0;
    StockCode code = kDefaultCode;
    PeriodMode period = PeriodMode::Daily;
    std::string name;

    static SeriesBackup of(const BarSeries& series) {
        return {series.bars, series.savedCount, series.code, series.period, series.name};
    }
    void restoreInto(BarSeries& series) const {
        series.bars = bars;
        series.savedCount = savedCount;
        series.code = code;
        series.period = period;
        series.name = name;
        series.cursor = series.count() - 1;
    }
};

}  // namespace tav
