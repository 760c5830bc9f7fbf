#pragma once

#include <QDialog>
#include <span>
#include <string>

#include "quotes/margin_pages.h"

class QTreeWidget;

namespace tav::desktop {

// "信用取組情報": the margin balances of the last year as the page gave them;
// "グラフ表示" accepts, and the caller puts them on the chart.
class MarginDialog : public QDialog {
    Q_OBJECT
  public:
    MarginDialog(const std::string& name, std::span<const MarginRecord> records,
                 QWidget* parent = nullptr);

    QTreeWidget* table() const { return table_; }

  private:
    QTreeWidget* table_;
};

}  // namespace tav::desktop
