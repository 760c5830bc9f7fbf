#pragma once

#include "cli_context.h"

namespace tav::cli {

// Sweeps a strategy's numbers over a security, a watchlist or the market and
// judges the best: walk-forward, overfitting odds, trade Monte Carlo.
int runOptimizeCommand(CommandContext& context);

}  // namespace tav::cli
