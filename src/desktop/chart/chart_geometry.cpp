#include "chart/chart_geometry.h"

#include <algorithm>
#include <limits>

#include "analysis/tick.h"
#include "chart/chart_view_state.h"
#include "settings/options_record.h"

namespace tav::desktop {

namespace {

// Pixel rows far outside the pane are clamped so that the painter never sees
// coordinates near the int range (a flat overlay value can lie far off scale).
int toPixel(int64_t v) {
    constexpr int64_t kLimit = 1 << 24;
    return static_cast<int>(std::clamp<int64_t>(v, -kLimit, kLimit));
}

}  // namespace

int BarAxis::visibleCount() const {
    return std::max(0, std::min(endCount, rightX() / std::max(1, pitch) + 1));
}

int BarAxis::barAt(int px) const {
    const int right = rightX() + pitch / 2;
    if (px > right || pitch < 1) return kNoBar;
    const int back = (right - px) / pitch;
    if (back >= visibleCount()) return kNoBar;
    return endCount - 1 - back;
}

GuideGrid guideGrid(int64_t priceMax, int64_t priceMin) {
    const int64_t m = (priceMax + priceMin) / 2;
    int64_t unit = 10000;
    if (m < 100)
        unit = 1;
    else if (m < 1000)
        unit = 10;
    else if (m < 10000)
        unit = 100;
    else if (m < 100000)
        unit = 1000;
    const int64_t centre = unit * (m / unit);
    const int64_t o = priceMax - centre;
    int64_t t = o / 3;
    if (t > 9) {
        if (t < 100)
            t = (o / 30) * 10;
        else if (t < 1000)
            t = (o / 300) * 100;
        else if (t < 10000)
            t = (t / 1000) * 1000;
        else
            t = (t / 10000) * 10000;
    }
    return {centre, t};
}

PriceScale computePriceScale(std::span<const DailyBar> bars, const BarAxis& axis, int height,
                             const PriceScaleOptions& options) {
    PriceScale s;
    s.inverted = options.inverted;
    s.bottomY = height;
    s.baseY = height - kVolumeHeight;
    s.plotHeight = height - (options.signalStrip ? 150 : 120);

    const int end = std::min<int>(axis.endCount, static_cast<int>(bars.size()));
    if (end > 0) {
        int64_t highClose = bars[end - 1].close;
        int64_t lowClose = highClose;
        int64_t highVolume = std::numeric_limits<int64_t>::min();
        int64_t lowVolume = std::numeric_limits<int64_t>::max();
        int64_t marginMax = 0;
        for (int k = std::max(0, end - axis.visibleCount() - 1); k < end; ++k) {
            const DailyBar& bar = bars[k];
            highClose = std::max<int64_t>(highClose, bar.close);
            lowClose = std::min<int64_t>(lowClose, bar.close);
            highVolume = std::max(highVolume, bar.volume);
            lowVolume = std::min(lowVolume, bar.volume);
            marginMax = std::max<int64_t>(marginMax, std::max(bar.marginBuy, bar.marginSell));
        }
        s.priceMax = highClose;
        s.priceMin = lowClose;
        s.volumeMax = highVolume;
        s.volumeMin = lowVolume;
        s.marginMax = marginMax;
    }
    if (options.fixedScale) {
        s.priceMax = 1000;
        s.priceMin = 0;
    }
    s.priceSpan = s.priceMax == s.priceMin ? 1 : s.priceMax - s.priceMin;
    s.volumeSpan = s.volumeMax == s.volumeMin ? 10 : s.volumeMax - s.volumeMin;

    const GuideGrid grid = guideGrid(s.priceMax, s.priceMin);
    s.guideCentre = grid.centre;
    s.guideStep = grid.step;
    for (int i = 0; i < 7; ++i) {
        const int64_t price = grid.centre + (3 - i) * grid.step;
        s.guides[i] = {price, s.priceY(price)};
    }
    return s;
}

int PriceScale::priceY(int64_t price) const {
    if (plotHeight <= 0) return baseY;
    const int64_t offset = inverted ? priceMax - price : price - priceMin;
    return toPixel(baseY - offset * plotHeight / priceSpan);
}

int PriceScale::volumeY(int64_t volume) const {
    return toPixel(bottomY - (volume - volumeMin) * kVolumeHeight / volumeSpan);
}

int PriceScale::marginY(int64_t balance) const {
    if (marginMax == 0) return bottomY;
    return toPixel(bottomY - balance * kVolumeHeight / marginMax);
}

int64_t PriceScale::priceAt(int y) const {
    if (plotHeight <= 0) return priceMin;
    const int64_t offset = (int64_t{baseY} - y) * priceSpan / plotHeight;
    return inverted ? priceMax - offset : priceMin + offset;
}

int32_t crosshairPrice(const PriceScale& scale, int y, std::span<const DailyBar> bars,
                       int tickBar) {
    const int64_t price = std::clamp<int64_t>(scale.priceAt(y), std::numeric_limits<int32_t>::min(),
                                              std::numeric_limits<int32_t>::max());
    const int32_t close =
        tickBar >= 0 && tickBar < static_cast<int>(bars.size()) ? bars[tickBar].close : 0;
    return roundToTickForClose(static_cast<int32_t>(price), close);
}

int IndicatorLayout::screenCount() const {
    const int n = std::max(1, graphsPerScreen);
    return (kIndicatorCount + n - 1) / n;
}

int IndicatorLayout::orderEntry(int g) const {
    const int entry = screen * graphsPerScreen + g;
    return g >= 0 && g < graphsPerScreen && entry < kIndicatorCount ? entry : -1;
}

namespace indicator_y {

int perMille(int g, int u, int64_t v) {
    return toPixel((3 * g + 4) * int64_t{u} - v * 4 * u / 1000);
}
int adx(int g, int u, int64_t v) {
    return toPixel((3 * g + 3) * int64_t{u} - v * 4 * u / 1000);
}
int rci(int g, int u, int64_t v) {
    return toPixel(3 * g * int64_t{u} + (100 - v / 10) * 2 * u / 100);
}
int roc(int g, int u, int64_t v) {
    return toPixel((3 * g + 2) * int64_t{u} + (100 - v) * u / 10);
}
int williamsR(int g, int u, int64_t v) {
    return toPixel(3 * g * int64_t{u} + v * 4 * u / 1000);
}
int centred(int g, int u, int64_t v, int64_t scale) {
    const int64_t zero = (3 * g + 2) * int64_t{u};
    if (scale == 0) return toPixel(zero);
    return toPixel(v >= 0 ? zero - v * 2 * u / scale : zero + (-v) * 2 * u / scale);
}
int percent(int g, int u, int64_t v) {
    return toPixel((3 * g + 4) * int64_t{u} - v * 4 * u / 100);
}
int vr(int g, int u, int64_t v) {
    return toPixel((3 * g + 4) * int64_t{u} - v * 2 * u / 100);
}
int pvr(int g, int u, int64_t v) {
    return toPixel((3 * g + 2) * int64_t{u} - v * u / 50);
}

}  // namespace indicator_y

bool LabelRow::take(int left, int right) {
    for (const auto& [takenLeft, takenRight] : taken_)
        if (left < takenRight + gap_ && right + gap_ > takenLeft) return false;
    taken_.emplace_back(left, right);
    return true;
}

}  // namespace tav::desktop
