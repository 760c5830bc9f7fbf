#pragma once

#include "cli_context.h"

namespace tav::cli {

// watchlists list | add TITLE | rename N TITLE | delete N | move N up|down
int runWatchlists(CommandContext& context);
// watchlist N show | add CODE... | remove CODE | move CODE up|down | copy-to M [CODE]
//           | move-to M [CODE] | clear | import FILE | paste
int runWatchlist(CommandContext& context);
// market M: the entries of market M (1-12 or its name)
int runMarket(CommandContext& context);
// history show | clear | length N
int runHistory(CommandContext& context);

}  // namespace tav::cli
