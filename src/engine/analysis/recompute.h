#pragma once

#include <span>
#include <vector>

#include "analysis/analysis_settings.h"
#include "analysis/indicators.h"
#include "core/daily_bar.h"

namespace tav {

// The analysis of the loaded series beyond its bar slots: the series-wide
// values and the working state of the last pass.
struct AnalysisState {
    analysis::SeriesValues values;
    analysis::ParabolicState parabolic;
    analysis::RsiWindow lastRsiWindow;  // up/down sums of the last `rsi` window
};

// The recompute pass: steps 1 to 16 over the whole series, in their fixed
// order. Resets the working state first. Allocates nothing.
void recomputeIndicators(std::span<DailyBar> bars, const AnalysisSettings& settings,
                         AnalysisState& state);

}  // namespace tav
