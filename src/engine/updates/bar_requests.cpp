#include "updates/bar_requests.h"

#include <algorithm>

namespace tav {

namespace {

constexpr int kDaysPerYear = 230;
constexpr int kDaysPerMonth = 18;
constexpr int kWeeksPerYear = 44;
constexpr int kWeeksPerMonth = 4;

int ceilDiv(int value, int divisor) {
    return (value + divisor - 1) / divisor;
}

}  // namespace

int warmUpBars(int senkouPeriod) {
    return 3 * senkouPeriod / 2;
}

int requestedBarCount(int warmUp, int visibleBars, bool accumulate, PeriodMode period,
                      int accumulateYears) {
    if (accumulate && period == PeriodMode::Daily && accumulateYears > 0)
        return accumulateYears * kDaysPerYear;
    return warmUp + visibleBars;
}

SpanLength spanForBars(int bars, PeriodMode period) {
    bars = std::max(bars, 0);
    switch (period) {
        case PeriodMode::Weekly:
            return {bars / kWeeksPerYear, ceilDiv(bars % kWeeksPerYear, kWeeksPerMonth)};
        case PeriodMode::Monthly:
            return {bars / 12, bars % 12};
        default:
            return {bars / kDaysPerYear, ceilDiv(bars % kDaysPerYear, kDaysPerMonth)};
    }
}

int extensionBarCount(int warmUp, int visibleBars, int pagesBack, int loadedBars) {
    return warmUp + visibleBars * (pagesBack + 1) - loadedBars;
}

int pagedCursor(int count, int visibleBars, int& pagesBack) {
    if (count <= 0) {
        pagesBack = 0;
        return -1;
    }
    visibleBars = std::max(visibleBars, 1);
    pagesBack = std::clamp(pagesBack, 0, (count - 1) / visibleBars);
    return count - visibleBars * pagesBack - 1;
}

}  // namespace tav
