#pragma once

#include <QDialog>
#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/prompter.h"
#include "portfolio/portfolio_run.h"
#include "screening/screening_settings.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QTableWidget;

namespace tav::desktop {

class FilterFields;

// "ポートフォリオ": the strategy, filters and input of the multi-security
// simulation, and the account: capital, positions, size and score.
class PortfolioDialog : public QDialog {
    Q_OBJECT
  public:
    PortfolioDialog(const MultiRunSettings& initial, const std::string& folder, bool accumulate,
                    const std::vector<std::string>& watchlists, Prompter& prompter,
                    QWidget* parent = nullptr);
    ~PortfolioDialog() override;

    const MultiRunSettings& selection() const { return selection_; }
    const PortfolioSettings& account() const { return account_; }

    QComboBox* strategy() const { return strategy_; }
    const FilterFields& filters() const { return *filters_; }
    QComboBox* input() const { return input_; }
    QLineEdit* capital() const { return capital_; }
    QLineEdit* positions() const { return positions_; }
    QComboBox* sizing() const { return sizing_; }
    QLineEdit* sizeValue() const { return sizeValue_; }
    QLabel* sizeUnit() const { return sizeUnit_; }
    QComboBox* score() const { return score_; }
    QComboBox* slot() const { return slot_; }
    QLineEdit* seed() const { return seed_; }
    QLineEdit* from() const { return from_; }
    QLineEdit* to() const { return to_; }

    void accept() override;

  private:
    void updateFields();
    void sizingChanged();

    Prompter& prompter_;
    MultiRunSettings selection_;
    PortfolioSettings account_;
    QComboBox* strategy_;
    std::unique_ptr<FilterFields> filters_;
    QComboBox* input_;
    QLineEdit* capital_;
    QLineEdit* positions_;
    QComboBox* sizing_;
    QLineEdit* sizeValue_;
    QLabel* sizeUnit_;
    // The text typed for the fixed amount and for the share, so that a
    // switch never reads yen as percent or the other way round.
    QString sizeTexts_[2];
    int sizeTextKind_;
    QComboBox* score_;
    QComboBox* slot_;
    QLineEdit* seed_;
    QLineEdit* from_;
    QLineEdit* to_;
};

// The account's equity and, below it, its drawdown, one point per trading day.
class PortfolioPlot : public QWidget {
    Q_OBJECT
  public:
    PortfolioPlot(const std::vector<PortfolioDay>& days, QWidget* parent = nullptr);

  protected:
    void paintEvent(QPaintEvent* event) override;

  private:
    const std::vector<PortfolioDay>& days_;
};

// The account's result in the 損益 view: the plot, the figures and the trade
// list with its security column. Double-clicking a trade asks for its
// security at the trade's entry.
class PortfolioResultView : public QDialog {
    Q_OBJECT
  public:
    PortfolioResultView(std::string strategyName, PortfolioOutcome outcome,
                        QWidget* parent = nullptr);

    std::function<void(StockCode code, int32_t date)> onShowTrade;

    QTableWidget& table() { return *table_; }
    const PortfolioOutcome& outcome() const { return outcome_; }

  private:
    PortfolioOutcome outcome_;
    QTableWidget* table_;
};

}  // namespace tav::desktop
