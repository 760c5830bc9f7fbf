#pragma once

// A workspace on a temporary folder with a hand-made series, and the three
// panes on it, for rendering offscreen and reading pixels back.

#include <QColor>
#include <QImage>
#include <QWidget>
#include <vector>

#include "chart/chart_view_state.h"
#include "core/daily_bar.h"
#include "support/temp_folder.h"
#include "support/test_platform.h"
#include "workspace/workspace.h"

namespace tav::test {

inline DailyBar makeBar(const char* date, int32_t open, int32_t high, int32_t low, int32_t close,
                        int64_t volume = 0) {
    DailyBar bar{};
    setBarDate(bar, date);
    bar.open = open;
    bar.high = high;
    bar.low = low;
    bar.close = close;
    bar.volume = volume;
    return bar;
}

// Colours stored as 0x00BBGGRR, as a pixel reads back.
inline QRgb rgbOf(ColourRef colour) {
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

inline QImage render(QWidget& widget) {
    return widget.grab().toImage();
}

class PaneFixture {
  public:
    PaneFixture() {
        std::filesystem::create_directories(temp / "Line");
        // Distinct colours so that every pixel tells what drew it.
        auto& colours = workspace.options().colours;
        colours[int(ColourIndex::priceGuide)] = 0x00C000;
        colours[int(ColourIndex::risingOutline)] = 0x0000C0;
        colours[int(ColourIndex::risingBody)] = 0x0000FF;
        colours[int(ColourIndex::fallingOutline)] = 0xC00000;
        colours[int(ColourIndex::fallingBody)] = 0xFF0000;
        colours[int(ColourIndex::indicatorGuide)] = 0x00C000;
        // Price marks would write texts over the bars.
        workspace.analysisParameters.setChart(ChartParam::spTurnPercent, PeriodMode::Daily, 0);
    }

    void setBars(std::vector<DailyBar> bars) {
        workspace.series().bars = std::move(bars);
        state.resetForSeries(workspace.series().count());
    }
    QRgb colour(ColourIndex index) const { return rgbOf(workspace.options().colour(index)); }

    TempFolder temp;
    TestPlatform tools;
    Workspace workspace{ProgramFolder(temp.str()), tools.platform()};
    desktop::ChartViewState state;
};

}  // namespace tav::test
