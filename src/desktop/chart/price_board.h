#pragma once

#include <QWidget>

#include "chart/chart_view_state.h"
#include "chart_lines/day_levels.h"
#include "panes/row_scroll.h"

namespace tav {
class Workspace;
}

namespace tav::desktop {

// The panel right of the chart: the values of one bar (the bar under the
// chart or indicator cursor, else the clicked bar, else the newest), or the
// day-trading level list of that bar.
class PriceBoard : public QWidget {
    Q_OBJECT
  public:
    PriceBoard(Workspace& workspace, ChartViewState& state, QWidget* parent = nullptr);

    // The narrowest board on which the widest fields (date, 高安差, the volume
    // change) fit in the given font, values starting a third of the way in.
    static int fittingWidth(const QFontMetrics& metrics);

    // The bar shown, or kNoBar for an empty series.
    int shownBar() const;

    // Shows the level list of the bar shown, writes it once to "Layer.txt"
    // and opens that file with the desktop's handler. A left click on the
    // board toggles the list the same way.
    void showLevelList();
    void hideLevelList();
    bool levelListShown() const { return levelListShown_; }
    // Rows past the bottom are reached with this bar (or the wheel).
    RowScroll& rowScroll() { return *scroll_; }

  signals:
    void commandPosted(int id);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    Workspace& workspace_;
    ChartViewState& state_;
    bool levelListShown_ = false;
    RowScroll* scroll_;
};

}  // namespace tav::desktop
