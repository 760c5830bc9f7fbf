#pragma once

#include "cli_context.h"

namespace tav::cli {

// backtest CODE --strategy N [--period P] [--summary]: the display run of
// "Trade{N}.pat" over the whole stored series with the folder's simulation
// settings. Prints "date,tradeMark,tradeReentry,tradeUnits,tradePerShare" and
// one line per bar, an empty line, then the result block as "name value"
// lines; with --summary the note pane's lines instead.
int runBacktest(CommandContext& context);

// strategies list | show N | add NAME | rename N NAME | delete N | copy N M |
// init N | move N up|down | mode N M | split N METHOD AMOUNT STEP CAPSULE |
// add-tactic N | delete-tactic N T | move-tactic N T up|down |
// tactic N T NAME [on|off] [buy|sell] | add-condition N T buy|sell|stop "F1 ... F10" |
// delete-condition N T TAB I | logic N T TAB and|or | fill N T TAB P.
// N is the file number of "Trade{N}.pat", T and I count from 1.
int runStrategies(CommandContext& context);

}  // namespace tav::cli
