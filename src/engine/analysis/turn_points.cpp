#include "analysis/turn_points.h"

namespace tav::analysis {

void computeTurnPoints(Bars bars, int turnPercent) {
    TurnPointStep step(turnPercent);
    for (int k = 0; k < count(bars); ++k)
        step.step(bars, k);
}

void computeTurnDistance(Bars bars) {
    TurnDistanceStep step;
    for (int j = 0; j < count(bars); ++j)
        step.step(bars, j);
}

}  // namespace tav::analysis
