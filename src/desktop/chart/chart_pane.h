#pragma once

#include <QImage>
#include <QPoint>
#include <QWidget>
#include <optional>

#include "chart/chart_geometry.h"
#include "chart/chart_view_state.h"
#include "chart_lines/trend_line_cache.h"

namespace tav {
class Workspace;
}

namespace tav::desktop {

// The price chart of the loaded series: price bars, the overlay, price marks,
// volume, margin balances, markers, the strategy's signal strip and the
// stored trend lines. It draws from the workspace's series and options and
// the shared view state, and talks back only by posting command ids (the
// ChartViewState fields it changed are set first).
//
// The chart is rendered into an image on a full paint; moving the crosshair
// or the rubber band only draws over that image.
class ChartPane : public QWidget {
    Q_OBJECT
  public:
    ChartPane(Workspace& workspace, ChartViewState& state, QWidget* parent = nullptr);

    // Placement and scale as the next paint will use them; the main window
    // labels the price scale with scale().guides (pane coordinates).
    BarAxis axis() const;
    PriceScale scale() const;
    // Bars that fit the current width (scrolling and paging bounds).
    int visibleCount() const { return axis().visibleCount(); }

    // The crosshair's column, or -1 when there is none (command 127).
    int crosshairX() const { return crosshair_ ? crosshair_->x() : -1; }
    // A vertical line mirroring the indicator pane's crosshair (command 128);
    // -1 removes it.
    void setMirroredCursorX(int x);
    // Command 107 and deactivation: no hovered bar, no crosshair. Posts 106.
    void clearHover();
    // The chart content changed in a way a repaint of the parent would not
    // tell: rebuild the image and repaint.
    void refresh();
    // Deletes the shown security's newest stored trend line, or all of them.
    void deleteTrendLines(bool all);

  signals:
    void commandPosted(int id);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void leaveEvent(QEvent* event) override;

  private:
    void renderChart();
    void repaintOverlay();
    void setHoverBar(int bar);

    Workspace& workspace_;
    ChartViewState& state_;
    QImage image_;
    bool overlayOnlyPaint_ = false;
    std::optional<QPoint> crosshair_;
    int mirroredX_ = -1;
    std::optional<QPoint> rubberStart_;
    std::optional<QPoint> rubberEnd_;
    // The stored lines, read again only when their file changes.
    TrendLineCache trendLines_;
};

}  // namespace tav::desktop
