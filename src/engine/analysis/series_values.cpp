#include "analysis/series_values.h"

namespace tav::analysis {

SeriesValues computeSeriesValues(Bars bars) {
    SeriesValuesStep step;
    for (int i = 0; i < count(bars); ++i)
        step.step(bars, i);
    return step.result();
}

}  // namespace tav::analysis
