#pragma once

#include "cli_context.h"

namespace tav::cli {

int runScreen(CommandContext& context);
int runRank(CommandContext& context);

}  // namespace tav::cli
