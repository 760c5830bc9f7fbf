#include "analysis/turn_marks.h"

namespace tav::analysis {

void computeTurnMarks(Bars bars) {
    for (int k = 0; k < count(bars); ++k)
        turnMarkStep(bars, k);
}

}  // namespace tav::analysis
