#pragma once

#include <QDialog>

#include "data/master_list_edits.h"
#include "data/stock_master.h"

class QComboBox;
class QLineEdit;

namespace tav::desktop {

// "銘柄情報の追加": a code, a name, the market and the trading unit of a new
// line of the master list. The engine checks and writes the line.
class AddSecurityDialog : public QDialog {
    Q_OBJECT
  public:
    AddSecurityDialog(StockCode presetCode, QWidget* parent = nullptr);

    AddSecurityRequest request() const;

    QLineEdit* codeEdit() const { return code_; }
    QLineEdit* nameEdit() const { return name_; }
    QComboBox* marketCombo() const { return market_; }
    QComboBox* unitCombo() const { return unit_; }

  private:
    QLineEdit* code_;
    QLineEdit* name_;
    QComboBox* market_;
    QComboBox* unit_;
};

}  // namespace tav::desktop
