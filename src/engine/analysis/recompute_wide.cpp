#include "analysis/recompute_pass.h"

namespace tav::analysis {

void recomputeWide(std::span<DailyBar> bars, const AnalysisSettings& s, AnalysisState& state) {
    recomputeWith<Wide>(bars, s, state);
}

}  // namespace tav::analysis
