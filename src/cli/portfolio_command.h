#pragma once

#include "cli_context.h"

namespace tav::cli {

// One account over a watchlist or the market: the portfolio back-test.
int runPortfolioCommand(CommandContext& context);

}  // namespace tav::cli
