#include "chart/profit_geometry.h"

#include <algorithm>
#include <cstdlib>
#include <limits>

namespace tav::desktop {

namespace {

int rowIn(int64_t value, int64_t top, int64_t bottomValue, int topY, int bottomY) {
    const int64_t span = top - bottomValue;
    if (span <= 0) return bottomY;
    return topY + static_cast<int>((top - value) * (bottomY - topY) / span);
}

}  // namespace

int ProfitScale::equityY(int64_t equity) const {
    return rowIn(std::clamp(equity, equityMin, equityMax), equityMax, equityMin, equityTop,
                 equityBottom);
}

int ProfitScale::drawdownY(int64_t drawdown) const {
    if (drawdownMin >= 0) return drawdownTop;
    return rowIn(std::clamp<int64_t>(drawdown, drawdownMin, 0), 0, drawdownMin, drawdownTop,
                 drawdownBottom);
}

ProfitScale computeProfitScale(std::span<const EquityPoint> equity, const BarAxis& axis,
                               int height) {
    ProfitScale scale;
    const int plot = height - kProfitTopMargin - kProfitBottomMargin - kProfitGap;
    scale.equityTop = kProfitTopMargin;
    scale.equityBottom = kProfitTopMargin + plot * 2 / 3;
    scale.drawdownTop = scale.equityBottom + kProfitGap;
    scale.drawdownBottom = height - kProfitBottomMargin;
    scale.equityMax = std::numeric_limits<int64_t>::min();
    scale.equityMin = std::numeric_limits<int64_t>::max();
    for (int bar = axis.oldestVisibleBar(); bar < axis.endCount; ++bar) {
        const EquityPoint* point = pointOf(equity, bar);
        if (!point) continue;
        scale.equityMax = std::max(scale.equityMax, point->equity);
        scale.equityMin = std::min(scale.equityMin, point->equity);
        scale.drawdownMin = std::min(scale.drawdownMin, point->drawdown);
    }
    if (scale.equityMax < scale.equityMin) scale.equityMax = scale.equityMin = 0;
    return scale;
}

const EquityPoint* pointOf(std::span<const EquityPoint> equity, int bar) {
    if (equity.empty()) return nullptr;
    const int64_t at = int64_t{bar} - equity.front().bar;
    if (at < 0 || at >= static_cast<int64_t>(equity.size())) return nullptr;
    return &equity[static_cast<std::size_t>(at)];
}

void tripMarkers(std::span<const RoundTrip> trips, std::span<const EquityPoint> equity,
                 const BarAxis& axis, const ProfitScale& scale, std::vector<TripMarker>& out) {
    out.clear();
    const int oldest = axis.oldestVisibleBar();
    for (std::size_t k = 0; k < trips.size(); ++k) {
        const RoundTrip& trip = trips[k];
        for (const bool exit : {false, true}) {
            if (exit && trip.reason == ExitReason::Open) continue;
            const int bar = exit ? trip.exitBar : trip.entryBar;
            const EquityPoint* point = pointOf(equity, bar);
            if (bar < oldest || bar >= axis.endCount || !point) continue;
            out.push_back({static_cast<int>(k), exit, axis.x(bar), scale.equityY(point->equity)});
        }
    }
}

int tripAt(std::span<const TripMarker> markers, int px, int py) {
    int best = -1;
    int bestDistance = kMarkerHit + 1;
    for (const TripMarker& marker : markers) {
        const int distance = std::max(std::abs(marker.x - px), std::abs(marker.y - py));
        if (distance < bestDistance) {
            bestDistance = distance;
            best = marker.trip;
        }
    }
    return best;
}

BarAxis profitAxis(std::span<const EquityPoint> equity, int width, int end) {
    if (equity.empty()) return {width, 1, 0};
    const int first = equity.front().bar;
    const int last = equity.back().bar;
    const int room = std::max(width - kRightMargin, 0);
    const int gaps = std::max(last - first, 1);
    const int pitch = std::clamp(room / gaps, 1, kProfitPitch);
    BarAxis axis{width, pitch, last + 1};
    // Too long for the plot: the part the caller chose.
    if (axis.oldestVisibleBar() > first && end > first && end <= last + 1) axis.endCount = end;
    return axis;
}

}  // namespace tav::desktop
