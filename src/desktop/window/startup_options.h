#pragma once

#include <optional>
#include <string>
#include <vector>

#include "core/stock_code.h"

namespace tav::desktop {

// The command line: an optional security code to show first, the program
// folder and, for scripts, a screenshot taken after start-up.
struct StartupOptions {
    std::optional<StockCode> code;
    std::optional<std::string> folder;
    std::optional<std::string> screenshot;
    bool help = false;
    std::string error;  // non-empty: usage error
};

inline constexpr const char* kStartupUsage =
    "usage: tavrento [CODE] [--folder DIR] [--screenshot FILE.png]\n"
    "  CODE             security to show first (e.g. 1010, 7203, 10001)\n"
    "  --folder DIR     program folder (else $TAVRENTO_HOME, the executable's\n"
    "                   folder when it holds Stock.lst, or $XDG_DATA_HOME/tavrento)\n"
    "  --screenshot F   save the window as an image after start-up, print its path, quit\n";

// The code is the whole number: "10101" is US stock 10101, not 1010. A word
// that is not a positive number is no code and is ignored, as a stray
// argument from a desktop launcher would be.
StartupOptions parseStartupOptions(const std::vector<std::string>& arguments);

}  // namespace tav::desktop
