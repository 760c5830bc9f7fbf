#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace tav {

// A numeric edit of a dialog: its label and the integers the stored field can
// hold, so nothing typed silently becomes 0 or wraps.
struct IntegerField {
    std::string_view label;
    int min = 0;
    int max = 0;
};

// The whole text as a decimal integer (blanks around it and a sign allowed)
// inside the field's range; nullopt otherwise.
std::optional<int> parseIntegerField(std::string_view text, const IntegerField& field);

// The whole text as a plain decimal integer (an optional '-', digits,
// nothing around them); nullopt otherwise, or when it does not fit.
std::optional<int64_t> parseWholeNumber(std::string_view text);

// "「n」には 0 から 32767 までの整数を入力してください。"
std::string integerFieldMessage(const IntegerField& field);

}  // namespace tav
