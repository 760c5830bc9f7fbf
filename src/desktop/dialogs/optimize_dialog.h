#pragma once

#include <QDialog>
#include <QString>
#include <array>
#include <map>
#include <string>
#include <vector>

#include "platform/prompter.h"
#include "research/optimization_report.h"
#include "research/parameter_space.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace tav::desktop {

// Where an optimisation runs.
enum class OptimizeScope : uint8_t { Security, Watchlist, Market };

// What the "最適化" dialog was left with, as typed, so that it opens again
// the same within the session. Rows are kept by parameter address for the
// strategy they were typed for.
struct OptimizeChoice {
    struct Row {
        bool used = false;
        QString from, to, step;
    };
    int strategy = -1;  // list index the rows belong to
    std::map<std::string, Row> rows;
    int objective = 0;
    QString minTrades = QStringLiteral("10");
    OptimizeScope scope = OptimizeScope::Security;
    int watchlist = 0;  // index into the watchlist titles
    bool evolve = false;
    QString budget = QStringLiteral("200");
    QString seed = QStringLiteral("1");
    QString monteCarlo = QStringLiteral("1000");
    bool walkForward = false;
    QString inMonths = QStringLiteral("24");
    QString outMonths = QStringLiteral("6");
    bool anchored = false;
};

// The run the dialog was confirmed with.
struct OptimizeRequest {
    std::vector<ParameterSweep> sweeps;
    OptimizationOptions options;
    OptimizeScope scope = OptimizeScope::Security;
    int watchlist = 1;  // watchlist number, from 1
};

// Labels of the objectives in Objective order.
inline constexpr std::array<std::string_view, 8> kObjectiveLabels = {
    "純利益",
    "プロフィットファクター",
    "勝率",
    "期待値（1取引あたり）",
    "最大ドローダウン（小さいほど良い）",
    "リカバリーファクター",
    "シャープレシオ",
    "ソルティノレシオ"};

// "最適化": the numbers of a strategy to sweep (each from / to / step), the
// objective, the least trades, the securities, the search, the walk-forward
// and the Monte Carlo runs of the best one's trades. OK checks every field
// and the size of the grid before anything runs.
class OptimizeDialog : public QDialog {
    Q_OBJECT
  public:
    OptimizeDialog(int strategyIndex, std::string strategyName,
                   std::vector<SweepableParameter> parameters, const OptimizeChoice& initial,
                   const QString& securityLabel, bool market,
                   const std::vector<std::string>& watchlists, Prompter& prompter,
                   QWidget* parent = nullptr);

    // The state as it stands, for the next opening.
    OptimizeChoice choice() const;
    const OptimizeRequest& request() const { return request_; }

    QTableWidget* parameters() const { return table_; }
    QComboBox* objective() const { return objective_; }
    QLineEdit* minTrades() const { return minTrades_; }
    QComboBox* scope() const { return scope_; }
    QComboBox* watchlist() const { return watchlist_; }
    QComboBox* search() const { return search_; }
    QLineEdit* budget() const { return budget_; }
    QLineEdit* seed() const { return seed_; }
    QLineEdit* monteCarlo() const { return monteCarlo_; }
    QCheckBox* walkForward() const { return walkForward_; }
    QLineEdit* inMonths() const { return inMonths_; }
    QLineEdit* outMonths() const { return outMonths_; }
    QComboBox* windowKind() const { return windowKind_; }
    QLabel* gridLabel() const { return grid_; }

    // Table columns.
    enum Column { kUse, kName, kCurrent, kFrom, kTo, kStep, kRowText, kColumnCount };

    void accept() override;

  private:
    void updateFields();
    void updateGridSize();
    // The sweeps of the checked rows; a stop message and nothing on a bad row.
    std::optional<std::vector<ParameterSweep>> readSweeps(bool quiet);

    std::string strategyName_;
    std::vector<SweepableParameter> list_;
    int strategyIndex_;
    Prompter& prompter_;
    OptimizeRequest request_;
    QTableWidget* table_;
    QComboBox* objective_;
    QLineEdit* minTrades_;
    QComboBox* scope_;
    std::vector<OptimizeScope> scopes_;
    QComboBox* watchlist_;
    QComboBox* search_;
    QLineEdit* budget_;
    QLineEdit* seed_;
    QLineEdit* monteCarlo_;
    QCheckBox* walkForward_;
    QLineEdit* inMonths_;
    QLineEdit* outMonths_;
    QComboBox* windowKind_;
    QLabel* grid_;
};

}  // namespace tav::desktop
