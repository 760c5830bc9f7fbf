#include "analysis/series_values.h"

namespace tav::analysis {

SeriesValues SeriesValuesStep::result() const {
    SeriesValues values;
    if (closeTotal_ != 0 && volumeTotal_ != 0) {
        values.meanClose = toInt32(closeTotal_ / closeCount_);
        values.meanVolume = divideSaturated(volumeTotal_, closeCount_);
        values.volumeGuide = saturate64(Wide{3} * values.meanVolume);
    }
    return values;
}

SeriesValues computeSeriesValues(Bars bars) {
    SeriesValuesStep step;
    for (int i = 0; i < count(bars); ++i)
        step.step(bars, i);
    return step.result();
}

}  // namespace tav::analysis
