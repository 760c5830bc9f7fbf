#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <optional>

#include "chart/chart_geometry.h"
#include "chart/chart_view_state.h"

namespace tav {
class Workspace;
}

namespace tav::desktop {

// The stack of indicator graphs under the chart, bar for bar with it (same
// pitch, newest bar and right margin). The screen shown, graphs per screen
// and display order come from the options; paging screens is the main
// window's. Mouse handling and the cached image work as in ChartPane.
class IndicatorPane : public QWidget {
    Q_OBJECT
  public:
    IndicatorPane(Workspace& workspace, ChartViewState& state, QWidget* parent = nullptr);

    BarAxis axis() const;
    // The main window labels the graphs from this (pane coordinates).
    IndicatorLayout layout() const;
    // Indicator at position g of the screen shown, or nothing for an empty position.
    std::optional<IndicatorId> indicatorAt(int g) const;

    int crosshairX() const { return crosshair_ ? crosshair_->x() : -1; }
    // A vertical line mirroring the chart's crosshair (command 127); -1 removes it.
    void setMirroredCursorX(int x);
    // Deactivation: no hovered bar, no crosshair. Posts 108.
    void clearHover();
    void refresh();

  signals:
    void commandPosted(int id);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void renderGraphs();
    void repaintOverlay();
    void setHoverBar(int bar);

    Workspace& workspace_;
    ChartViewState& state_;
    QImage image_;
    bool overlayOnlyPaint_ = false;
    std::optional<QPoint> crosshair_;
    int mirroredX_ = -1;
};

}  // namespace tav::desktop
