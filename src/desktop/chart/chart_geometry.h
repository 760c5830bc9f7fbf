#pragma once

// Where bars, prices, volumes and indicator values land on the chart and
// indicator panes, and which bar a pixel belongs to. Painting and mouse
// handling both go through these functions so that what is drawn and what is
// hit always agree. No Qt here: every function is plain integer arithmetic.

#include <array>
#include <cstdint>
#include <span>
#include <utility>
#include <vector>

#include "core/daily_bar.h"

namespace tav::desktop {

constexpr int kRightMargin = 30;  // right of the newest bar
constexpr int kVolumeHeight = 80;
constexpr int kSignalStripHeight = 42;
// Wider pitches are drawn at this one; it keeps bar positions far inside int.
constexpr int kMaxPitch = 4096;

// Horizontal placement of bars, shared by the chart and the indicator pane.
struct BarAxis {
    int width = 0;     // client width
    int pitch = 1;     // pixels between bars, at least 1
    int endCount = 0;  // newest shown bar + 1

    int rightX() const { return width - kRightMargin; }
    // Bars that fit: min(endCount, (width - 30) / pitch + 1), never negative.
    int visibleCount() const;
    int newestBar() const { return endCount - 1; }
    int oldestVisibleBar() const { return endCount - visibleCount(); }
    int x(int bar) const { return rightX() - (endCount - 1 - bar) * pitch; }
    // The slot of a bar is (x + pitch / 2 - pitch, x + pitch / 2]; the bar
    // whose slot holds px among the visible bars, or kNoBar.
    int barAt(int px) const;
    // Left reference of a bar's slot for trend-line offsets: x - pitch / 2.
    // A point px in the slot is stored as px - slotOrigin(bar) and drawn back
    // at slotOrigin(bar) + offset, so it follows its bar when the pitch changes.
    int slotOrigin(int bar) const { return x(bar) - pitch / 2; }
};

// Texts along one row (the strategy's numbers, the dates): a text is drawn
// only where it clears every text taken before it by `gap` pixels, so dense
// bars leave some out instead of printing them over each other.
class LabelRow {
  public:
    explicit LabelRow(int gap = 2) : gap_(gap) {}
    // Takes the span [left, right) when it is free; whether it was.
    bool take(int left, int right);

  private:
    int gap_;
    std::vector<std::pair<int, int>> taken_;
};

struct GuideLine {
    int64_t price = 0;
    int y = 0;
};

struct PriceScaleOptions {
    bool fixedScale = false;  // 0-1000
    bool inverted = false;
    bool signalStrip = false;  // the strategy's strip takes 30 more pixels
};

// The vertical scale of one chart paint. Products are 64-bit: US indices are
// stored in cents and volumes exceed 32 bits.
struct PriceScale {
    int64_t priceMax = 0;
    int64_t priceMin = 0;
    int64_t priceSpan = 1;
    int bottomY = 0;
    int baseY = 0;
    int plotHeight = 0;
    int64_t volumeMax = 0;
    int64_t volumeMin = 0;
    int64_t volumeSpan = 10;
    int64_t marginMax = 0;
    int64_t guideCentre = 0;
    int64_t guideStep = 0;
    std::array<GuideLine, 7> guides{};  // highest price first
    bool inverted = false;

    // Too small a window leaves no room for prices; nothing is drawn there then.
    bool hasPriceArea() const { return plotHeight > 0; }
    int priceY(int64_t price) const;
    // Top of a volume bar (bottomY for volumeMin).
    int volumeY(int64_t volume) const;
    int marginY(int64_t balance) const;
    // The price at a pixel row, unrounded. Needs hasPriceArea().
    int64_t priceAt(int y) const;
};

// Scale of the bars visible on `axis` (and the one before them) in a pane of
// the given client height.
PriceScale computePriceScale(std::span<const DailyBar> bars, const BarAxis& axis, int height,
                             const PriceScaleOptions& options);

// Guide-line centre and step for a price range.
struct GuideGrid {
    int64_t centre = 0;
    int64_t step = 0;
};
GuideGrid guideGrid(int64_t priceMax, int64_t priceMin);

// The crosshair's price readout: the price at row y rounded to the tick of
// `tickBar` (the hovered bar, else the newest).
int32_t crosshairPrice(const PriceScale& scale, int y, std::span<const DailyBar> bars, int tickBar);

// Half the candle body width: pitch / 2, at least 1.
inline int candleHalfWidth(int pitch) {
    return pitch / 2 < 1 ? 1 : pitch / 2;
}

// Indicator ids, the values stored in the display order.
enum class IndicatorId : uint8_t {
    Rsi,
    Rci,
    Roc,
    Deviation,
    Stochastics,
    WilliamsR,
    Macd,
    MacdHistogram,
    Dmi,
    Psychological,
    ForceIndex,
    Vr,
    WakoVr,
    Pvr,
    MultiRsi,
    MultiRci,
    VlRsi,
};

// Vertical layout of the indicator pane: graph g spans 3gU to (3g + 4)U, so
// neighbours share one unit.
struct IndicatorLayout {
    int height = 0;
    int graphsPerScreen = 5;
    int screen = 0;

    int unit() const { return height / (3 * graphsPerScreen + 1); }
    int screenCount() const;
    int graphTop(int g) const { return 3 * g * unit(); }
    int graphMiddle(int g) const { return (3 * g + 2) * unit(); }
    int graphBottom(int g) const { return (3 * g + 4) * unit(); }
    // Index into the display order of position g, or -1 past the 17th entry.
    int orderEntry(int g) const;
    // Guide-line rows k U for k = 1 .. 3n + 1; the middle of a graph is 2 pixels wide.
    int guideCount() const { return 3 * graphsPerScreen + 1; }
    int guideY(int k) const { return k * unit(); }
    static bool guideIsThick(int k) { return k % 3 == 2; }
};

// Rows of indicator values on graph g with unit u. `scale` is the largest
// magnitude the centred scales reach 2U with (S, M or D).
namespace indicator_y {
int perMille(int g, int u, int64_t v);                // 0 at the bottom, 1000 at the top
int adx(int g, int u, int64_t v);                     // per mille, zero one unit higher
int rci(int g, int u, int64_t v);                     // -1000 .. 1000
int roc(int g, int u, int64_t v);                     // 100 in the middle
int williamsR(int g, int u, int64_t v);               // 0 at the top
int centred(int g, int u, int64_t v, int64_t scale);  // needs scale != 0
int percent(int g, int u, int64_t v);                 // 0 .. 100 over the graph
int vr(int g, int u, int64_t v);                      // 0 .. 200 % over the graph
int pvr(int g, int u, int64_t v);
}  // namespace indicator_y

}  // namespace tav::desktop
