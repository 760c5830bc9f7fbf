#pragma once

#include <cstdint>
#include <string>

#include "core/stock_code.h"
#include "data/endpoints.h"
#include "data/program_folder.h"
#include "platform/http.h"
#include "platform/lzh.h"
#include "platform/prompter.h"
#include "platform/shell.h"

namespace tav {

// What the add dialog hands over: the code, the name (UTF-8) and the indexes of
// the market and unit choices (kAddMarketChoices, kAddUnitChoices).
struct AddSecurityRequest {
    StockCode code = 0;
    std::string name;
    int marketIndex = 0;
    int unitIndex = 0;
};

// Appends the security to "Stock.lst". True when the line was written (the
// caller then shows the new code).
bool addSecurity(const ProgramFolder& folder, Prompter& prompter, const AddSecurityRequest& request);

// Removes every line of the code from "Stock.lst" after asking; the old list is
// kept as "Stock.bak". The price files are not touched. True when removed.
bool deleteSecurity(const ProgramFolder& folder, Prompter& prompter, StockCode code);

struct MasterUpdateTools {
    Prompter& prompter;
    Http& http;
    Lzh& lzh;
    Shell& shell;
    const Endpoints& endpoints;
    // A list of a few thousand lines is some hundred kilobytes.
    std::uint64_t maxArchiveBytes = std::uint64_t{16} << 20;
    std::uint64_t maxListBytes = std::uint64_t{16} << 20;
};

// Replaces "Stock.lst" by the list in the downloaded archive "stock.lzh". With
// alternate (Shift or Ctrl held) the list is opened in its editor instead. The
// current list stays in place until the extracted one has been checked. True
// when the list was replaced.
bool updateMasterFromArchive(const ProgramFolder& folder, const MasterUpdateTools& tools,
                             bool alternate);

}  // namespace tav
