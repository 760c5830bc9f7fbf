#pragma once

#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/bar_check.h"
#include "core/daily_bar.h"
#include "core/local_date.h"

// Daily bars from CSV files of other tools: one bar a line, the columns
// named by a header line or, without one, in the layout's order. Dates as
// YYYY-MM-DD, YYYY/MM/DD or YYYYMMDD; text in UTF-8 or Shift-JIS (only the
// header can hold anything but ASCII). Prices with a decimal part are cut to
// whole units, as everywhere in the store; a field in double quotes may carry
// thousands separators ("1,234").
namespace tav {

enum class CsvLayout {
    Auto,   // decided by the header: an "Adj Close" column means Yahoo
    Yahoo,  // Date,Open,High,Low,Close,Adj Close,Volume
    Stooq,  // Date,Open,High,Low,Close,Volume
    Plain,  // date,open,high,low,close,volume, no header needed
};

struct CsvBars {
    CsvLayout layout = CsvLayout::Plain;  // the layout read (Auto resolved)
    bool header = false;
    std::vector<DailyBar> bars;  // oldest first, one per date (the first line of a date wins)
    // Lines that are no bar: a field that is no number, missing columns, a
    // date given twice, and bars the bar check refuses (counted by fault in
    // `faults` too).
    int rejected = 0;
    BarRejections faults = {};
    std::string message;  // non-empty when the file cannot be read at all
};

CsvBars parseBarCsv(std::string_view bytes, CsvLayout layout, const LocalDate& today);

// The stored bars with the imported ones of dates the store lacks, by date.
// Stored bars are never changed; alreadyStored counts the imported dates the
// store had.
std::vector<DailyBar> mergeByDate(std::span<const DailyBar> stored,
                                  std::span<const DailyBar> imported, int& alreadyStored);

}  // namespace tav
