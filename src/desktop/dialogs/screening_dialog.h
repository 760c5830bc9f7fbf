#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "platform/prompter.h"
#include "platform/shell.h"
#include "screening/screening_settings.h"

class QComboBox;
class QLabel;
class QLineEdit;
class QPushButton;

namespace tav::desktop {

class FilterFields;

// "銘柄抽出": the search item with its value, strategy or capsule, the
// filters, the trading value range, the input and the output watchlist. OK
// keeps the dialog open when the choices make no run (nothing chosen, input
// equal to output); the caller then prepares and starts the run.
class ScreeningDialog : public QDialog {
    Q_OBJECT
  public:
    // `folder` is the program folder (strategy and capsule titles, the capsule
    // dialog); `watchlists` the watchlist titles.
    ScreeningDialog(const ScreeningSettings& initial, const std::string& folder, bool accumulate,
                    const std::vector<std::string>& watchlists, Prompter& prompter, Shell& shell,
                    QWidget* parent = nullptr);
    ~ScreeningDialog() override;

    // The choices as accepted.
    const ScreeningSettings& settings() const { return settings_; }

    QComboBox* searchItem() const { return item_; }
    QLineEdit* value() const { return value_; }
    QLabel* valueUnit() const { return valueUnit_; }
    QComboBox* strategy() const { return strategy_; }
    QComboBox* capsule() const { return capsule_; }
    QPushButton* capsuleButton() const { return capsuleButton_; }
    const FilterFields& filters() const { return *filters_; }
    QLineEdit* tradingValueMin() const { return tradingMin_; }
    QLineEdit* tradingValueMax() const { return tradingMax_; }
    QComboBox* input() const { return input_; }
    QComboBox* output() const { return output_; }
    // The red line; null in accumulate mode.
    QLabel* warningLine() const { return warning_; }

    void accept() override;

  private:
    void itemChanged(int item);
    void editCapsules();

    std::string folder_;
    Prompter& prompter_;
    Shell& shell_;
    ScreeningSettings settings_;
    QLabel* warning_ = nullptr;
    QComboBox* item_;
    QLineEdit* value_;
    QLabel* valueUnit_;
    QComboBox* strategy_;
    QComboBox* capsule_;
    QPushButton* capsuleButton_;
    std::unique_ptr<FilterFields> filters_;
    QLineEdit* tradingMin_;
    QLineEdit* tradingMax_;
    QComboBox* input_;
    QComboBox* output_;
};

}  // namespace tav::desktop
