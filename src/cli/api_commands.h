#pragma once

#include "cli_context.h"

namespace tav::cli {

// "api-key set" (the key from standard input, never from the arguments),
// "api-key test", "api-key remove".
int runApiKey(CommandContext& context);

// "--plan free|light|standard|premium": stored beside the key for this and
// later runs. False (after the usage message) when the name is no plan.
bool applyApiPlanOption(CommandContext& context);

}  // namespace tav::cli
