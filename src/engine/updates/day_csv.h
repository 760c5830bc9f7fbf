#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "core/bar_check.h"
#include "core/stock_code.h"

// The CSV of one trading day in a daily archive: one line per security,
// "date,code,name,open,high,low,close,volume[,...]".
namespace tav {

// One price line, ready to append to the code's daily file.
struct DayLine {
    StockCode code = 0;
    std::string date;  // YYYYMMDD
    std::string text;  // "date,open,high,low,close,volume\n"
};

// A line is taken only with eight non-empty fields (an empty field keeps its
// column, so ",," rejects the line rather than shifting the later fields), a
// date of the form YYYY?MM?DD naming a real day, a code of one to five digits
// (the code becomes a file name), and numbers that pass the bar check (whole
// parts: positive prices within 32 bits, low <= open, close <= high, a volume
// of 0 or more). Archive code 1001 is stored as 1010 and 1002 as 1001,
// their prices cut at the first "." and their volumes without the last four
// characters (0 when nothing is left). Other texts are kept as they are.
// `fault`, when given, tells which check refused the line (None for a line
// that is no price line at all).
std::optional<DayLine> parseDayLine(std::string_view line, BarFault* fault = nullptr);

// The price lines of a day's CSV bytes in file order, and how many non-empty
// lines were not price lines.
struct DayCsv {
    std::vector<DayLine> lines;
    int rejected = 0;
    BarRejections faults = {};  // the rejected lines the bar check refused, by fault
};
// With day (YYYYMMDD) given, lines dated any other day are rejected too.
DayCsv parseDayCsv(std::string_view bytes, std::string_view day = {});

}  // namespace tav
