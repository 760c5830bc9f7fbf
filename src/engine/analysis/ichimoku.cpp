#include "analysis/ichimoku.h"

namespace tav::analysis {

void storeIchimoku(Bars bars, int j, const IchimokuSettings& settings, int64_t kijunMid,
                   int64_t tenkanMid, int64_t senkouMid) {
    DailyBar& bar = bars[j];
    bar.chikou = 0;
    bar.kijun = toInt32(kijunMid);
    bar.tenkan = toInt32(tenkanMid);
    if (j < settings.kijunPeriod) return;
    const int lagTarget = j - settings.chikouShift + 1;
    if (lagTarget >= 0 && lagTarget < count(bars)) bars[lagTarget].chikou = bar.close;
    DailyBar& lead = bars[j - settings.kijunPeriod];
    lead.senkou1 = toInt32((int64_t{bar.kijun} + bar.tenkan) / 2);
    lead.senkou2 = toInt32(senkouMid);
}

void computeIchimoku(Bars bars, const IchimokuSettings& settings) {
    IchimokuStep step(settings);
    for (int j = 0; j < count(bars); ++j)
        step.step(bars, j);
}

}  // namespace tav::analysis
