#include "analysis/indicators.h"
#include "analysis/sliding_extreme.h"

namespace tav::analysis {

namespace {

// Highest high and lowest low of the n + 1 bars j-n .. j, as a pair of
// queues. A period longer than the bars before j is cut at bar 0.
struct IchimokuWindow {
    SlidingMax highs;
    SlidingMin lows;
    int period = 0;

    void advance(Bars bars, int j) {
        highs.push(j, bars[j].high);
        lows.push(j, bars[j].low);
        highs.dropBefore(j - period);
        lows.dropBefore(j - period);
    }
    int64_t midpoint() const { return (highs.value() + lows.value()) / 2; }
};

}  // namespace

void storeIchimoku(Bars bars, int j, const IchimokuSettings& settings, int64_t kijunMid,
                   int64_t tenkanMid, int64_t senkouMid) {
    DailyBar& bar = bars[j];
    bar.chikou = 0;
    bar.kijun = toInt32(kijunMid);
    bar.tenkan = toInt32(tenkanMid);
    if (j < settings.kijunPeriod) return;
    // The lagging span goes chikouShift - 1 bars back; a shift of 0 (one bar
    // ahead) or beyond the first bar has no target and is not written.
    const int lagTarget = j - settings.chikouShift + 1;
    if (lagTarget >= 0 && lagTarget < count(bars)) bars[lagTarget].chikou = bar.close;
    DailyBar& lead = bars[j - settings.kijunPeriod];
    lead.senkou1 = toInt32((int64_t{bar.kijun} + bar.tenkan) / 2);
    lead.senkou2 = toInt32(senkouMid);
}

void computeIchimoku(Bars bars, const IchimokuSettings& settings) {
    IchimokuWindow kijun;
    IchimokuWindow tenkan;
    IchimokuWindow senkou;
    kijun.period = settings.kijunPeriod;
    tenkan.period = settings.tenkanPeriod;
    senkou.period = settings.senkouPeriod;
    for (int j = 0; j < count(bars); ++j) {
        kijun.advance(bars, j);
        tenkan.advance(bars, j);
        senkou.advance(bars, j);
        if (j >= settings.senkouPeriod)
            storeIchimoku(bars, j, settings, kijun.midpoint(), tenkan.midpoint(),
                          senkou.midpoint());
    }
}

}  // namespace tav::analysis
