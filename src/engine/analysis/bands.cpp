#include "analysis/bands.h"

#include <algorithm>
#include <cmath>

namespace tav {

namespace {
constexpr int kLevelSteps = 3;  // levels run from -3 to +3 steps
}

BandLevels bollingerLevels(std::span<const DailyBar> bars, int period, int bar) {
    BandLevels levels{};
    if (bar < 0 || bar >= static_cast<int>(bars.size())) return levels;
    // Running-mean update in extended precision, oldest close first.
    long double mean = 0.0L;
    long double squares = 0.0L;
    int closes = 0;
    for (int t = std::max(0, bar - period + 1); t <= bar; ++t) {
        const long double x = bars[t].close;
        ++closes;
        const long double delta = x - mean;
        mean += delta / closes;
        squares += delta * (x - mean);
    }
    int64_t step = 0;
    if (closes > 1) step = static_cast<int64_t>(std::sqrt(squares / (closes - 1)));
    for (int k = -kLevelSteps; k <= kLevelSteps; ++k)
        levels[k + kLevelSteps] = static_cast<int32_t>(bars[bar].bollingerMid + k * step);
    return levels;
}

BandLevels envelopeLevels(std::span<const DailyBar> bars, int percent, int bar) {
    BandLevels levels{};
    if (bar < 0 || bar >= static_cast<int>(bars.size())) return levels;
    // Signed steps: the lower levels must not depend on the percentage being positive.
    for (int k = -kLevelSteps; k <= kLevelSteps; ++k)
        levels[k + kLevelSteps] =
            static_cast<int32_t>((100 + int64_t{k} * percent) * bars[bar].maMid / 100);
    return levels;
}

}  // namespace tav
