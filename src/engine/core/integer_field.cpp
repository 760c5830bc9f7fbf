#include "core/integer_field.h"

#include <charconv>

namespace tav {

std::optional<int> parseIntegerField(std::string_view text, const IntegerField& field) {
    const auto blank = [](char c) { return c == ' ' || c == '\t'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    if (!text.empty() && text.front() == '+') text.remove_prefix(1);
    long long value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    if (value < field.min || value > field.max) return std::nullopt;
    return static_cast<int>(value);
}

std::optional<int64_t> parseWholeNumber(std::string_view text) {
    int64_t value = 0;
    const char* end = text.data() + text.size();
    const auto [stop, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || stop != end) return std::nullopt;
    return value;
}

std::string integerFieldMessage(const IntegerField& field) {
    return "「" + std::string(field.label) + "」には " + std::to_string(field.min) + " から " +
           std::to_string(field.max) + " までの整数を入力してください。";
}

}  // namespace tav
