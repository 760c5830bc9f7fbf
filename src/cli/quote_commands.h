#pragma once

#include "cli_context.h"

namespace tav::cli {

int runFetch(CommandContext& context);
int runQuote(CommandContext& context);
int runMargin(CommandContext& context);
int runRanking(CommandContext& context);

}  // namespace tav::cli
