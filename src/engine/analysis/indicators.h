#pragma once

// The steps of the recompute pass, one indicator family per header. Each
// family offers a step object (or function) that handles one bar, so that the
// pass can run many steps in one sweep over the bars, and a compute function
// that sweeps one family alone.
//
// Conventions for every step: bar 0 is the oldest; "the n bars ending at k"
// are bars k-n+1 .. k; integer arithmetic truncates toward zero; products
// that can leave the 32-bit range are taken in 64 bits and the result is
// stored at the slot's width. A slot that a step does not reach keeps its old
// value (0 on a fresh series) unless the step says it clears it.

#include "analysis/bar_range.h"
#include "analysis/dmi.h"
#include "analysis/force_index.h"
#include "analysis/hl_band.h"
#include "analysis/ichimoku.h"
#include "analysis/macd.h"
#include "analysis/moving_averages.h"
#include "analysis/parabolic.h"
#include "analysis/psychological.h"
#include "analysis/rate_of_change.h"
#include "analysis/rci.h"
#include "analysis/rsi.h"
#include "analysis/series_values.h"
#include "analysis/stochastics.h"
#include "analysis/turn_marks.h"
#include "analysis/turn_points.h"
#include "analysis/volatility_rsi.h"
#include "analysis/volume_ratios.h"
#include "analysis/williams_r.h"
