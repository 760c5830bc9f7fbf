#pragma once

#include <QDialog>
#include <climits>
#include <string>
#include <vector>

#include "core/integer_field.h"
#include "platform/prompter.h"
#include "simulation/strategy.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace tav::desktop {

// "分割方法の設定": method, amount per purchase with its unit, step and the
// capsule whose truth adds to a position.
class SplitDialog : public QDialog {
    Q_OBJECT
  public:
    SplitDialog(const SplitSettings& split, const std::vector<std::string>& capsuleTitles,
                Prompter& prompter, QWidget* parent = nullptr);
    SplitSettings split() const { return split_; }
    QComboBox* methodList() const { return method_; }
    QLineEdit* amountEdit() const { return amount_; }
    QLineEdit* stepEdit() const { return step_; }
    QComboBox* capsuleList() const { return capsule_; }

    static constexpr IntegerField kAmountField{"一回の額", 0, INT_MAX};
    static constexpr IntegerField kStepField{"増減率", INT_MIN, INT_MAX};

    // OK: refuses (with a message) a number outside its field.
    void accept() override;

  private:
    void showMethod(int method);

    SplitSettings split_;
    Prompter& prompter_;
    QComboBox* method_;
    QLineEdit* amount_;
    QLabel* amountUnit_;
    QLineEdit* step_;
    QLabel* stepUnit_;
    QComboBox* capsule_;
};

}  // namespace tav::desktop
