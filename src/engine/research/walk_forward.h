#pragma once

#include <cstdint>
#include <vector>

#include "research/research_run.h"

namespace tav {

// One step of a walk-forward: the days (indices into the date axis) of its
// in-sample and out-of-sample spans, the point chosen in sample and how it
// did on both.
struct WalkForwardWindow {
    int inFirst = 0, inLast = 0;    // days inFirst ... inLast - 1
    int outFirst = 0, outLast = 0;  // days outFirst ... outLast - 1
    int chosen = -1;                // point index; -1 when no point qualified
    Metrics inSample;
    Metrics outOfSample;
};

struct WalkForward {
    std::vector<WalkForwardWindow> windows;
    // The out-of-sample spans stitched: the chosen point's daily results (and
    // trades, when the points kept them) on them, every other day empty.
    PointRun stitched;
    int stitchedFirst = 0, stitchedLast = 0;
    Metrics outOfSample;
    // Out-of-sample annualised return over the mean in-sample one of the
    // chosen points; 0 when the in-sample mean is not positive.
    double efficiency = 0;
};

// Windows by calendar months of the date axis: in-sample `inMonths`
// (anchored: from the first day on), out-of-sample the `outMonths` after it,
// moving on by `outMonths`. A trade belongs to the span it closed in.
WalkForward walkForward(const ResearchData& data, int inMonths, int outMonths, bool anchored,
                        Objective objective, int minTrades);

}  // namespace tav
