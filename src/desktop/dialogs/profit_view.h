#pragma once

#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "chart/profit_geometry.h"
#include "simulation/trade_insight.h"

class QLabel;
class QTableWidget;

namespace tav {
class Workspace;
}

namespace tav::desktop {

struct ChartViewState;

// The equity curve of the strategy on display with its drawdown below, on the
// chart's bar axis, with the entry and exit marks of its trades.
class ProfitPlot : public QWidget {
    Q_OBJECT
  public:
    ProfitPlot(const Workspace& workspace, const ChartViewState& state,
               const TradeInsight& insight, QWidget* parent = nullptr);

    BarAxis axis() const;
    ProfitScale scale() const;
    void setSelectedTrip(int trip);
    int selectedTrip() const { return selected_; }

  signals:
    void tripClicked(int trip);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    const Workspace& workspace_;
    const ChartViewState& state_;
    const TradeInsight& insight_;
    std::vector<TripMarker> markers_;
    int selected_ = -1;
    int end_ = 0;  // newest bar + 1 of a run too long for the plot; 0: the run's end
};

// The "損益" window: the plot, the figures of the run and the sortable trade
// list. Double-clicking a trade asks the chart to show it; the list copies to
// the clipboard as tab-separated text.
class ProfitView : public QWidget {
    Q_OBJECT
  public:
    ProfitView(const Workspace& workspace, const ChartViewState& state,
               QWidget* parent = nullptr);

    // Called with a bar the chart should bring into view.
    std::function<void(int bar)> onShowBar;

    // Re-reads the last display run; the list is rebuilt only when its trades
    // changed.
    void refresh();
    const TradeInsight& insight() const { return insight_; }
    ProfitPlot& plot() { return *plot_; }
    QTableWidget& table() { return *table_; }
    QString figuresText() const;

    // The trade list in its current order as tab-separated text, header first;
    // the selected rows only when some are selected.
    std::string tradeListText() const;
    void copyTradeList() const;
    // Selects a trade in the plot and the list, and asks the chart to show it.
    void showTrip(int trip);

  private:
    void rebuildTable();

    const Workspace& workspace_;
    TradeInsight insight_;
    std::vector<RoundTrip> shownTrips_;
    ProfitPlot* plot_;
    QTableWidget* table_;
    QLabel* figures_;
};

}  // namespace tav::desktop
