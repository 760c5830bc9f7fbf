#pragma once

#include <cstdint>
#include <string>

namespace tav {

// An amount: the integer with a "," before every group of three digits from
// the right, a leading "-" kept in front: -1234567 is "-1,234,567".
std::string amountText(int64_t value);
// A percentage with one decimal and a "%": "12.5%".
std::string percentText(double value);
// The profit factor with two decimals: "1.25".
std::string profitFactorText(double value);
// numerator * 100 / denominator as a percentage; "0.0%" when either is 0.
std::string ratioPercentText(int64_t numerator, int64_t denominator);

}  // namespace tav
