#pragma once

#include <cstdint>

namespace tav::desktop {

// Bar index meaning "no bar".
constexpr int kNoBar = -1;

// The choices stored in the options record, as codes (OptionsRecord::priceStyle,
// OptionsRecord::chartOverlay).
enum class PriceStyle : uint8_t { Candles, Line, Bars };
enum class Overlay : uint8_t {
    MovingAverages,
    Ichimoku,
    Parabolic,
    HlBand,
    Bollinger,
    Envelope,
    MaBand,
};
constexpr int kOverlayCount = 7;

// What a plain left click on the chart or indicator pane does. The modes are
// exclusive: choosing one switches the others off.
enum class ClickMode : uint8_t { None, MarkerA, MarkerB, TrendLine };

// The view of the loaded series that the chart pane, the indicator pane and
// the price board share. The main window owns it and hands it to each pane by
// reference; the panes read it on every paint and write only the hover,
// marker and clicked-bar fields, after which they post a command.
//
// The persistent display choices are NOT here: pitch, price style, overlay,
// indicator screen, graphs per screen, display order, colours and line widths
// are read from Workspace::options() (the record saved at shutdown), the wave
// line and the turning-mark switch from Workspace::displaySwitches, and the
// analysis periods from Workspace::analysisParameters. Commands change them
// there and then request a repaint.
struct ChartViewState {
    // Index of the newest bar shown, plus one; 0 shows nothing. Scrolling moves it.
    int endCount = 0;

    ClickMode clickMode = ClickMode::None;
    // Marker A draws a vertical line and is the reference of the price board's
    // change section; marker B hides every bar after it.
    int markerA = kNoBar;
    int markerB = kNoBar;

    bool inverted = false;    // upside-down drawing of chart and indicators
    bool fixedScale = false;  // price scale fixed to 0-1000
    bool marginShown = false;
    // A strategy is selected: the chart draws its signal strip from the trade slots.
    bool strategyShown = false;

    // The bar under the chart cursor and under the indicator cursor.
    int chartHoverBar = kNoBar;
    int indicatorHoverBar = kNoBar;
    // The bar of the last plain click (command 224); the price board shows it
    // when no bar is hovered.
    int clickedBar = kNoBar;

    int newestIndex() const { return endCount - 1; }
    // The newest bar the user can see: marker B hides every bar after it, and
    // what it hides must not show anywhere else either (board, close label).
    int lastVisibleBar() const {
        return markerB >= 0 && markerB < endCount - 1 ? markerB : endCount - 1;
    }

    // Call whenever the loaded series is replaced (another security or
    // period, reload, fetch of older bars): markers, hover and clicked bar
    // could otherwise index past the new series. Shows the newest bar.
    void resetForSeries(int barCount) {
        endCount = barCount;
        markerA = kNoBar;
        markerB = kNoBar;
        chartHoverBar = kNoBar;
        indicatorHoverBar = kNoBar;
        clickedBar = kNoBar;
    }
    // Switching a click mode clears the markers the other modes set.
    void setClickMode(ClickMode mode) {
        clickMode = clickMode == mode ? ClickMode::None : mode;
        if (clickMode != ClickMode::MarkerA) markerA = kNoBar;
        if (clickMode != ClickMode::MarkerB) markerB = kNoBar;
    }
};

// Command ids the panes post to the main window.
namespace pane_command {
constexpr int kChartHoverChanged = 106;      // ChartViewState::chartHoverBar changed
constexpr int kClearChartHover = 107;        // main window's own: clear the chart hover
constexpr int kIndicatorHoverChanged = 108;  // ChartViewState::indicatorHoverBar changed
constexpr int kChartCrosshairMoved = 127;    // mirror ChartPane::crosshairX() in the indicator pane
constexpr int kIndicatorCrosshairMoved = 128;  // mirror IndicatorPane::crosshairX() in the chart
constexpr int kRightClick = 166;
constexpr int kSplitterDragEnd = 180;
constexpr int kChartMarkerASet = 204;
constexpr int kOpenDataFile = 216;  // double click, or a click with Shift or Ctrl
constexpr int kIndicatorMarkerASet = 217;
constexpr int kChartMarkerBSet = 218;
constexpr int kIndicatorMarkerBSet = 219;
constexpr int kBarClicked = 224;   // ChartViewState::clickedBar was set
constexpr int kBeforeClick = 235;  // posted first on every click
}  // namespace pane_command

}  // namespace tav::desktop
