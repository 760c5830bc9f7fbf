#include "analysis/recompute.h"

#include "analysis/recompute_pass.h"

namespace tav {

void recomputeIndicators(std::span<DailyBar> bars, const AnalysisSettings& s,
                         AnalysisState& state) {
    if (analysis::volumesFit64(bars))
        analysis::recomputeWith<int64_t>(bars, s, state);
    else
        analysis::recomputeWide(bars, s, state);
}

}  // namespace tav
