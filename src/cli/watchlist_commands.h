#pragma once

#include "cli_context.h"

namespace tav::cli {

// watchlists list | add TITLE | rename N TITLE | delete N | move N up|down
int runWatchlists(CommandContext& context);
// watchlist N show | add CODE... | remove CODE | move CODE up|down | copy-to M [CODE]
//           | move-to M [CODE] | clear | import FILE | paste | marks --range T
//           | marks --strategy [K] | levels [--block 5|6] | update | download | strategy [K]
int runWatchlist(CommandContext& context);
// links [CODE]: the link menu's entries and the company and intraday pages
int runLinks(CommandContext& context);
// market M: the entries of market M (1-12 or its name)
int runMarket(CommandContext& context);
// history show | clear | length N
int runHistory(CommandContext& context);

}  // namespace tav::cli
