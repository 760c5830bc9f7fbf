#include "research/parameter_space.h"

#include <charconv>
#include <limits>

#include "conditions/condition_editor.h"

namespace tav {

namespace {

std::optional<int> integer(std::string_view text) {
    int value = 0;
    const char* end = text.data() + text.size();
    auto [ptr, error] = std::from_chars(text.data(), end, value);
    if (text.empty() || error != std::errc() || ptr != end) return std::nullopt;
    return value;
}

std::vector<std::string_view> split(std::string_view text, char separator) {
    std::vector<std::string_view> parts;
    for (;;) {
        const std::size_t at = text.find(separator);
        parts.push_back(text.substr(0, at));
        if (at == std::string_view::npos) return parts;
        text.remove_prefix(at + 1);
    }
}

// The values of "FROM..TO/STEP" or "V1,V2,...".
std::optional<std::vector<int>> parseValues(std::string_view text, std::string& error) {
    std::vector<int> values;
    if (const std::size_t dots = text.find(".."); dots != std::string_view::npos) {
        const std::size_t slash = text.find('/', dots);
        const auto from = integer(text.substr(0, dots));
        const auto to = integer(text.substr(
            dots + 2, slash == std::string_view::npos ? std::string_view::npos : slash - dots - 2));
        const auto step =
            slash == std::string_view::npos ? std::optional(1) : integer(text.substr(slash + 1));
        if (!from || !to || !step || *step <= 0 || *from > *to) {
            error = "a range is FROM..TO/STEP with FROM <= TO and STEP > 0: " + std::string(text);
            return std::nullopt;
        }
        if ((static_cast<int64_t>(*to) - *from) / *step >= 100000) {
            error = "a range of more than 100000 values: " + std::string(text);
            return std::nullopt;
        }
        for (int64_t v = *from; v <= *to; v += *step)
            values.push_back(static_cast<int>(v));
        return values;
    }
    for (std::string_view part : split(text, ',')) {
        const auto value = integer(part);
        if (!value) {
            error = "not a whole number: " + std::string(part);
            return std::nullopt;
        }
        values.push_back(*value);
    }
    return values;
}

// The editor field a row's named number is, by the row's category.
std::optional<std::pair<int16_t Condition::*, IntegerField>> conditionField(const Condition& row,
                                                                            std::string_view name) {
    using Edit = ConditionEditor::Edit;
    if (name == "day") return std::pair{&Condition::dayOffset, ConditionEditor::field(Edit::Day)};
    switch (row.category) {
        case kPriceComparison:
            if (name == "n") return std::pair{&Condition::p3, ConditionEditor::field(Edit::PriceN)};
            if (name == "percent")
                return std::pair{&Condition::percent, ConditionEditor::field(Edit::PricePercent)};
            if (name == "ticks")
                return std::pair{&Condition::ticks, ConditionEditor::field(Edit::PriceTicks)};
            break;
        case kIndicatorComparison:
            if (name == "n")
                return std::pair{&Condition::p3, ConditionEditor::field(Edit::IndicatorN)};
            break;
        case kValueComparison:
            if (name == "value")
                return std::pair{&Condition::p1, ConditionEditor::field(Edit::Value)};
            if (name == "range")
                return std::pair{&Condition::p3, ConditionEditor::field(Edit::Range)};
            break;
        case kCandleShape:
            if (name == "n")
                return std::pair{&Condition::p1, ConditionEditor::field(Edit::CandleN)};
            break;
        default:
            break;
    }
    return std::nullopt;
}

std::optional<int> analysisIndex(std::string_view name) {
    for (int i = 0; i < kChartParamCount; ++i)
        if (kChartParams[static_cast<std::size_t>(i)].name == name) return i;
    for (int i = 0; i < kIndicatorParamCount; ++i)
        if (kIndicatorParams[static_cast<std::size_t>(i)].name == name) return kChartParamCount + i;
    return std::nullopt;
}

}  // namespace

std::optional<ParameterSweep> parseSweep(std::string_view text, const Strategy& strategy,
                                         std::string& error) {
    const std::size_t equals = text.find('=');
    if (equals == std::string_view::npos) {
        error = "a parameter is ADDRESS=FROM..TO/STEP or ADDRESS=V1,V2,...: " + std::string(text);
        return std::nullopt;
    }
    ParameterSweep sweep;
    sweep.name = std::string(text.substr(0, equals));
    auto values = parseValues(text.substr(equals + 1), error);
    if (!values) return std::nullopt;
    sweep.values = std::move(*values);

    IntegerField range{"", 0, 0};
    ParameterAddress& address = sweep.address;
    const auto parts = split(sweep.name, '.');
    if (parts.size() == 2 && parts[0] == "split" && (parts[1] == "amount" || parts[1] == "step")) {
        address.kind = parts[1] == "amount" ? ParameterAddress::Kind::SplitAmount
                                            : ParameterAddress::Kind::SplitStep;
        if (strategy.split.method == kSplitNone) {
            error = "the strategy does not split its purchases: " + sweep.name;
            return std::nullopt;
        }
        // A purchase needs a positive amount; a percentage is of the whole capital.
        range = parts[1] == "amount"
                    ? IntegerField{"split.amount", 1,
                                   strategy.split.method == kSplitPercent
                                       ? 100
                                       : std::numeric_limits<int32_t>::max()}
                    : IntegerField{"split.step", std::numeric_limits<int32_t>::min(),
                                   std::numeric_limits<int32_t>::max()};
    } else if (parts.size() == 1) {
        const auto index = analysisIndex(parts[0]);
        if (!index) {
            error = "no such analysis parameter: " + sweep.name;
            return std::nullopt;
        }
        address.kind = ParameterAddress::Kind::Analysis;
        address.analysis = *index;
        range = {"", 0, 255};
    } else if (parts.size() == 4) {
        const auto tactic = integer(parts[0]);
        const auto row = integer(parts[2]);
        if (!tactic || *tactic < 1 || *tactic > static_cast<int>(strategy.tactics.size())) {
            error = "no tactic " + std::string(parts[0]) + " (the strategy has " +
                    std::to_string(strategy.tactics.size()) + "): " + sweep.name;
            return std::nullopt;
        }
        address.tactic = *tactic - 1;
        if (parts[1] == "buy")
            address.column = TacticTab::Buy;
        else if (parts[1] == "sell")
            address.column = TacticTab::Sell;
        else if (parts[1] == "stop")
            address.column = TacticTab::Stop;
        else {
            error = "the column is buy, sell or stop: " + sweep.name;
            return std::nullopt;
        }
        const TacticColumns& columns =
            strategy.tactics[static_cast<std::size_t>(address.tactic)].columns(address.column);
        if (!row || *row < 1 || *row > columns.count) {
            error = "no row " + std::string(parts[2]) + " in that column (it has " +
                    std::to_string(columns.count) + "): " + sweep.name;
            return std::nullopt;
        }
        address.row = *row - 1;
        const Condition& condition = columns.conditions[static_cast<std::size_t>(address.row)];
        if (address.column == TacticTab::Stop) {
            if (parts[3] != "value") {
                error = "a stop row sweeps its value: " + sweep.name;
                return std::nullopt;
            }
            address.kind = ParameterAddress::Kind::StopValue;
            address.field = &Condition::p1;
            range = {"value", 0, 32767};
        } else {
            const auto field = conditionField(condition, parts[3]);
            if (!field) {
                error = "that row has no field " + std::string(parts[3]) +
                        " (n, value, range, day, percent or ticks, by its kind): " + sweep.name;
                return std::nullopt;
            }
            address.kind = ParameterAddress::Kind::ConditionField;
            address.field = field->first;
            range = field->second;
        }
    } else {
        error = "unknown parameter address: " + sweep.name;
        return std::nullopt;
    }
    for (int value : sweep.values)
        if (value < range.min || value > range.max) {
            error = sweep.name + " takes values from " + std::to_string(range.min) + " to " +
                    std::to_string(range.max) + ", not " + std::to_string(value);
            return std::nullopt;
        }
    return sweep;
}

void applyParameter(const ParameterAddress& address, int value, Strategy& strategy,
                    AnalysisParameters& parameters, PeriodMode period) {
    switch (address.kind) {
        case ParameterAddress::Kind::ConditionField:
        case ParameterAddress::Kind::StopValue: {
            Tactic& tactic = strategy.tactics[static_cast<std::size_t>(address.tactic)];
            Condition& row =
                tactic.columns(address.column).conditions[static_cast<std::size_t>(address.row)];
            row.*address.field = static_cast<int16_t>(value);
            break;
        }
        case ParameterAddress::Kind::SplitAmount:
            strategy.split.amount = value;
            break;
        case ParameterAddress::Kind::SplitStep:
            strategy.split.step = value;
            break;
        case ParameterAddress::Kind::Analysis:
            parameters.bytes[static_cast<std::size_t>(3 * address.analysis + periodIndex(period))] =
                static_cast<uint8_t>(value);
            break;
    }
}

int64_t gridSize(const std::vector<ParameterSweep>& sweeps) {
    int64_t size = 1;
    for (const ParameterSweep& sweep : sweeps) {
        const auto n = static_cast<int64_t>(sweep.values.size());
        if (n != 0 && size > std::numeric_limits<int64_t>::max() / n)
            return std::numeric_limits<int64_t>::max();
        size *= n;
    }
    return size;
}

ParameterPoint gridPoint(const std::vector<ParameterSweep>& sweeps, int64_t index) {
    ParameterPoint point(sweeps.size());
    for (std::size_t s = sweeps.size(); s-- > 0;) {
        const auto n = static_cast<int64_t>(sweeps[s].values.size());
        point[s] = static_cast<int>(index % n);
        index /= n;
    }
    return point;
}

}  // namespace tav
