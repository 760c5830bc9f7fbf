#pragma once

#include "cli_context.h"

namespace tav::cli {

int runInit(CommandContext& context);
int runSeries(CommandContext& context);
int runLookup(CommandContext& context);
int runAdd(CommandContext& context);
int runDelete(CommandContext& context);
int runUpdateMaster(CommandContext& context);

}  // namespace tav::cli
