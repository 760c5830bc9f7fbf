#pragma once

#include <span>

#include "analysis/recompute.h"

namespace tav {

// The recompute pass in its plain formulation: every window re-summed or
// re-scanned per bar. Much slower; the production pass must match it bit for
// bit, on the bars and on the state.
void recomputeIndicatorsPlain(std::span<DailyBar> bars, const AnalysisSettings& settings,
                              AnalysisState& state);

}  // namespace tav
