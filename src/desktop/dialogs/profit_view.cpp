#include "dialogs/profit_view.h"

#include <QApplication>
#include <QClipboard>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QKeySequence>
#include <QLabel>
#include <QLocale>
#include <QMouseEvent>
#include <QPainter>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>
#include <algorithm>

#include "chart/chart_view_state.h"
#include "chart/pane_painting.h"
#include "simulation/insight_export.h"
#include "simulation/number_formats.h"
#include "workspace/workspace.h"

namespace tav::desktop {

namespace {

// Columns holding numbers sort as numbers.
constexpr bool kNumericColumn[kTripColumnCount] = {false, false, false, true, false, true,
                                                   true,  true,  true,  true, true,  false};

// Amounts show with thousands separators and sort by their value.
class AmountItem : public QTableWidgetItem {
  public:
    explicit AmountItem(long long value)
        : QTableWidgetItem(QLocale(QLocale::Japanese).toString(value)), value_(value) {
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        if (auto* amount = dynamic_cast<const AmountItem*>(&other)) return value_ < amount->value_;
        return QTableWidgetItem::operator<(other);
    }

  private:
    long long value_;
};

QString dateText(const Workspace& workspace, int bar) {
    const auto& bars = workspace.series().bars;
    if (bar < 0 || bar >= static_cast<int>(bars.size())) return {};
    return QString::fromStdString(std::string(bars[static_cast<std::size_t>(bar)].dateText()));
}

}  // namespace

ProfitPlot::ProfitPlot(const Workspace& workspace, const ChartViewState& state,
                       const TradeInsight& insight, QWidget* parent)
    : QWidget(parent), workspace_(workspace), state_(state), insight_(insight) {
    setMinimumSize(200, 160);
}

BarAxis ProfitPlot::axis() const {
    return profitAxis(insight_.equity, width(), end_);
}

ProfitScale ProfitPlot::scale() const { return computeProfitScale(insight_.equity, axis(), height()); }

void ProfitPlot::setSelectedTrip(int trip) {
    selected_ = trip;
    // A trade off the plot is brought in, a quarter of the plot from its right.
    if (trip >= 0 && trip < static_cast<int>(insight_.trips.size())) {
        const RoundTrip& chosen = insight_.trips[static_cast<std::size_t>(trip)];
        const BarAxis shown = axis();
        if (chosen.entryBar < shown.oldestVisibleBar() || chosen.exitBar > shown.newestBar())
            end_ = chosen.exitBar + 1 + shown.visibleCount() / 4;
    }
    update();
}

void ProfitPlot::paintEvent(QPaintEvent*) {
    const OptionsRecord& options = workspace_.options();
    auto colour = [&](ColourIndex index) { return options.colour(index); };
    QPainter painter(this);
    painter.fillRect(rect(), toQColor(colour(ColourIndex::chartBackground)));
    const BarAxis ax = axis();
    const ProfitScale sc = scale();
    if (!sc.hasArea() || insight_.equity.empty()) return;
    const int oldest = ax.oldestVisibleBar();

    // The selected trade's span under everything else.
    if (selected_ >= 0 && selected_ < static_cast<int>(insight_.trips.size())) {
        const RoundTrip& trip = insight_.trips[static_cast<std::size_t>(selected_)];
        const int left = ax.x(trip.entryBar) - ax.pitch / 2;
        const int right = ax.x(trip.exitBar) + ax.pitch / 2;
        painter.fillRect(QRect(QPoint(left, sc.equityTop), QPoint(right, sc.drawdownBottom)),
                         toQColor(colour(ColourIndex::priceGuide)));
    }
    painter.setPen(thinPen(colour(ColourIndex::priceGuide)));
    for (int y : {sc.equityTop, sc.equityBottom, sc.drawdownTop, sc.drawdownBottom})
        painter.drawLine(0, y, width(), y);

    // Drawdown: a bar down from the zero line per bar under water.
    painter.setPen(thinPen(colour(ColourIndex::risingBody), std::max(1, ax.pitch - 1)));
    for (int bar = oldest; bar < ax.endCount; ++bar) {
        const EquityPoint* point = pointOf(insight_.equity, bar);
        if (point && point->drawdown < 0)
            painter.drawLine(ax.x(bar), sc.drawdownTop, ax.x(bar), sc.drawdownY(point->drawdown));
    }
    // The curve, broken outside the run.
    painter.setPen(thinPen(colour(ColourIndex::maMid), 2));
    PolylineBuilder line;
    for (int bar = oldest - 1; bar < ax.endCount; ++bar) {
        const EquityPoint* point = pointOf(insight_.equity, bar);
        if (point)
            line.add(ax.x(bar), sc.equityY(point->equity));
        else
            line.breakLine(painter);
    }
    line.finish(painter);

    // Entries as upward (long) or downward (short) triangles, exits as boxes.
    tripMarkers(insight_.trips, insight_.equity, ax, sc, markers_);
    for (const TripMarker& marker : markers_) {
        const RoundTrip& trip = insight_.trips[static_cast<std::size_t>(marker.trip)];
        const ColourRef c = marker.exit ? colour(ColourIndex::fallingBody)
                                        : colour(ColourIndex::risingBody);
        painter.setPen(thinPen(c));
        painter.setBrush(toQColor(c));
        if (marker.exit) {
            painter.drawRect(marker.x - 3, marker.y - 3, 6, 6);
        } else {
            const int d = trip.side == 1 ? 1 : -1;
            const QPoint triangle[] = {{marker.x, marker.y - 5 * d},
                                       {marker.x - 4, marker.y + 3 * d},
                                       {marker.x + 4, marker.y + 3 * d}};
            painter.drawPolygon(triangle, 3);
        }
    }
    painter.setBrush(Qt::NoBrush);

    // Amounts of the scale and the dates of the axis ends.
    painter.setPen(toQColor(colour(ColourIndex::lineChart)));
    const QFontMetrics metrics = fontMetrics();
    painter.drawText(2, sc.equityTop - 4, QString::fromStdString(amountText(sc.equityMax)));
    painter.drawText(2, sc.equityBottom - 2, QString::fromStdString(amountText(sc.equityMin)));
    painter.drawText(2, sc.drawdownBottom - 2, QString::fromStdString(amountText(sc.drawdownMin)));
    const int baseline = height() - metrics.descent() - 1;
    painter.drawText(2, baseline, dateText(workspace_, std::max(oldest, 0)));
    const QString newest = dateText(workspace_, ax.newestBar());
    painter.drawText(ax.rightX() - metrics.horizontalAdvance(newest) / 2, baseline, newest);
}

void ProfitPlot::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    tripMarkers(insight_.trips, insight_.equity, axis(), scale(), markers_);
    const int trip = tripAt(markers_, at.x(), at.y());
    if (trip >= 0) emit tripClicked(trip);
}

ProfitView::ProfitView(const Workspace& workspace, const ChartViewState& state, QWidget* parent)
    : QWidget(parent, Qt::Window),
      workspace_(workspace),
      plot_(new ProfitPlot(workspace, state, insight_, this)),
      table_(new QTableWidget(this)),
      figures_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("損益"));
    setObjectName(QStringLiteral("ProfitView"));
    resize(960, 540);
    table_->setColumnCount(kTripColumnCount);
    QStringList headers;
    for (std::string_view header : kTripColumnHeaders)
        headers << QString::fromUtf8(header.data(), static_cast<qsizetype>(header.size()));
    table_->setHorizontalHeaderLabels(headers);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->verticalHeader()->hide();
    table_->setSortingEnabled(true);
    table_->setContextMenuPolicy(Qt::ActionsContextMenu);
    auto* copy = new QAction(QStringLiteral("コピー"), table_);
    copy->setShortcut(QKeySequence::Copy);
    copy->setShortcutContext(Qt::WidgetWithChildrenShortcut);
    connect(copy, &QAction::triggered, this, [this] { copyTradeList(); });
    table_->addAction(copy);
    connect(table_, &QTableWidget::cellDoubleClicked, this, [this](int row, int) {
        if (const QTableWidgetItem* item = table_->item(row, 0))
            showTrip(item->data(Qt::UserRole).toInt());
    });
    // Choosing a trade in the list brings it into the plot (and the chart).
    connect(table_, &QTableWidget::currentCellChanged, this, [this](int row, int) {
        const QTableWidgetItem* item = row >= 0 ? table_->item(row, 0) : nullptr;
        if (item && item->data(Qt::UserRole).toInt() != plot_->selectedTrip())
            showTrip(item->data(Qt::UserRole).toInt());
    });
    connect(plot_, &ProfitPlot::tripClicked, this, [this](int trip) {
        plot_->setSelectedTrip(trip);
        for (int row = 0; row < table_->rowCount(); ++row)
            if (table_->item(row, 0)->data(Qt::UserRole).toInt() == trip) table_->selectRow(row);
    });

    auto* side = new QVBoxLayout;
    side->addWidget(figures_);
    side->addWidget(table_, 1);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(plot_, 3);
    layout->addLayout(side, 2);
    refresh();
}

void ProfitView::refresh() {
    // Trades of another security or strategy must not meet these prices.
    static const TradeJournal kNoTrades;
    const StrategyDisplay& display = workspace_.strategyDisplay;
    computeInsight(workspace_.series().bars,
                   workspace_.strategyDisplayCurrent() ? display.journal : kNoTrades, insight_);
    if (insight_.trips != shownTrips_ || table_->rowCount() != static_cast<int>(shownTrips_.size()))
        rebuildTable();
    figures_->setText(figuresText());
    plot_->update();
}

QString ProfitView::figuresText() const {
    if (insight_.equity.empty()) return QStringLiteral("売買戦略の結果がありません");
    const MaxDrawdown& dd = insight_.maxDrawdown;
    QString text = QStringLiteral("最大ドローダウン %1 (%2)")
                       .arg(QString::fromStdString(amountText(dd.amount)),
                            QString::fromStdString(percentText(dd.percent)));
    if (dd.troughBar >= 0) {
        text += QStringLiteral("  %1 → %2").arg(dateText(workspace_, dd.peakBar),
                                                dateText(workspace_, dd.troughBar));
        text += dd.recoveryBar >= 0
                    ? QStringLiteral("  回復 %1").arg(dateText(workspace_, dd.recoveryBar))
                    : QStringLiteral("  未回復");
    }
    text += QStringLiteral("\n最長含み損期間 %1本").arg(insight_.longestUnderWater);
    text += QStringLiteral("   投資比率 %1").arg(
        QString::fromStdString(percentText(insight_.exposure * 100)));
    text += QStringLiteral("   年率 %1").arg(
        QString::fromStdString(percentText(insight_.annualReturn * 100)));
    return text;
}

void ProfitView::rebuildTable() {
    shownTrips_ = insight_.trips;
    const auto& bars = workspace_.series().bars;
    const auto& names = workspace_.strategyDisplay.tacticNames;
    table_->setSortingEnabled(false);
    table_->clearContents();
    table_->setRowCount(static_cast<int>(shownTrips_.size()));
    for (std::size_t k = 0; k < shownTrips_.size(); ++k) {
        const auto cells = tripCells(shownTrips_[k], bars, names, true);
        for (int column = 0; column < kTripColumnCount; ++column) {
            const std::string& cell = cells[static_cast<std::size_t>(column)];
            QTableWidgetItem* item = kNumericColumn[column]
                                         ? new AmountItem(std::stoll(cell))
                                         : new QTableWidgetItem(QString::fromStdString(cell));
            if (column == 0) item->setData(Qt::UserRole, static_cast<int>(k));
            table_->setItem(static_cast<int>(k), column, item);
        }
    }
    table_->setSortingEnabled(true);
    table_->resizeColumnsToContents();
    plot_->setSelectedTrip(-1);
}

std::string ProfitView::tradeListText() const {
    std::vector<RoundTrip> trips;
    const auto selected = table_->selectionModel()->selectedRows();
    for (int row = 0; row < table_->rowCount(); ++row) {
        if (!selected.isEmpty() && !table_->selectionModel()->isRowSelected(row)) continue;
        const int trip = table_->item(row, 0)->data(Qt::UserRole).toInt();
        if (trip >= 0 && trip < static_cast<int>(shownTrips_.size()))
            trips.push_back(shownTrips_[static_cast<std::size_t>(trip)]);
    }
    return tripsTabText(trips, workspace_.series().bars, workspace_.strategyDisplay.tacticNames);
}

void ProfitView::copyTradeList() const {
    QApplication::clipboard()->setText(QString::fromStdString(tradeListText()));
}

void ProfitView::showTrip(int trip) {
    if (trip < 0 || trip >= static_cast<int>(insight_.trips.size())) return;
    plot_->setSelectedTrip(trip);
    if (onShowBar) onShowBar(insight_.trips[static_cast<std::size_t>(trip)].exitBar);
    plot_->update();
}

}  // namespace tav::desktop
