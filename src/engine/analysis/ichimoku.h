#pragma once

#include "analysis/sliding_extreme.h"
#include "analysis/slot_math.h"

namespace tav::analysis {

struct IchimokuSettings {
    int kijunPeriod = 26;
    int tenkanPeriod = 9;
    int chikouShift = 26;
    int senkouPeriod = 52;
};

// Writes the Ichimoku slots of bar j (j >= senkouPeriod) from the midpoints of
// its three windows: clears its `chikou`, sets `kijun` and `tenkan`, and from
// bar kijunPeriod on stores the lagging span chikouShift - 1 bars back and
// the leading spans kijunPeriod bars back. A lagging-span target outside the
// series (a shift of 0, or one beyond senkouPeriod + 1) is not written.
inline void storeIchimoku(Bars bars, int j, const IchimokuSettings& settings, int64_t kijunMid,
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

// Step 11, bar by bar. HH and LL of a period n are taken over the n + 1 bars
// j-n .. j; a period longer than the bars before j is cut at bar 0.
class IchimokuStep {
  public:
    explicit IchimokuStep(const IchimokuSettings& settings) : settings_(settings) {}

    void step(Bars bars, int j) {
        kijun_.advance(bars, j, settings_.kijunPeriod);
        tenkan_.advance(bars, j, settings_.tenkanPeriod);
        senkou_.advance(bars, j, settings_.senkouPeriod);
        if (j >= settings_.senkouPeriod)
            storeIchimoku(bars, j, settings_, kijun_.midpoint(), tenkan_.midpoint(),
                          senkou_.midpoint());
    }

  private:
    struct Window {
        SlidingMax highs;
        SlidingMin lows;
        void advance(Bars bars, int j, int period) {
            highs.push(j, bars[j].high);
            lows.push(j, bars[j].low);
            highs.dropBefore(j - period);
            lows.dropBefore(j - period);
        }
        int64_t midpoint() const { return (highs.value() + lows.value()) / 2; }
    };

    IchimokuSettings settings_;
    Window kijun_;
    Window tenkan_;
    Window senkou_;
};

void computeIchimoku(Bars bars, const IchimokuSettings& settings);

}  // namespace tav::analysis
