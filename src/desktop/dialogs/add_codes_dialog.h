#pragma once

#include <QDialog>
#include <array>
#include <vector>

#include "core/stock_code.h"

class QLineEdit;

namespace tav::desktop {

// "銘柄一括追加": ten code fields for the watchlist on display, the first
// preset to the security shown. The watchlist model checks and adds them.
class AddCodesDialog : public QDialog {
    Q_OBJECT
  public:
    static constexpr int kFieldCount = 10;

    AddCodesDialog(StockCode preset, QWidget* parent = nullptr);

    // The fields in order, 0 for an empty one.
    std::vector<StockCode> codes() const;
    QLineEdit* field(int index) const { return fields_[static_cast<std::size_t>(index)]; }

  private:
    std::array<QLineEdit*, kFieldCount> fields_{};
};

}  // namespace tav::desktop
