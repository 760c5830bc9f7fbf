#include "chart/trend_lines.h"

#include <algorithm>
#include <string>

#include "chart/chart_view_state.h"

namespace tav::desktop {

namespace {

// First bar, oldest first, among those up to endCount with this date.
int findDate(std::span<const DailyBar> bars, int endCount, std::string_view date) {
    const int end = std::min<int>(endCount, static_cast<int>(bars.size()));
    for (int k = 0; k < end; ++k)
        if (bars[k].dateText() == date) return k;
    return kNoBar;
}

}  // namespace

std::optional<TrendLine> trendLineFromPoints(std::span<const DailyBar> bars, const BarAxis& axis,
                                             int fromX, int fromY, int toX, int toY) {
    const int start = axis.barAt(std::max(0, fromX));
    const int end = axis.barAt(std::max(0, toX));
    const int count = static_cast<int>(bars.size());
    if (start < 0 || end < 0 || start >= count || end >= count) return std::nullopt;
    return TrendLine{std::string(bars[start].dateText()), fromX - axis.slotOrigin(start), fromY,
                     std::string(bars[end].dateText()),   toX - axis.slotOrigin(end),     toY};
}

std::optional<Segment> placeTrendLine(std::span<const DailyBar> bars, const BarAxis& axis,
                                      const TrendLine& line) {
    const int start = findDate(bars, axis.endCount, line.startDate);
    const int end = findDate(bars, axis.endCount, line.endDate);
    if (start < 0 || end < 0) return std::nullopt;
    const Segment segment{axis.slotOrigin(start) + line.startOffset, line.startY,
                          axis.slotOrigin(end) + line.endOffset, line.endY};
    if (segment.x1 == 0 || segment.y1 == 0) return std::nullopt;
    return segment;
}

}  // namespace tav::desktop
