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

// The fetched bars (oldest first) with every stored day they lack, older,
// newer or in between, in date order; on a shared date the fetched bar wins.
// A re-fetch through rows it could not read thus keeps those days as stored.
// Stored lines whose date is no calendar day are left out. `filled`, when
// given, counts the stored days taken in.
std::vector<DailyBar> mergeKeepingStored(std::span<const DailyBar> fetched,
                                         std::span<const DailyBar> stored, int* filled = nullptr);

}  // namespace tav
