#include "analysis/ichimoku.h"

namespace tav::analysis {

void computeIchimoku(Bars bars, const IchimokuSettings& settings) {
    IchimokuStep step(settings);
    for (int j = 0; j < count(bars); ++j)
        step.step(bars, j);
}

}  // namespace tav::analysis
