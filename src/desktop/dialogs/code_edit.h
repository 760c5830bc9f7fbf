#pragma once

#include "core/stock_code.h"

class QLineEdit;
class QWidget;

namespace tav::desktop {

// A line edit for a security code, preset to a code's text: up to five digits,
// or four characters of digits and letters starting with a digit ("130A").
QLineEdit* newCodeEdit(StockCode preset, QWidget* parent);
// The edit's code; 0 while the text names none.
StockCode editedCode(const QLineEdit* edit);

}  // namespace tav::desktop
