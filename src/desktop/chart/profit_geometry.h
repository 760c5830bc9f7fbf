#pragma once

// Where the equity curve, its drawdown and the trade markers land in the
// "損益" view, and which trade a pixel belongs to. The view uses the chart's
// bar axis (its pitch and newest bar), so a bar sits at the same x as on the
// chart of the same width. Painting and mouse handling both go through here.

#include <cstdint>
#include <span>
#include <vector>

#include "chart/chart_geometry.h"
#include "simulation/trade_insight.h"

namespace tav::desktop {

constexpr int kProfitTopMargin = 18;     // room for the top amount
constexpr int kProfitBottomMargin = 18;  // room for the dates
constexpr int kProfitGap = 16;           // between the curve and the drawdown
constexpr int kMarkerHit = 5;            // pixels around a marker that hit it

// The vertical scale of one paint: the equity area above, the drawdown area
// (0 at its top) below, a third of the height.
struct ProfitScale {
    int equityTop = 0;
    int equityBottom = 0;
    int drawdownTop = 0;
    int drawdownBottom = 0;
    int64_t equityMax = 0;
    int64_t equityMin = 0;
    int64_t drawdownMin = 0;  // 0 or negative

    bool hasArea() const { return equityBottom > equityTop && drawdownBottom > drawdownTop; }
    int equityY(int64_t equity) const;
    int drawdownY(int64_t drawdown) const;
};

// The scale over the points of the bars visible on `axis`.
ProfitScale computeProfitScale(std::span<const EquityPoint> equity, const BarAxis& axis,
                               int height);

// The plot's own bar axis over the run, so that it spans what the trade list
// lists: every bar from the first to the last point when they fit at a pitch
// of at least 1 (at most kProfitPitch), else the bars ending at `end` (the
// run's last bar + 1 when 0 or out of the run).
inline constexpr int kProfitPitch = 12;
BarAxis profitAxis(std::span<const EquityPoint> equity, int width, int end = 0);

// The point of a bar, nullptr outside the run.
const EquityPoint* pointOf(std::span<const EquityPoint> equity, int bar);

// An entry or exit mark of a trade, on the curve at its bar.
struct TripMarker {
    int trip = 0;
    bool exit = false;
    int x = 0;
    int y = 0;
};

// The marks of the trades whose entry or exit is visible.
void tripMarkers(std::span<const RoundTrip> trips, std::span<const EquityPoint> equity,
                 const BarAxis& axis, const ProfitScale& scale, std::vector<TripMarker>& out);

// The trade whose mark lies nearest within kMarkerHit of the point, or -1.
int tripAt(std::span<const TripMarker> markers, int px, int py);

}  // namespace tav::desktop
