#pragma once

#include <optional>

#include "platform/prompter.h"
#include "screening/screening_settings.h"

class QComboBox;
class QFormLayout;
class QLabel;
class QLineEdit;
class QWidget;

namespace tav::desktop {

// The filters both market-wide dialogs share: market, unit, margin type and
// liquidity with its multiple, which is editable only with a liquidity choice.
class FilterFields {
  public:
    FilterFields(const SecurityFilters& initial, QWidget* parent);

    void addRows(QFormLayout* form);
    // The choices; nothing (after a message) when the multiple is no number.
    std::optional<SecurityFilters> read(Prompter& prompter) const;

    QComboBox* market() const { return market_; }
    QComboBox* unit() const { return unit_; }
    QComboBox* margin() const { return margin_; }
    QComboBox* liquidity() const { return liquidity_; }
    QLineEdit* multiple() const { return multiple_; }

  private:
    QComboBox* market_;
    QComboBox* unit_;
    QComboBox* margin_;
    QComboBox* liquidity_;
    QLineEdit* multiple_;
};

// The red line both dialogs show at their top when the store only keeps what
// was fetched for display: a run then reads whatever happens to be stored.
QLabel* notAccumulateLine(QWidget* parent);

}  // namespace tav::desktop
