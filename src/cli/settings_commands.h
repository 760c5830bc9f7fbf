#pragma once

#include "cli_context.h"

namespace tav::cli {

// settings show [--individual CODE]
// settings set NAME VALUE [--individual CODE]
int runSettings(CommandContext& context);

}  // namespace tav::cli
