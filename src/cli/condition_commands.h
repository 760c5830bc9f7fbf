#pragma once

#include "cli_context.h"

namespace tav::cli {

// evaluate CODE (--condition "F1 ... F10" | --capsule N) [--period P]: one line
// "DATE,V" per bar, oldest first, V = 1 when the condition or capsule N holds
// with that bar under test and no open position.
int runEvaluate(CommandContext& context);

// text --condition "F1 ... F10" [--context capsule|strategy]: the sentence.
int runText(CommandContext& context);

// capsules list | show N | add TITLE | rename N TITLE | copy N M | init N |
// delete N | move N up|down | add-row N "F1 ... F10" | delete-row N R |
// logic N and|or. N is the file number of "Capsel{N}.pat".
int runCapsules(CommandContext& context);

}  // namespace tav::cli
