#pragma once

#include "analysis/slot_math.h"

namespace tav::analysis {

// meanClose, meanVolume and volumeGuide; all 1 when there is nothing to average.
struct SeriesValues {
    int32_t meanClose = 1;
    // 64-bit: three times a large mean volume does not fit 32 bits.
    int64_t meanVolume = 1;
    int64_t volumeGuide = 1;
};

// Step 1, bar by bar: `change` and `body`, and the totals of the series-wide values.
template <class Sum = Wide>
class SeriesValuesStep {
  public:
    void step(Bars bars, int i) {
        DailyBar& bar = bars[i];
        if (bar.close != 0) {
            closeTotal_ += bar.close;
            ++closeCount_;
        }
        volumeTotal_ += bar.volume;
        bar.change = i == 0 ? 0 : toInt32(int64_t{bar.close} - bars[i - 1].close);
        bar.body = toInt32(int64_t{bar.close} - bar.open);
    }
    SeriesValues result() const {
        SeriesValues values;
        if (closeTotal_ != 0 && volumeTotal_ != 0) {
            values.meanClose = toInt32(closeTotal_ / closeCount_);
            values.meanVolume = divideSaturated(volumeTotal_, closeCount_);
            values.volumeGuide = saturate64(Wide{3} * values.meanVolume);
        }
        return values;
    }

  private:
    int64_t closeTotal_ = 0;
    Sum volumeTotal_ = 0;
    int64_t closeCount_ = 0;
};

SeriesValues computeSeriesValues(Bars bars);

}  // namespace tav::analysis
