#include "analysis/indicators.h"

namespace tav::analysis {

SeriesValues computeSeriesValues(Bars bars) {
    SeriesValues values;
    int64_t closeTotal = 0;
    int64_t volumeTotal = 0;
    int64_t closeCount = 0;
    for (int i = 0; i < count(bars); ++i) {
        DailyBar& bar = bars[i];
        if (bar.close != 0) {
            closeTotal += bar.close;
            ++closeCount;
        }
        volumeTotal += bar.volume;
        bar.change = i == 0 ? 0 : toInt32(int64_t{bar.close} - bars[i - 1].close);
        bar.body = toInt32(int64_t{bar.close} - bar.open);
    }
    if (closeTotal != 0 && volumeTotal != 0) {
        values.meanClose = toInt32(closeTotal / closeCount);
        values.meanVolume = volumeTotal / closeCount;
        values.volumeGuide = 3 * values.meanVolume;
    }
    return values;
}

}  // namespace tav::analysis
