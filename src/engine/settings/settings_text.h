#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "settings/analysis_parameters.h"
#include "settings/options_record.h"

namespace tav {

// The settings as named text values, for the command-line tool: every field
// of the options record and of the parameter block, in a fixed order.
struct NamedValue {
    std::string name;
    std::string value;
};

// Scalar fields in file order, then "reportName" (UTF-8), "rankingChoice1" to
// "rankingChoice5", "reservedDialog" (hex), "indicatorOrder" (ids separated by
// commas), "colour.<use>" (0xBBGGRR), and the derived "indicatorScreens".
std::vector<NamedValue> describeOptions(const OptionsRecord& options);
// "<parameter>.daily", ".weekly", ".monthly" for the 40 parameters in block order.
std::vector<NamedValue> describeParameters(const AnalysisParameters& parameters);

bool isOptionName(std::string_view name);
// A parameter name with a period suffix, or without one for all three periods.
bool isParameterName(std::string_view name);

// Changes one field from its text; the error text when the name is unknown or
// read-only, the value does not parse or lies outside the field's range.
std::optional<std::string> setOption(OptionsRecord& options, std::string_view name,
                                     std::string_view value);
std::optional<std::string> setParameter(AnalysisParameters& parameters, std::string_view name,
                                        std::string_view value);

}  // namespace tav
