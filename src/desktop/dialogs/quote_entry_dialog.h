#pragma once

#include <QDialog>
#include <array>

#include "quotes/quote_page.h"

class QLineEdit;

namespace tav::desktop {

// "速報値の設定": today's open, high, low, close and volume, preset from the
// fetched quote; "反映" makes them today's provisional bar.
class QuoteEntryDialog : public QDialog {
    Q_OBJECT
  public:
    QuoteEntryDialog(const QuoteRecord& quote, QWidget* parent = nullptr);

    // The quote with the five edited values written back.
    QuoteRecord edited() const;
    QLineEdit* field(int index) const { return fields_[index]; }

  private:
    QuoteRecord quote_;
    std::array<QLineEdit*, 5> fields_{};
};

}  // namespace tav::desktop
