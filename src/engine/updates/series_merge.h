#pragma once

#include <span>
#include <string_view>
#include <vector>

#include "core/daily_bar.h"

// Fetched bars meet stored ones by date, never by position: a source that
// skips or repeats a day at the boundary can then neither drop nor double a bar.
namespace tav {

// The fetched bars (oldest first) dated after lastDate, in order; a date seen
// twice is taken once.
std::vector<DailyBar> barsAfter(std::span<const DailyBar> fetched, std::string_view lastDate);

// The fetched bars (oldest first) dated before the first stored bar, followed
// by the stored bars unchanged. Without stored bars, the fetched ones.
std::vector<DailyBar> prependOlder(std::span<const DailyBar> fetched,
                                   std::span<const DailyBar> stored);

}  // namespace tav
