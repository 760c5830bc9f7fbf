#include "updates/series_merge.h"

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

}  // namespace tav
