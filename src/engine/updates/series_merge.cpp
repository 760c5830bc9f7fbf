#include "updates/series_merge.h"

#include <algorithm>
#include <iterator>

#include "core/local_date.h"

namespace tav {

std::vector<DailyBar> barsAfter(std::span<const DailyBar> fetched, std::string_view lastDate) {
    std::vector<DailyBar> newer;
    std::string_view latest = lastDate;
    for (const DailyBar& bar : fetched) {
        if (bar.dateText() <= latest) continue;
        newer.push_back(bar);
        latest = newer.back().dateText();
    }
    return newer;
}

std::vector<DailyBar> prependOlder(std::span<const DailyBar> fetched,
                                   std::span<const DailyBar> stored) {
    if (stored.empty()) return {fetched.begin(), fetched.end()};
    std::string_view oldest = stored.front().dateText();
    std::vector<DailyBar> merged;
    merged.reserve(fetched.size() + stored.size());
    for (const DailyBar& bar : fetched) {
        if (bar.dateText() >= oldest) break;
        if (!merged.empty() && bar.dateText() <= merged.back().dateText()) continue;
        merged.push_back(bar);
    }
    merged.insert(merged.end(), stored.begin(), stored.end());
    return merged;
}

std::vector<DailyBar> mergeKeepingStored(std::span<const DailyBar> fetched,
                                         std::span<const DailyBar> stored, int* filled) {
    std::vector<std::string_view> fetchedDays;
    fetchedDays.reserve(fetched.size());
    for (const DailyBar& bar : fetched)
        fetchedDays.push_back(bar.dateText());
    std::sort(fetchedDays.begin(), fetchedDays.end());
    std::vector<DailyBar> kept;
    for (const DailyBar& bar : stored) {
        LocalDate date;
        if (bar.provisional || !parseDate8(bar.dateText(), date) ||
            std::binary_search(fetchedDays.begin(), fetchedDays.end(), bar.dateText()))
            continue;
        kept.push_back(bar);
    }
    auto byDate = [](const DailyBar& a, const DailyBar& b) { return a.dateText() < b.dateText(); };
    std::stable_sort(kept.begin(), kept.end(), byDate);
    // A day the file holds twice is kept once, as its first line has it.
    kept.erase(std::unique(kept.begin(), kept.end(),
                           [](const DailyBar& a, const DailyBar& b) {
                               return a.dateText() == b.dateText();
                           }),
               kept.end());
    if (filled) *filled = static_cast<int>(kept.size());
    std::vector<DailyBar> merged;
    merged.reserve(fetched.size() + kept.size());
    std::merge(fetched.begin(), fetched.end(), kept.begin(), kept.end(), std::back_inserter(merged),
               byDate);
    return merged;
}

}  // namespace tav
