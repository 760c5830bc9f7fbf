#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/stock_code.h"

namespace tav {

struct SearchHit {
    StockCode code = 0;
    std::string label;  // "code name", UTF-8
    friend bool operator==(const SearchHit&, const SearchHit&) = default;
};

// The master-list lines (Shift-JIS bytes of "Stock.lst", lines cut to 255
// bytes) whose name holds the text, compared in Shift-JIS bytes from a character
// start (a trail byte never matches a letter). An
// empty text matches nothing.
std::vector<SearchHit> searchMaster(std::string_view listBytes, std::string_view query);
// The same over the master-list file; one that cannot be read finds nothing.
std::vector<SearchHit> searchMasterFile(const std::string& listPath, std::string_view query);

}  // namespace tav
