#pragma once

#include <QDialog>
#include <QWidget>
#include <functional>
#include <string>
#include <vector>

#include "chart/heat_map_geometry.h"
#include "chart/walk_forward_geometry.h"
#include "platform/prompter.h"
#include "research/optimization_report.h"
#include "simulation/strategy.h"

class QComboBox;
class QLabel;
class QTabWidget;
class QTableWidget;

namespace tav::desktop {

// What an optimisation ran and what came of it.
struct OptimizeOutcome {
    std::string folder;
    int strategyIndex = 0;  // list index of the strategy swept
    std::string strategyName;
    Strategy strategy;  // as it was run
    std::vector<ParameterSweep> sweeps;
    // The user's names of the sweeps, in sweep order.
    std::vector<std::string> labels;
    OptimizationOptions options;
    OptimizationReport report;
    std::string scopeText;  // "この銘柄（1301 極洋）", "銘柄リスト「...」"
};

// The value of the objective as the user reads it (the drawdown in yen,
// not negated), and its text: full in the table, short in a heat-map cell.
double objectiveValue(const Metrics& metrics, Objective objective);
std::string objectiveText(double value, Objective objective);
std::string shortObjectiveText(double value, Objective objective);

// Fewer combinations than this get no PBO and no deflated Sharpe ratio: the
// ranks of two or three trials say nothing.
constexpr int kLeastTrials = 8;
// The plain sentences on PBO and the deflated Sharpe ratio, or why there are none.
std::string overfittingSentence(const OptimizeOutcome& outcome);
std::string deflatedSharpeSentence(const OptimizeOutcome& outcome);
// The Monte Carlo of the best one's trades, or why there is none; empty when
// it was not asked for.
std::string monteCarloSentence(const OptimizeOutcome& outcome);

// The objective over two swept parameters.
class HeatMapView : public QWidget {
    Q_OBJECT
  public:
    HeatMapView(const OptimizeOutcome& outcome, QWidget* parent = nullptr);

    // Sweeps along x and y (y -1: none); repaints.
    void setAxes(int xSweep, int ySweep);
    const HeatMapSlice& slice() const { return slice_; }
    // The layout of the current size, as painted.
    HeatMapLayout layout() const;
    HeatMapTexts texts() const;
    QString cellText(int column, int row) const;

  signals:
    void pointClicked(int point);

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;

  private:
    double scoreOf(int point) const;

    const OptimizeOutcome& outcome_;
    HeatMapSlice slice_;
    int xSweep_ = 0, ySweep_ = -1;
    double worst_ = 0, best_ = 0;
};

// The walk-forward spans and the stitched out-of-sample equity.
class WalkForwardChart : public QWidget {
    Q_OBJECT
  public:
    WalkForwardChart(const OptimizeOutcome& outcome, QWidget* parent = nullptr);
    WalkForwardPlot plot() const;
    QString windowText(int window) const;

  protected:
    void paintEvent(QPaintEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

  private:
    int labelWidth() const;

    const OptimizeOutcome& outcome_;
    std::vector<int64_t> equity_;
};

// "最適化結果": the ranked table of every combination, the heat map, the
// walk-forward when it was asked for, and what PBO, the deflated Sharpe
// ratio and the Monte Carlo of its trades say of the best. "この値を使う"
// writes a chosen row's values into a new copy of the strategy;
// "元の戦略に上書き" over it after asking.
class OptimizeResultView : public QDialog {
    Q_OBJECT
  public:
    OptimizeResultView(OptimizeOutcome outcome, Prompter& prompter, QWidget* parent = nullptr);

    // Asked before a strategy file is written: false stops it (the store is
    // read-only here). Unset: writing is allowed.
    std::function<bool()> canWrite;
    // Told after a strategy file was written.
    std::function<void()> onStrategiesWritten;

    const OptimizeOutcome& outcome() const { return outcome_; }
    QTableWidget* table() const { return table_; }
    QTableWidget* windows() const { return windows_; }
    QTabWidget* tabs() const { return tabs_; }
    QComboBox* xAxis() const { return xAxis_; }
    QComboBox* yAxis() const { return yAxis_; }
    HeatMapView* heatMap() const { return heatMap_; }
    WalkForwardChart* walkChart() const { return walkChart_; }
    QLabel* overfitting() const { return overfitting_; }
    QLabel* deflated() const { return deflated_; }
    QLabel* monteCarlo() const { return monteCarlo_; }

    // The point of the table's current row, -1 without one.
    int selectedPoint() const;
    void selectPoint(int point);
    // Writes the values of `point`: a new strategy, or over the original.
    bool useValues(int point, bool overwrite);

    // Table columns before the swept values and after them.
    static constexpr int kRankColumn = 0;
    static constexpr int kFirstValueColumn = 1;

  private:
    void fillTable();
    void fillWindows();
    void axesChanged();

    OptimizeOutcome outcome_;
    Prompter& prompter_;
    QTabWidget* tabs_;
    QTableWidget* table_;
    QComboBox* xAxis_;
    QComboBox* yAxis_;
    HeatMapView* heatMap_;
    WalkForwardChart* walkChart_ = nullptr;
    QTableWidget* windows_ = nullptr;
    QLabel* overfitting_;
    QLabel* deflated_;
    QLabel* monteCarlo_;
    QLabel* heatNote_ = nullptr;
};

}  // namespace tav::desktop
