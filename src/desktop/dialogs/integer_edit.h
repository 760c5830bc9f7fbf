#pragma once

#include <optional>

#include "core/integer_field.h"
#include "platform/prompter.h"

class QLineEdit;
class QWidget;

namespace tav::desktop {

// A line edit that takes only integers of the field's range while typing.
QLineEdit* integerEdit(const IntegerField& field, int value, QWidget* parent);
// The edit's number; a stop message naming the field and nullopt when the
// text is not an integer of its range (the validator lets partial input by).
std::optional<int> readIntegerEdit(const QLineEdit* edit, const IntegerField& field,
                                   Prompter& prompter);

}  // namespace tav::desktop
