#include "research/parameter_space.h"

#include <charconv>
#include <limits>

#include "conditions/condition_editor.h"
#include "conditions/condition_text.h"

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
        if ((static_cast<int64_t>(*to) - *from) / *step >= kMaxSweepValues) {
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

// The row fields a sweep can name, in the order the dialog lists them.
constexpr std::string_view kFieldNames[] = {"n", "value", "range", "percent", "ticks", "day"};

const Condition& rowOf(const ParameterAddress& address, const Strategy& strategy) {
    return strategy.tactics[static_cast<std::size_t>(address.tactic)]
        .columns(address.column)
        .conditions[static_cast<std::size_t>(address.row)];
}

// "株価移動平均（長/中/短期）" for the second of its three parameters:
// "株価移動平均（中）".
std::string analysisLabel(const ParameterInfo* table, int index) {
    const std::string_view label = table[index].label;
    int position = 0;
    while (index - position > 0 && table[index - position - 1].label == label)
        ++position;
    const std::size_t open = label.find("（");
    const std::size_t close = label.rfind("）");
    if (open == std::string_view::npos || close == std::string_view::npos || close < open)
        return std::string(label);
    const std::string_view inside = label.substr(open + 3, close - open - 3);
    const auto parts = split(inside, '/');
    if (parts.size() < 2 || position >= static_cast<int>(parts.size())) return std::string(label);
    return std::string(label.substr(0, open)) + "（" +
           std::string(parts[static_cast<std::size_t>(position)]) + "）";
}

}  // namespace

IntegerField parameterRange(const ParameterAddress& address, const Strategy& strategy) {
    switch (address.kind) {
        case ParameterAddress::Kind::SplitAmount:
            // A purchase needs a positive amount; a percentage is of the whole capital.
            return {
                "split.amount", 1,
                strategy.split.method == kSplitPercent ? 100 : std::numeric_limits<int32_t>::max()};
        case ParameterAddress::Kind::SplitStep:
            return {"split.step", std::numeric_limits<int32_t>::min(),
                    std::numeric_limits<int32_t>::max()};
        case ParameterAddress::Kind::Analysis:
            return {"", 0, 255};
        case ParameterAddress::Kind::StopValue:
            return {"value", 0, 32767};
        case ParameterAddress::Kind::ConditionField:
            for (std::string_view name : kFieldNames)
                if (const auto field = conditionField(rowOf(address, strategy), name);
                    field && field->first == address.field)
                    return field->second;
            break;
    }
    return {"", 0, 0};
}

std::vector<SweepableParameter> sweepableParameters(const Strategy& strategy,
                                                    std::span<const std::string> capsuleTitles) {
    std::vector<SweepableParameter> list;
    constexpr std::pair<TacticTab, std::string_view> kColumns[] = {
        {TacticTab::Buy, "buy"}, {TacticTab::Sell, "sell"}, {TacticTab::Stop, "stop"}};
    constexpr std::string_view kColumnLabels[] = {"買い", "売り", "ストップ"};
    for (std::size_t t = 0; t < strategy.tactics.size(); ++t) {
        const Tactic& tactic = strategy.tactics[t];
        for (std::size_t c = 0; c < std::size(kColumns); ++c) {
            const auto [tab, word] = kColumns[c];
            const TacticColumns& columns = tactic.columns(tab);
            for (int r = 0; r < columns.count && r < kMaxColumnConditions; ++r) {
                const Condition& row = columns.conditions[static_cast<std::size_t>(r)];
                const std::string address = std::to_string(t + 1) + "." + std::string(word) + "." +
                                            std::to_string(r + 1) + ".";
                const std::string label = "戦術" + std::to_string(t + 1) + " " +
                                          std::string(kColumnLabels[c]) + " " +
                                          std::to_string(r + 1) + "行目 ";
                const bool shortStops = tab == TacticTab::Stop && strategy_labels::showsShortStops(
                                                                      strategy.tradingMode, tactic);
                const std::string text =
                    tab == TacticTab::Stop
                        ? strategy_labels::stopRuleText(row, shortStops)
                        : conditionText(row, ConditionContext::Strategy, capsuleTitles);
                ParameterAddress at;
                at.tactic = static_cast<int>(t);
                at.column = tab;
                at.row = r;
                if (tab == TacticTab::Stop) {
                    at.kind = ParameterAddress::Kind::StopValue;
                    at.field = &Condition::p1;
                    list.push_back({address + "value", label + "値", text, at,
                                    parameterRange(at, strategy), row.p1});
                    continue;
                }
                for (std::string_view name : kFieldNames) {
                    const auto field = conditionField(row, name);
                    if (!field) continue;
                    at.kind = ParameterAddress::Kind::ConditionField;
                    at.field = field->first;
                    list.push_back({address + std::string(name),
                                    label + std::string(field->second.label), text, at,
                                    field->second, row.*field->first});
                }
            }
        }
    }
    if (strategy.split.method != kSplitNone) {
        ParameterAddress at;
        at.kind = ParameterAddress::Kind::SplitAmount;
        list.push_back({"split.amount", "分割売買 一回の額", "", at, parameterRange(at, strategy),
                        strategy.split.amount});
        at.kind = ParameterAddress::Kind::SplitStep;
        list.push_back({"split.step", "分割売買 増減率", "", at, parameterRange(at, strategy),
                        strategy.split.step});
    }
    const auto defaults = AnalysisParameters::defaults();
    for (int i = 0; i < kChartParamCount + kIndicatorParamCount; ++i) {
        const bool chart = i < kChartParamCount;
        const ParameterInfo* table = chart ? kChartParams.data() : kIndicatorParams.data();
        const int index = chart ? i : i - kChartParamCount;
        ParameterAddress at;
        at.kind = ParameterAddress::Kind::Analysis;
        at.analysis = i;
        list.push_back({std::string(table[index].name), "分析 " + analysisLabel(table, index), "",
                        at, parameterRange(at, strategy),
                        defaults.bytes[static_cast<std::size_t>(3 * i)]});
    }
    return list;
}

std::optional<ParameterSweep> sweepOf(const SweepableParameter& parameter, int from, int to,
                                      int step, std::string& message) {
    const std::string& label = parameter.label;
    if (step <= 0) {
        message = "「" + label + "」の刻みは 1 以上にしてください。";
        return std::nullopt;
    }
    if (from > to) {
        message = "「" + label + "」は開始を終了以下にしてください。";
        return std::nullopt;
    }
    if (from < parameter.range.min || to > parameter.range.max) {
        message = "「" + label + "」は " + std::to_string(parameter.range.min) + " から " +
                  std::to_string(parameter.range.max) + " の範囲で指定してください。";
        return std::nullopt;
    }
    if ((static_cast<int64_t>(to) - from) / step >= kMaxSweepValues) {
        message =
            "「" + label + "」の値が多すぎます（" + std::to_string(kMaxSweepValues) + " 個まで）。";
        return std::nullopt;
    }
    ParameterSweep sweep{parameter.name, parameter.address, {}};
    for (int64_t value = from; value <= to; value += step)
        sweep.values.push_back(static_cast<int>(value));
    return sweep;
}

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

    ParameterAddress& address = sweep.address;
    const auto parts = split(sweep.name, '.');
    if (parts.size() == 2 && parts[0] == "split" && (parts[1] == "amount" || parts[1] == "step")) {
        address.kind = parts[1] == "amount" ? ParameterAddress::Kind::SplitAmount
                                            : ParameterAddress::Kind::SplitStep;
        if (strategy.split.method == kSplitNone) {
            error = "the strategy does not split its purchases: " + sweep.name;
            return std::nullopt;
        }
    } else if (parts.size() == 1) {
        const auto index = analysisIndex(parts[0]);
        if (!index) {
            error = "no such analysis parameter: " + sweep.name;
            return std::nullopt;
        }
        address.kind = ParameterAddress::Kind::Analysis;
        address.analysis = *index;
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
        } else {
            const auto field = conditionField(condition, parts[3]);
            if (!field) {
                error = "that row has no field " + std::string(parts[3]) +
                        " (n, value, range, day, percent or ticks, by its kind): " + sweep.name;
                return std::nullopt;
            }
            address.kind = ParameterAddress::Kind::ConditionField;
            address.field = field->first;
        }
    } else {
        error = "unknown parameter address: " + sweep.name;
        return std::nullopt;
    }
    const IntegerField range = parameterRange(address, strategy);
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
