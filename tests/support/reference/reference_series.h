#pragma once

#include <string_view>
#include <vector>

#include "core/daily_bar.h"

namespace tav {

// The data-file reader in its plain formulation: the text cut into lines, each
// line cut into fields (double-byte aware), each number converted digit by
// digit, every record built zeroed and copied in. Slow; parseSeries must give
// the same bars byte for byte on any input.
std::vector<DailyBar> parseSeriesPlain(std::string_view bytes);

}  // namespace tav
