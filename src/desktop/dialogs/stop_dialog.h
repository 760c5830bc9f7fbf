#pragma once

#include <QDialog>
#include <optional>

#include "conditions/condition.h"
#include "core/integer_field.h"
#include "platform/prompter.h"

class QComboBox;
class QLabel;
class QLineEdit;

namespace tav::desktop {

// "ストップの設定": kind (分類項目), item (項目) and value (値) of a stop rule.
// The item list is the long or the short one, as the caller says.
class StopDialog : public QDialog {
    Q_OBJECT
  public:
    StopDialog(const Condition& rule, bool shortPosition, bool reverseNote, Prompter& prompter,
               QWidget* parent = nullptr);
    // The rule on OK.
    Condition rule() const { return rule_; }
    QComboBox* kindList() const { return kind_; }
    QComboBox* itemList() const { return item_; }
    QLineEdit* valueEdit() const { return value_; }
    QLabel* valueUnit() const { return unit_; }

    static constexpr IntegerField kValueField{"値", 0, 32767};

    // OK: refuses (with a message) a number outside its field.
    void accept() override;

  private:
    void showUnit();

    Condition rule_;
    bool short_;
    Prompter& prompter_;
    QComboBox* kind_;
    QComboBox* item_;
    QLineEdit* value_;
    QLabel* unit_;
};

}  // namespace tav::desktop
