#pragma once

#include <QDialog>
#include <string>

#include "simulation/strategy.h"

class QLineEdit;
class QRadioButton;

namespace tav::desktop {

// "戦術の設定": the tactic's name, 有効/無効 and, in mode 3 only, its side.
class TacticDialog : public QDialog {
    Q_OBJECT
  public:
    TacticDialog(const Tactic& tactic, uint8_t tradingMode, QWidget* parent = nullptr);
    std::string name() const;
    bool disabled() const;
    uint8_t side() const;
    QLineEdit* nameEdit() const { return name_; }

  private:
    QLineEdit* name_;
    QRadioButton* enabled_;
    QRadioButton* disabled_;
    QRadioButton* buy_;
    QRadioButton* sell_;
};

}  // namespace tav::desktop
