#include "dialogs/optimize_result_view.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLinearGradient>
#include <QMouseEvent>
#include <QPainter>
#include <QPainterPath>
#include <QPushButton>
#include <QScrollBar>
#include <QStyle>
#include <QTabWidget>
#include <QTableWidget>
#include <QToolTip>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <cstdlib>

#include "dialogs/optimize_dialog.h"
#include "simulation/number_formats.h"
#include "simulation/strategy_list.h"

namespace tav::desktop {

namespace {

// A table cell that sorts by its number, not its text.
class NumberItem : public QTableWidgetItem {
  public:
    NumberItem(const QString& text, double key) : QTableWidgetItem(text), key_(key) {
        setTextAlignment(Qt::AlignRight | Qt::AlignVCenter);
        setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
    }
    bool operator<(const QTableWidgetItem& other) const override {
        if (const auto* number = dynamic_cast<const NumberItem*>(&other))
            return key_ < number->key_;
        return QTableWidgetItem::operator<(other);
    }

  private:
    double key_;
};

QString qt(const std::string& text) {
    return QString::fromStdString(text);
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

std::string yen(int64_t value) {
    return amountText(value) + "円";
}

std::string dateText(int32_t date) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d/%02d/%02d", date / 10000 % 10000, date / 100 % 100,
                  date % 100);
    return text;
}

// "12% です", and at the ends "99% を超えます" / "1% 未満です" rather than a
// rounded 100% or 0% that no finite test can give.
std::string probabilityPhrase(double probability) {
    const auto percent = static_cast<int>(std::lround(probability * 100));
    if (percent >= 100 && probability < 1) return "99% を超えます";
    if (percent <= 0 && probability > 0) return "1% 未満です";
    return std::to_string(percent) + "% です";
}

// The values of a point, "戦術1 買い 1行目 n = 10、分析 ＲＳＩ期間 = 9".
std::string pointValues(const OptimizeOutcome& outcome, int point, const char* separator) {
    std::string text;
    const ParameterPoint& at = outcome.report.data.points[static_cast<std::size_t>(point)].point;
    for (std::size_t s = 0; s < outcome.sweeps.size(); ++s) {
        if (s > 0) text += separator;
        text += outcome.labels[s] + " = " +
                std::to_string(outcome.sweeps[s].values[static_cast<std::size_t>(at[s])]);
    }
    return text;
}

// Each column as wide as its widest text, header included (with room for
// the sort mark): a clipped number loses its minus sign without a trace.
void fitColumns(QTableWidget& table) {
    table.resizeColumnsToContents();
    const QFontMetrics cells(table.font());
    const QFontMetrics headers(table.horizontalHeader()->font());
    QStyle* style = table.style();
    const int headerPadding =
        2 * style->pixelMetric(QStyle::PM_HeaderMargin, nullptr, table.horizontalHeader()) + 8 +
        (table.isSortingEnabled()
             ? style->pixelMetric(QStyle::PM_HeaderMarkSize, nullptr, table.horizontalHeader())
             : 0);
    const int cellPadding = 2 * style->pixelMetric(QStyle::PM_FocusFrameHMargin) + 10;
    for (int c = 0; c < table.columnCount(); ++c) {
        int width = table.columnWidth(c);
        if (const QTableWidgetItem* header = table.horizontalHeaderItem(c))
            width = std::max(width, headers.horizontalAdvance(header->text()) + headerPadding);
        for (int r = 0; r < table.rowCount(); ++r)
            if (const QTableWidgetItem* item = table.item(r, c))
                width = std::max(width, cells.horizontalAdvance(item->text()) + cellPadding);
        table.setColumnWidth(c, width);
    }
}

// The height that shows the header and `rows` rows whole.
int rowsHeight(const QTableWidget& table, int rows) {
    const int row = table.rowCount() > 0 ? table.rowHeight(0) : table.fontMetrics().height() + 8;
    return table.horizontalHeader()->sizeHint().height() + rows * row + 2 * table.frameWidth() +
           table.horizontalScrollBar()->sizeHint().height();
}

constexpr const char* kMetricHeaders[] = {"純利益",     "取引数",    "勝率",     "PF",
                                          "期待値",     "最大DD",    "回復係数", "シャープ",
                                          "ソルティノ", "最低取引数"};

// The metric column an objective ranks by.
std::size_t objectiveColumn(Objective objective) {
    constexpr std::size_t kColumns[] = {0, 3, 2, 4, 5, 6, 7, 8};
    return kColumns[static_cast<std::size_t>(objective)];
}

}  // namespace

double objectiveValue(const Metrics& metrics, Objective objective) {
    return objective == Objective::MaxDrawdown ? static_cast<double>(metrics.maxDrawdown)
                                               : score(metrics, objective);
}

std::string objectiveText(double value, Objective objective) {
    switch (objective) {
        case Objective::NetProfit:
        case Objective::Expectancy:
        case Objective::MaxDrawdown:
            return yen(static_cast<int64_t>(std::llround(value)));
        case Objective::WinRate:
            return fixed(value, 1) + "%";
        default:
            return fixed(value, 2);
    }
}

std::string shortObjectiveText(double value, Objective objective) {
    switch (objective) {
        case Objective::NetProfit:
        case Objective::Expectancy:
        case Objective::MaxDrawdown: {
            // Hundred millions or ten thousands, so that a cell stays narrow.
            if (std::fabs(value) >= 100'000'000) return fixed(value / 100'000'000, 2) + "億";
            if (std::fabs(value) >= 100'000) return fixed(value / 10'000, 1) + "万";
            return amountText(static_cast<int64_t>(std::llround(value)));
        }
        case Objective::WinRate:
            return fixed(value, 1);
        default:
            return fixed(value, 2);
    }
}

std::string overfittingSentence(const OptimizeOutcome& outcome) {
    const OptimizationReport& report = outcome.report;
    const auto trials = static_cast<int>(report.data.points.size());
    if (trials < kLeastTrials)
        return "PBO：組み合わせが " + std::to_string(trials) +
               " 通りと少ないため計算していません（" + std::to_string(kLeastTrials) +
               " 通り以上で計算します）。";
    if (!report.pbo) return "PBO：期間が短く検証用に分けられないため計算していません。";
    return "PBO：最良の組み合わせが検証期間で中央値を下回る確率は " +
           probabilityPhrase(report.pbo->probability) + "（" +
           std::to_string(report.pbo->logits.size()) + " 通りの分け方で判定）。";
}

std::string deflatedSharpeSentence(const OptimizeOutcome& outcome) {
    const OptimizationReport& report = outcome.report;
    const auto trials = static_cast<int>(report.data.points.size());
    if (trials < kLeastTrials)
        return "DSR：組み合わせが " + std::to_string(trials) +
               " 通りと少ないため計算していません。";
    if (!report.deflated) return "DSR：最低取引数を満たす組み合わせがないため計算していません。";
    return "DSR：試行回数を考慮したシャープレシオが偶然でない確率は " +
           probabilityPhrase(report.deflated->probability) + "。";
}

std::string monteCarloSentence(const OptimizeOutcome& outcome) {
    const int asked = outcome.options.monteCarloRuns;
    if (asked <= 0) return {};
    const std::optional<TradeMonteCarlo>& mc = outcome.report.monteCarlo;
    if (!mc) return "モンテカルロ：最低取引数を満たす組み合わせがないため計算していません。";
    if (mc->runs == 0) return "モンテカルロ：最良の組み合わせに取引がないため計算していません。";
    auto range = [](const std::array<int64_t, 3>& at) {
        return "5%〜95% で " + amountText(at[0]) + "〜" + yen(at[2]) + "（中央値 " + yen(at[1]) +
               "）";
    };
    return "モンテカルロ（取引を無作為に引き直して " + amountText(mc->runs) +
           " 回）：最大ドローダウンは " + range(mc->drawdown) + "、最終資産は " +
           range(mc->finalEquity) + "です。";
}

// ---------------------------------------------------------------- heat map

HeatMapView::HeatMapView(const OptimizeOutcome& outcome, QWidget* parent)
    : QWidget(parent), outcome_(outcome) {
    setMouseTracking(true);
    setMinimumSize(240, 160);
    setAxes(0, outcome.sweeps.size() > 1 ? 1 : -1);
}

double HeatMapView::scoreOf(int point) const {
    return score(outcome_.report.metrics[static_cast<std::size_t>(point)],
                 outcome_.options.objective);
}

void HeatMapView::setAxes(int xSweep, int ySweep) {
    xSweep_ = xSweep;
    ySweep_ = ySweep;
    const OptimizationReport& report = outcome_.report;
    std::vector<ParameterPoint> points;
    for (const PointRun& run : report.data.points)
        points.push_back(run.point);
    slice_ = heatMapSlice(outcome_.sweeps, points, report.best, xSweep, ySweep);
    bool first = true;
    for (int point : slice_.points) {
        if (point < 0) continue;
        const double s = scoreOf(point);
        worst_ = first ? s : std::min(worst_, s);
        best_ = first ? s : std::max(best_, s);
        first = false;
    }
    update();
}

QString HeatMapView::cellText(int column, int row) const {
    const int point = slice_.pointAt(column, row);
    if (point < 0) return QStringLiteral("－");
    return qt(
        shortObjectiveText(objectiveValue(outcome_.report.metrics[static_cast<std::size_t>(point)],
                                          outcome_.options.objective),
                           outcome_.options.objective));
}

HeatMapTexts HeatMapView::texts() const {
    const QFontMetrics metrics(font());
    HeatMapTexts texts;
    texts.lineHeight = metrics.height();
    for (int value : slice_.xValues)
        texts.xLabelWidth =
            std::max(texts.xLabelWidth, metrics.horizontalAdvance(QString::number(value)));
    if (ySweep_ >= 0)
        for (int value : slice_.yValues)
            texts.yLabelWidth =
                std::max(texts.yLabelWidth, metrics.horizontalAdvance(QString::number(value)));
    for (int row = 0; row < slice_.rows(); ++row)
        for (int column = 0; column < slice_.columns(); ++column)
            texts.cellTextWidth =
                std::max(texts.cellTextWidth, metrics.horizontalAdvance(cellText(column, row)));
    const Objective objective = outcome_.options.objective;
    const double ends[] = {objective == Objective::MaxDrawdown ? -best_ : best_,
                           objective == Objective::MaxDrawdown ? -worst_ : worst_};
    for (double end : ends)
        texts.legendTextWidth =
            std::max(texts.legendTextWidth,
                     metrics.horizontalAdvance(qt(shortObjectiveText(end, objective))));
    return texts;
}

HeatMapLayout HeatMapView::layout() const {
    return layoutHeatMap(slice_.columns(), slice_.rows(), width(), height(), texts());
}

void HeatMapView::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    const HeatMapLayout at = layout();
    if (!at.valid()) return;
    const QFontMetrics metrics(font());
    const Objective objective = outcome_.options.objective;
    for (int row = 0; row < at.rows; ++row)
        for (int column = 0; column < at.columns; ++column) {
            const HeatMapBox box = at.cell(column, row);
            const QRect area(box.x, box.y, box.width, box.height);
            const int point = slice_.pointAt(column, row);
            if (point < 0) {
                painter.fillRect(area, QColor(225, 225, 225));
            } else {
                const HeatColour colour = heatColour(heatPosition(scoreOf(point), worst_, best_));
                painter.fillRect(area, QColor(colour.red, colour.green, colour.blue));
                painter.setPen(darkTextOn(colour) ? Qt::black : Qt::white);
            }
            if (at.showValues) {
                if (point < 0) painter.setPen(QColor(90, 90, 90));
                painter.drawText(area, Qt::AlignCenter, cellText(column, row));
            }
        }
    // Thin lines between the cells.
    painter.setPen(QPen(palette().base().color(), 1));
    for (int column = 1; column < at.columns; ++column) {
        const int x = at.grid.x + column * at.cellWidth;
        painter.drawLine(x, at.grid.y, x, at.grid.y + at.grid.height - 1);
    }
    for (int row = 1; row < at.rows; ++row) {
        const int y = at.grid.y + row * at.cellHeight;
        painter.drawLine(at.grid.x, y, at.grid.x + at.grid.width - 1, y);
    }
    // The best cell: a black frame inside a white one, seen on any colour.
    if (slice_.bestColumn >= 0) {
        const HeatMapBox box = at.cell(slice_.bestColumn, slice_.bestRow);
        painter.setBrush(Qt::NoBrush);
        painter.setPen(QPen(Qt::white, 3));
        painter.drawRect(QRect(box.x + 1, box.y + 1, box.width - 3, box.height - 3));
        painter.setPen(QPen(Qt::black, 2));
        painter.drawRect(QRect(box.x + 3, box.y + 3, box.width - 7, box.height - 7));
    }
    // Axis values.
    painter.setPen(palette().text().color());
    for (int column = 0; column < at.columns; column += at.xLabelStep) {
        const QString text = QString::number(slice_.xValues[static_cast<std::size_t>(column)]);
        const int width = metrics.horizontalAdvance(text);
        painter.drawText(at.xLabelCentre(column) - width / 2, at.xLabelTop() + metrics.ascent(),
                         text);
    }
    if (ySweep_ >= 0)
        for (int row = 0; row < at.rows; row += at.yLabelStep) {
            const QString text = QString::number(slice_.yValues[static_cast<std::size_t>(row)]);
            painter.drawText(at.yLabelRight() - metrics.horizontalAdvance(text),
                             at.yLabelCentre(row) - metrics.height() / 2 + metrics.ascent(), text);
        }
    // The legend: the best at the top.
    const QRect bar(at.legend.x, at.legend.y, at.legend.width, at.legend.height);
    QLinearGradient gradient(bar.bottomLeft(), bar.topLeft());
    for (int stop = 0; stop <= 8; ++stop) {
        const HeatColour colour = heatColour(stop / 8.0);
        gradient.setColorAt(stop / 8.0, QColor(colour.red, colour.green, colour.blue));
    }
    painter.fillRect(bar, gradient);
    painter.setPen(palette().text().color());
    painter.drawRect(bar.adjusted(0, 0, -1, -1));
    const double shownBest = objective == Objective::MaxDrawdown ? -best_ : best_;
    const double shownWorst = objective == Objective::MaxDrawdown ? -worst_ : worst_;
    painter.drawText(bar.right() + 6, bar.top() + metrics.ascent(),
                     qt(shortObjectiveText(shownBest, objective)));
    painter.drawText(bar.right() + 6, bar.bottom() - metrics.descent(),
                     qt(shortObjectiveText(shownWorst, objective)));
}

void HeatMapView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    const auto cell = layout().cellAt(at.x(), at.y());
    if (!cell) {
        QToolTip::hideText();
        return;
    }
    const int point = slice_.pointAt(cell->first, cell->second);
    if (point < 0) {
        QToolTip::showText(event->globalPosition().toPoint(),
                           QStringLiteral("この組み合わせは試していません"), this);
        return;
    }
    const Metrics& m = outcome_.report.metrics[static_cast<std::size_t>(point)];
    const std::string text =
        pointValues(outcome_, point, "\n") + "\n" +
        std::string(kObjectiveLabels[static_cast<std::size_t>(outcome_.options.objective)]) + "：" +
        objectiveText(objectiveValue(m, outcome_.options.objective), outcome_.options.objective) +
        "\n純利益：" + yen(m.net) + "\n取引数：" + std::to_string(m.trades) + "回";
    QToolTip::showText(event->globalPosition().toPoint(), qt(text), this);
}

void HeatMapView::mousePressEvent(QMouseEvent* event) {
    const QPoint at = event->position().toPoint();
    if (const auto cell = layout().cellAt(at.x(), at.y())) {
        const int point = slice_.pointAt(cell->first, cell->second);
        if (point >= 0) emit pointClicked(point);
    }
}

// ------------------------------------------------------------ walk-forward

WalkForwardChart::WalkForwardChart(const OptimizeOutcome& outcome, QWidget* parent)
    : QWidget(parent), outcome_(outcome) {
    setMouseTracking(true);
    setMinimumSize(300, 180);
    if (outcome.report.walkForward)
        equity_ = stitchedEquity(*outcome.report.walkForward, outcome.report.days());
}

int WalkForwardChart::labelWidth() const {
    const QFontMetrics metrics(font());
    int width = metrics.horizontalAdvance(QStringLiteral("第99期"));
    for (int64_t value : equity_)
        width = std::max(width, metrics.horizontalAdvance(qt(amountText(value))));
    return width;
}

WalkForwardPlot WalkForwardChart::plot() const {
    const QFontMetrics metrics(font());
    const int windows = outcome_.report.walkForward
                            ? static_cast<int>(outcome_.report.walkForward->windows.size())
                            : 0;
    return layoutWalkForward(outcome_.report.days(), windows, equity_, width(), height(),
                             labelWidth(), metrics.height());
}

QString WalkForwardChart::windowText(int window) const {
    const WalkForward& walk = *outcome_.report.walkForward;
    const WalkForwardWindow& w = walk.windows[static_cast<std::size_t>(window)];
    const auto& dates = outcome_.report.data.dates;
    auto span = [&](int first, int last) {
        return first < last ? dateText(dates[static_cast<std::size_t>(first)]) + "〜" +
                                  dateText(dates[static_cast<std::size_t>(last - 1)])
                            : std::string("なし");
    };
    std::string text = "第" + std::to_string(window + 1) + "期\n最適化期間：" +
                       span(w.inFirst, w.inLast) + "\n検証期間：" + span(w.outFirst, w.outLast) +
                       "\n";
    text += w.chosen < 0 ? std::string("条件を満たす組み合わせなし")
                         : "選ばれた値：" + pointValues(outcome_, w.chosen, "、");
    text += "\n検証期間の損益：" + yen(w.outOfSample.net) + "（" +
            std::to_string(w.outOfSample.trades) + "回）";
    return qt(text);
}

void WalkForwardChart::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().base());
    if (!outcome_.report.walkForward) return;
    const WalkForward& walk = *outcome_.report.walkForward;
    const WalkForwardPlot at = plot();
    if (!at.valid()) return;
    const QFontMetrics metrics(font());
    const QColor text = palette().text().color();
    painter.setPen(text);
    // The legend: what the two colours stand for.
    const QColor inColour(110, 145, 210);
    const QColor outColour(235, 150, 70);
    int x = at.left;
    for (const auto& [colour, name] : {std::pair{inColour, QStringLiteral("最適化期間")},
                                       std::pair{outColour, QStringLiteral("検証期間")}}) {
        const int box = metrics.ascent() - 2;
        painter.fillRect(QRect(x, at.legendTop + (metrics.height() - box) / 2, box, box), colour);
        x += box + 4;
        painter.setPen(text);
        painter.drawText(x, at.legendTop + metrics.ascent(), name);
        x += metrics.horizontalAdvance(name) + 16;
    }
    // One lane per window: its in-sample span, then its out-of-sample span.
    for (std::size_t w = 0; w < walk.windows.size(); ++w) {
        const WalkForwardWindow& window = walk.windows[w];
        const int top = at.laneTop(static_cast<int>(w));
        const int height = std::max(at.laneHeight() - 1, 1);
        const int inX = at.dayX(window.inFirst);
        const int outX = at.dayX(window.outFirst);
        painter.fillRect(QRect(inX, top, std::max(1, at.dayX(window.inLast) - inX), height),
                         inColour);
        painter.fillRect(QRect(outX, top, std::max(1, at.dayX(window.outLast) - outX), height),
                         outColour);
        // The out-of-sample span shaded down through the equity area, every
        // other one, so that neighbours stay apart.
        if (w % 2 == 0) {
            QColor band = outColour;
            band.setAlpha(35);
            painter.fillRect(QRect(outX, at.equityTop, std::max(1, at.dayX(window.outLast) - outX),
                                   at.equityBottom - at.equityTop),
                             band);
        }
    }
    // Window numbers beside the lanes when a lane is a line high.
    if (at.laneHeight() >= metrics.height() - 2) {
        painter.setPen(text);
        for (std::size_t w = 0; w < walk.windows.size(); ++w) {
            const QString number = QStringLiteral("第%1期").arg(w + 1);
            painter.drawText(
                QRect(0, at.laneTop(static_cast<int>(w)), at.left - 6, at.laneHeight()),
                Qt::AlignRight | Qt::AlignVCenter, number);
        }
    }
    // Scale: zero dashed, the top and bottom amounts.
    painter.setPen(QPen(QColor(150, 150, 150), 1, Qt::DashLine));
    painter.drawLine(at.left, at.equityY(0), at.right, at.equityY(0));
    painter.setPen(text);
    painter.drawRect(
        QRect(at.left, at.equityTop, at.right - at.left, at.equityBottom - at.equityTop));
    for (int64_t value : {at.high, at.low, int64_t{0}}) {
        // Zero is labelled only clear of the two ends.
        if (value == 0 && (value == at.high || value == at.low ||
                           std::abs(at.equityY(0) - at.equityY(at.high)) < metrics.height() ||
                           std::abs(at.equityY(0) - at.equityY(at.low)) < metrics.height()))
            continue;
        const QString label = qt(amountText(value));
        painter.drawText(at.left - 4 - metrics.horizontalAdvance(label),
                         at.equityY(value) - metrics.height() / 2 + metrics.ascent(), label);
    }
    // Year marks under the equity area.
    const auto& dates = outcome_.report.data.dates;
    int lastLabelEnd = -1000;
    for (std::size_t d = 0; d < dates.size(); ++d) {
        if (d > 0 && dates[d] / 10000 == dates[d - 1] / 10000) continue;
        const int x = at.dayX(static_cast<int>(d));
        const QString year = QString::number(dates[d] / 10000);
        if (x < lastLabelEnd + 6 || x + 2 + metrics.horizontalAdvance(year) > width()) continue;
        painter.drawLine(x, at.equityBottom, x, at.equityBottom + 3);
        painter.drawText(x + 2, at.equityBottom + 2 + metrics.ascent(), year);
        lastLabelEnd = x + 2 + metrics.horizontalAdvance(year);
    }
    // The stitched equity from the first out-of-sample day on.
    if (walk.stitchedFirst < walk.stitchedLast) {
        QPainterPath path;
        path.moveTo(at.dayX(walk.stitchedFirst), at.equityY(0));
        for (int d = walk.stitchedFirst; d < walk.stitchedLast; ++d)
            path.lineTo(at.dayX(d + 1), at.equityY(equity_[static_cast<std::size_t>(d)]));
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(QPen(QColor(200, 30, 30), 2));
        painter.drawPath(path);
    }
}

void WalkForwardChart::mouseMoveEvent(QMouseEvent* event) {
    if (!outcome_.report.walkForward) return;
    const QPoint at = event->position().toPoint();
    const int window = plot().windowAt(outcome_.report.walkForward->windows, at.x(), at.y());
    if (window < 0) {
        QToolTip::hideText();
        return;
    }
    QToolTip::showText(event->globalPosition().toPoint(), windowText(window), this);
}

// -------------------------------------------------------------- the view

OptimizeResultView::OptimizeResultView(OptimizeOutcome outcome, Prompter& prompter, QWidget* parent)
    : QDialog(parent),
      outcome_(std::move(outcome)),
      prompter_(prompter),
      tabs_(new QTabWidget(this)),
      table_(new QTableWidget(this)),
      xAxis_(new QComboBox(this)),
      yAxis_(new QComboBox(this)),
      heatMap_(nullptr),
      overfitting_(new QLabel(this)),
      deflated_(new QLabel(this)),
      monteCarlo_(new QLabel(this)) {
    setWindowTitle(QStringLiteral("最適化結果 - ") + qt(outcome_.strategyName));
    const OptimizationReport& report = outcome_.report;
    const Objective objective = outcome_.options.objective;

    auto* layout = new QVBoxLayout(this);
    std::string summary =
        "目的：" + std::string(kObjectiveLabels[static_cast<std::size_t>(objective)]) + "　対象：" +
        outcome_.scopeText + "　組み合わせ：" + std::to_string(report.data.points.size()) +
        " 通り　日数：" + std::to_string(report.days()) + " 日";
    if (report.days() > 0)
        summary += "（" + dateText(report.data.dates.front()) + "〜" +
                   dateText(report.data.dates.back()) + "）";
    auto* head = new QLabel(qt(summary), this);
    head->setWordWrap(true);
    layout->addWidget(head);
    std::string bestText;
    if (report.best < 0 || report.days() == 0)
        bestText = "対象の銘柄ではシミュレーションが行われませんでした（" +
                   summaryText(report.data.counts) + "）。";
    else if (!report.bestQualifies)
        bestText = "最低取引数（" + std::to_string(outcome_.options.minTrades) +
                   " 回）を満たす組み合わせがありません。";
    else
        bestText =
            "最良：" + pointValues(outcome_, report.best, "、") + "　" +
            objectiveText(
                objectiveValue(report.metrics[static_cast<std::size_t>(report.best)], objective),
                objective);
    auto* best = new QLabel(qt(bestText), this);
    best->setWordWrap(true);
    layout->addWidget(best);
    overfitting_->setText(qt(overfittingSentence(outcome_)));
    deflated_->setText(qt(deflatedSharpeSentence(outcome_)));
    monteCarlo_->setText(qt(monteCarloSentence(outcome_)));
    for (QLabel* label : {overfitting_, deflated_, monteCarlo_}) {
        label->setWordWrap(true);
        layout->addWidget(label);
    }
    monteCarlo_->setVisible(!monteCarlo_->text().isEmpty());

    // The table.
    auto* tablePage = new QWidget(this);
    auto* tableLayout = new QVBoxLayout(tablePage);
    tableLayout->setContentsMargins(0, 0, 0, 0);
    tableLayout->addWidget(table_);
    fillTable();
    tabs_->addTab(tablePage, QStringLiteral("一覧"));

    // The heat map.
    auto* mapPage = new QWidget(this);
    auto* mapLayout = new QVBoxLayout(mapPage);
    auto* axes = new QHBoxLayout;
    for (const std::string& label : outcome_.labels) {
        xAxis_->addItem(qt(label));
        yAxis_->addItem(qt(label));
    }
    yAxis_->addItem(QStringLiteral("なし"));
    xAxis_->setCurrentIndex(0);
    yAxis_->setCurrentIndex(outcome_.sweeps.size() > 1 ? 1 : yAxis_->count() - 1);
    axes->addWidget(new QLabel(QStringLiteral("横軸"), mapPage));
    axes->addWidget(xAxis_, 1);
    axes->addWidget(new QLabel(QStringLiteral("縦軸"), mapPage));
    axes->addWidget(yAxis_, 1);
    mapLayout->addLayout(axes);
    heatMap_ = new HeatMapView(outcome_, mapPage);
    mapLayout->addWidget(heatMap_, 1);
    heatNote_ = new QLabel(mapPage);
    heatNote_->setWordWrap(true);
    mapLayout->addWidget(heatNote_);
    tabs_->addTab(mapPage, QStringLiteral("ヒートマップ"));
    connect(xAxis_, &QComboBox::currentIndexChanged, this, [this] { axesChanged(); });
    connect(yAxis_, &QComboBox::currentIndexChanged, this, [this] { axesChanged(); });
    connect(heatMap_, &HeatMapView::pointClicked, this, [this](int point) {
        selectPoint(point);
        tabs_->setCurrentIndex(0);
    });
    axesChanged();

    // The walk-forward.
    if (report.walkForward) {
        auto* walkPage = new QWidget(this);
        auto* walkLayout = new QVBoxLayout(walkPage);
        const WalkForward& walk = *report.walkForward;
        auto* walkSummary = new QLabel(
            qt("検証期間をつないだ結果：損益 " + yen(walk.outOfSample.net) + "、取引 " +
               std::to_string(walk.outOfSample.trades) + " 回、最大DD " +
               yen(walk.outOfSample.maxDrawdown) + "、WF効率 " + fixed(walk.efficiency, 2)),
            walkPage);
        walkSummary->setWordWrap(true);
        walkLayout->addWidget(walkSummary);
        walkChart_ = new WalkForwardChart(outcome_, walkPage);
        walkLayout->addWidget(walkChart_, 1);
        auto* hint = new QLabel(
            QStringLiteral("帯にマウスを重ねると、その期の期間と選ばれた値を表示します。"),
            walkPage);
        hint->setWordWrap(true);
        walkLayout->addWidget(hint);
        // The windows one by one on a page of their own, so that the chart
        // keeps its height in a small window.
        windows_ = new QTableWidget(this);
        fillWindows();
        tabs_->addTab(walkPage, QStringLiteral("ウォークフォワード"));
        tabs_->addTab(windows_, QStringLiteral("各期の選択値"));
    }
    layout->addWidget(tabs_, 1);

    auto* buttons = new QHBoxLayout;
    auto* use = new QPushButton(QStringLiteral("この値を使う"), this);
    use->setToolTip(QStringLiteral("選んだ行の値を書き込んだ戦略の複製を作ります"));
    auto* overwrite = new QPushButton(QStringLiteral("元の戦略に上書き"), this);
    auto* close = new QPushButton(QStringLiteral("閉じる"), this);
    buttons->addWidget(use);
    buttons->addWidget(overwrite);
    buttons->addStretch();
    buttons->addWidget(close);
    layout->addLayout(buttons);
    auto chosen = [this](bool over) {
        const int point = selectedPoint();
        if (point < 0) {
            prompter_.message("一覧で組み合わせを選んでください。", MessageIcon::Stop);
            return;
        }
        useValues(point, over);
    };
    connect(use, &QPushButton::clicked, this, [chosen] { chosen(false); });
    connect(overwrite, &QPushButton::clicked, this, [chosen] { chosen(true); });
    connect(close, &QPushButton::clicked, this, &QDialog::close);
    resize(980, 680);
}

void OptimizeResultView::fillTable() {
    const OptimizationReport& report = outcome_.report;
    const Objective objective = outcome_.options.objective;
    QStringList headers{QStringLiteral("順位")};
    for (const std::string& label : outcome_.labels)
        headers << qt(label);
    // The objective's own column is marked.
    for (std::size_t m = 0; m < std::size(kMetricHeaders); ++m)
        headers << (m == objectiveColumn(objective) ? QStringLiteral("◎") : QString()) +
                       QString::fromUtf8(kMetricHeaders[m]);
    table_->setColumnCount(static_cast<int>(headers.size()));
    table_->setHorizontalHeaderLabels(headers);
    table_->setRowCount(static_cast<int>(report.order.size()));
    table_->verticalHeader()->hide();
    table_->setSelectionBehavior(QAbstractItemView::SelectRows);
    table_->setSelectionMode(QAbstractItemView::SingleSelection);
    table_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    const int first = kFirstValueColumn;
    const auto sweeps = static_cast<int>(outcome_.sweeps.size());
    for (std::size_t r = 0; r < report.order.size(); ++r) {
        const auto row = static_cast<int>(r);
        const int point = report.order[r];
        const Metrics& m = report.metrics[static_cast<std::size_t>(point)];
        const ParameterPoint& at = report.data.points[static_cast<std::size_t>(point)].point;
        auto* rank = new NumberItem(QString::number(row + 1), row + 1);
        rank->setData(Qt::UserRole, point);
        table_->setItem(row, kRankColumn, rank);
        for (int s = 0; s < sweeps; ++s) {
            const int value =
                outcome_.sweeps[static_cast<std::size_t>(s)]
                    .values[static_cast<std::size_t>(at[static_cast<std::size_t>(s)])];
            table_->setItem(row, first + s, new NumberItem(QString::number(value), value));
        }
        int c = first + sweeps;
        const auto net = static_cast<double>(m.net);
        table_->setItem(row, c++, new NumberItem(qt(amountText(m.net)), net));
        table_->setItem(row, c++, new NumberItem(QString::number(m.trades), m.trades));
        table_->setItem(row, c++, new NumberItem(qt(fixed(m.winRate, 1) + "%"), m.winRate));
        table_->setItem(row, c++, new NumberItem(qt(fixed(m.profitFactor, 2)), m.profitFactor));
        table_->setItem(row, c++,
                        new NumberItem(qt(amountText(std::llround(m.expectancy))), m.expectancy));
        table_->setItem(
            row, c++,
            new NumberItem(qt(amountText(m.maxDrawdown)), static_cast<double>(m.maxDrawdown)));
        table_->setItem(row, c++, new NumberItem(qt(fixed(m.recoveryFactor, 2)), m.recoveryFactor));
        table_->setItem(row, c++, new NumberItem(qt(fixed(m.sharpe, 2)), m.sharpe));
        table_->setItem(row, c++, new NumberItem(qt(fixed(m.sortino, 2)), m.sortino));
        const bool qualified = m.trades >= outcome_.options.minTrades;
        auto* mark = new NumberItem(qualified ? QStringLiteral("○") : QStringLiteral("×"),
                                    qualified ? 1 : 0);
        mark->setTextAlignment(Qt::AlignCenter);
        table_->setItem(row, c++, mark);
    }
    table_->setSortingEnabled(true);
    table_->horizontalHeader()->setSortIndicator(kRankColumn, Qt::AscendingOrder);
    fitColumns(*table_);
    table_->setMinimumHeight(rowsHeight(*table_, 4));
    if (table_->rowCount() > 0) table_->selectRow(0);
}

void OptimizeResultView::fillWindows() {
    const WalkForward& walk = *outcome_.report.walkForward;
    const auto& dates = outcome_.report.data.dates;
    QStringList headers{QStringLiteral("期"), QStringLiteral("最適化期間"),
                        QStringLiteral("検証期間")};
    for (const std::string& label : outcome_.labels)
        headers << qt(label);
    headers << QStringLiteral("最適化期間の損益") << QStringLiteral("検証期間の損益")
            << QStringLiteral("検証期間の取引数");
    windows_->setColumnCount(static_cast<int>(headers.size()));
    windows_->setHorizontalHeaderLabels(headers);
    windows_->setRowCount(static_cast<int>(walk.windows.size()));
    windows_->verticalHeader()->hide();
    windows_->setEditTriggers(QAbstractItemView::NoEditTriggers);
    auto span = [&](int first, int last) {
        return first < last ? qt(dateText(dates[static_cast<std::size_t>(first)]) + "〜" +
                                 dateText(dates[static_cast<std::size_t>(last - 1)]))
                            : QStringLiteral("なし");
    };
    for (std::size_t w = 0; w < walk.windows.size(); ++w) {
        const WalkForwardWindow& window = walk.windows[w];
        const auto row = static_cast<int>(w);
        int c = 0;
        windows_->setItem(row, c++, new NumberItem(QString::number(row + 1), row + 1));
        windows_->setItem(row, c++, new QTableWidgetItem(span(window.inFirst, window.inLast)));
        windows_->setItem(row, c++, new QTableWidgetItem(span(window.outFirst, window.outLast)));
        for (std::size_t s = 0; s < outcome_.sweeps.size(); ++s) {
            if (window.chosen < 0) {
                windows_->setItem(row, c++, new QTableWidgetItem(QStringLiteral("－")));
                continue;
            }
            const int value = outcome_.sweeps[s].values[static_cast<std::size_t>(
                outcome_.report.data.points[static_cast<std::size_t>(window.chosen)].point[s])];
            windows_->setItem(row, c++, new NumberItem(QString::number(value), value));
        }
        windows_->setItem(row, c++,
                          new NumberItem(qt(amountText(window.inSample.net)),
                                         static_cast<double>(window.inSample.net)));
        windows_->setItem(row, c++,
                          new NumberItem(qt(amountText(window.outOfSample.net)),
                                         static_cast<double>(window.outOfSample.net)));
        windows_->setItem(
            row, c++,
            new NumberItem(QString::number(window.outOfSample.trades), window.outOfSample.trades));
    }
    fitColumns(*windows_);
    windows_->setMinimumHeight(rowsHeight(*windows_, 3));
}

void OptimizeResultView::axesChanged() {
    const int x = xAxis_->currentIndex();
    int y = yAxis_->currentIndex();
    if (y >= static_cast<int>(outcome_.sweeps.size()) || y == x) y = -1;
    heatMap_->setAxes(std::max(x, 0), y);
    // Name the values the other parameters are held at.
    std::string held;
    const OptimizationReport& report = outcome_.report;
    if (report.best >= 0)
        for (std::size_t s = 0; s < outcome_.sweeps.size(); ++s) {
            if (static_cast<int>(s) == std::max(x, 0) || static_cast<int>(s) == y) continue;
            const int index = report.data.points[static_cast<std::size_t>(report.best)].point[s];
            held += (held.empty() ? "" : "、") + outcome_.labels[s] + " = " +
                    std::to_string(outcome_.sweeps[s].values[static_cast<std::size_t>(index)]);
        }
    heatNote_->setText(
        held.empty()
            ? QStringLiteral("枠で囲んだマスが最良の組み合わせです。マスをクリックすると一覧でその"
                             "行を選びます。")
            : QStringLiteral("枠で囲んだマスが最良です。ほかのパラメータは最良の組み合わせの値（") +
                  qt(held) + QStringLiteral("）に固定しています。"));
}

int OptimizeResultView::selectedPoint() const {
    const int row = table_->currentRow();
    if (row < 0) return -1;
    const QTableWidgetItem* rank = table_->item(row, kRankColumn);
    return rank ? rank->data(Qt::UserRole).toInt() : -1;
}

void OptimizeResultView::selectPoint(int point) {
    for (int row = 0; row < table_->rowCount(); ++row)
        if (table_->item(row, kRankColumn)->data(Qt::UserRole).toInt() == point) {
            table_->selectRow(row);
            table_->scrollToItem(table_->item(row, kRankColumn));
            return;
        }
}

bool OptimizeResultView::useValues(int point, bool overwrite) {
    const auto& points = outcome_.report.data.points;
    if (point < 0 || point >= static_cast<int>(points.size())) return false;
    Strategy copy = outcome_.strategy;
    AnalysisParameters unused;
    std::string analysisNote;
    bool changesStrategy = false;
    for (std::size_t s = 0; s < outcome_.sweeps.size(); ++s) {
        const ParameterSweep& sweep = outcome_.sweeps[s];
        const int value =
            sweep
                .values[static_cast<std::size_t>(points[static_cast<std::size_t>(point)].point[s])];
        if (sweep.address.changesIndicators()) {
            analysisNote += "\n" + outcome_.labels[s] + " = " + std::to_string(value);
            continue;
        }
        applyParameter(sweep.address, value, copy, unused, PeriodMode::Daily);
        changesStrategy = true;
    }
    if (!analysisNote.empty())
        analysisNote =
            "\n\n分析パラメータは戦略に含まれないため書き込んでいません。"
            "使う場合は分析パラメータの設定で次の値にしてください。" +
            analysisNote;
    if (!changesStrategy) {
        prompter_.message("選んだ値はすべて分析パラメータです。" + analysisNote.substr(2),
                          MessageIcon::Warning);
        return false;
    }
    if (canWrite && !canWrite()) return false;
    StrategyList list(outcome_.folder, prompter_);
    list.open(outcome_.strategyIndex);
    // The list may have changed since the run: never write over another strategy.
    if (list.current() != outcome_.strategyIndex ||
        list.names()[static_cast<std::size_t>(outcome_.strategyIndex)] != outcome_.strategyName) {
        prompter_.message("最適化した戦略 [" + outcome_.strategyName +
                              "] が一覧の同じ位置にないため、書き込めません。",
                          MessageIcon::Stop);
        return false;
    }
    const bool written = overwrite ? list.replaceStrategy(copy)
                                   : list.addStrategyAs(copy, outcome_.strategyName + "（最適化）");
    if (!written) return false;
    const std::string name = list.names()[static_cast<std::size_t>(list.current())];
    if (onStrategiesWritten) onStrategiesWritten();
    prompter_.message("選んだ値を売買戦略 [" + name + "] に書き込みました。" + analysisNote,
                      MessageIcon::Information);
    return true;
}

}  // namespace tav::desktop
