#pragma once

#include "cli_context.h"

namespace tav::cli {

// dump CODE [--period P]: every slot of every bar of the recomputed series as CSV.
int runDump(CommandContext& context);

}  // namespace tav::cli
