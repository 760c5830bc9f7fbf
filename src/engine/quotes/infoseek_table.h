#pragma once

#include <string>
#include <string_view>

#include "quotes/history_parsers.h"
#include "quotes/page_text.h"

// The history tables of the two Infoseek page kinds: a header line, then one
// row per seven lines (row start, date, close, open, high, low, volume, one
// more), then the table end and a link to a further page.
namespace tav::infoseek {

struct Layout {
    std::string header;    // the whole header line
    std::string rowStart;  // a row line starts with it
    std::string tableEnd;  // the table ends at a line starting with it
    bool zeroCloseDropsRow = true;
    bool forex = false;  // points removed, volume 100000
    // Reads the lines after the table end: true when a further page is linked.
    bool (*furtherPage)(page::Lines& lines) = nullptr;
};

PageParse parseTable(const Layout& layout, std::string_view pageText, StockCode code);

}  // namespace tav::infoseek
