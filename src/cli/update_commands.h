#pragma once

#include "cli_context.h"

namespace tav::cli {

int runShow(CommandContext& context);
int runUpdate(CommandContext& context);
int runRefetch(CommandContext& context);
int runUpdateList(CommandContext& context);
int runRealtime(CommandContext& context);
int runImport(CommandContext& context);

// The first start of a folder without a store: asks for the start date (or
// takes --from) and imports the daily archives, reporting the days added and
// how far the store reaches. Returns false when the import stopped on a
// failure (a declined start date is none).
bool createStoreOnFirstStart(CommandContext& context);

}  // namespace tav::cli
