#pragma once

#include <QDialog>
#include <memory>
#include <string>
#include <vector>

#include "platform/prompter.h"
#include "screening/screening_settings.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace tav::desktop {

class FilterFields;

// "シミュレーション": the strategy back-tested over many securities, the
// filters, the input, the ranking kind and length. The first input entry is
// the master list in accumulate mode and the watchlist on display otherwise.
class MultiRunDialog : public QDialog {
    Q_OBJECT
  public:
    MultiRunDialog(const MultiRunSettings& initial, const std::string& folder, bool accumulate,
                   const std::vector<std::string>& watchlists, Prompter& prompter,
                   QWidget* parent = nullptr);
    ~MultiRunDialog() override;

    const MultiRunSettings& settings() const { return settings_; }

    QComboBox* strategy() const { return strategy_; }
    const FilterFields& filters() const { return *filters_; }
    QComboBox* input() const { return input_; }
    QComboBox* rankingKind() const { return kind_; }
    QLineEdit* rankingLength() const { return length_; }
    QLabel* warningLine() const { return warning_; }

    void accept() override;

  private:
    Prompter& prompter_;
    MultiRunSettings settings_;
    QLabel* warning_ = nullptr;
    QComboBox* strategy_;
    std::unique_ptr<FilterFields> filters_;
    QComboBox* input_;
    QComboBox* kind_;
    QLineEdit* length_;
};

}  // namespace tav::desktop
