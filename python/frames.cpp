#include "frames.h"

#include <cmath>
#include <cstddef>
#include <cstring>
#include <limits>
#include <type_traits>

namespace tav::python {

namespace {

template <class T>
py::dtype dtypeOf() {
    return py::dtype::of<T>();
}

#define TAV_SLOT(field) \
    SlotColumn { #field, offsetof(DailyBar, field), &dtypeOf<decltype(DailyBar::field)> }

// Days since 1970-01-01 of a civil date, and back (proleptic Gregorian).
int64_t daysFromCivil(int64_t y, int64_t m, int64_t d) {
    y -= m <= 2;
    const int64_t era = (y >= 0 ? y : y - 399) / 400;
    const int64_t yoe = y - era * 400;
    const int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
}

void civilFromDays(int64_t z, int64_t& y, int64_t& m, int64_t& d) {
    z += 719468;
    const int64_t era = (z >= 0 ? z : z - 146096) / 146097;
    const int64_t doe = z - era * 146097;
    const int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const int64_t mp = (5 * doy + 2) / 153;
    d = doy - (153 * mp + 2) / 5 + 1;
    m = mp + (mp < 10 ? 3 : -9);
    y = yoe + era * 400 + (m <= 2);
}

// Nanoseconds since the epoch of a YYYYMMDD date; NaT for anything else.
int64_t dateNanoseconds(std::string_view text) {
    constexpr int64_t kNaT = std::numeric_limits<int64_t>::min();
    if (text.size() != 8) return kNaT;
    int64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return kNaT;
        value = value * 10 + (c - '0');
    }
    const int64_t year = value / 10000, month = value / 100 % 100, day = value % 100;
    if (month < 1 || month > 12 || day < 1 || day > 31) return kNaT;
    return daysFromCivil(year, month, day) * 86'400'000'000'000;
}

enum class Undefined { Never, Negative, Deviation };

struct PercentRule {
    PercentColumn column;
    Undefined undefined;
};

const std::vector<PercentRule>& percentRules() {
    static const std::vector<PercentRule> rules = {
        {{"williamsR", "williamsRPercent"}, Undefined::Negative},
        {{"rsi", "rsiPercent"}, Undefined::Negative},
        {{"rsiLong", "rsiLongPercent"}, Undefined::Negative},
        {{"rsiMid", "rsiMidPercent"}, Undefined::Negative},
        {{"rsiShort", "rsiShortPercent"}, Undefined::Negative},
        {{"rci", "rciPercent"}, Undefined::Never},
        {{"rciLong", "rciLongPercent"}, Undefined::Never},
        {{"rciMid", "rciMidPercent"}, Undefined::Never},
        {{"rciShort", "rciShortPercent"}, Undefined::Never},
        {{"vlRsi", "vlRsiPercent"}, Undefined::Negative},
        {{"deviationLong", "deviationLongPercent"}, Undefined::Deviation},
        {{"deviationMid", "deviationMidPercent"}, Undefined::Deviation},
        {{"wakoVr", "wakoVrPercent"}, Undefined::Never},
        {{"dx", "dxPercent"}, Undefined::Never},
        {{"adx", "adxPercent"}, Undefined::Never},
        {{"plusDi", "plusDiPercent"}, Undefined::Never},
        {{"minusDi", "minusDiPercent"}, Undefined::Never},
        {{"stochK", "stochKPercent"}, Undefined::Never},
        {{"stochD", "stochDPercent"}, Undefined::Never},
        {{"stochSlowD", "stochSlowDPercent"}, Undefined::Never},
    };
    return rules;
}

// The moving-average deviation of a bar whose short average is 0.
constexpr int64_t kUndefinedDeviationValue = -10000;

const SlotColumn& slotNamed(std::string_view name) {
    for (const SlotColumn& column : slotColumns())
        if (name == column.name) return column;
    throw std::logic_error("no slot " + std::string(name));
}

int64_t readInteger(const DailyBar& bar, const SlotColumn& column, std::size_t size) {
    const char* at = reinterpret_cast<const char*>(&bar) + column.offset;
    if (size == 2) {
        int16_t value;
        std::memcpy(&value, at, sizeof value);
        return value;
    }
    int32_t value;
    std::memcpy(&value, at, sizeof value);
    return value;
}

py::array_t<double> percentValues(std::span<const DailyBar> bars, const PercentRule& rule) {
    const SlotColumn& slot = slotNamed(rule.column.slot);
    const std::size_t size = static_cast<std::size_t>(slot.dtype().itemsize());
    py::array_t<double> out(static_cast<py::ssize_t>(bars.size()));
    double* values = out.mutable_data();
    for (std::size_t i = 0; i < bars.size(); ++i) {
        const int64_t v = readInteger(bars[i], slot, size);
        const bool undefined = (rule.undefined == Undefined::Negative && v < 0) ||
                               (rule.undefined == Undefined::Deviation && v == kUndefinedDeviationValue);
        values[i] = undefined ? std::numeric_limits<double>::quiet_NaN() : static_cast<double>(v) / 10.0;
    }
    return out;
}

}  // namespace

const std::vector<SlotColumn>& slotColumns() {
    static const std::vector<SlotColumn> columns = [] {
        std::vector<SlotColumn> list = {
            TAV_SLOT(open),          TAV_SLOT(high),          TAV_SLOT(low),
            TAV_SLOT(close),         TAV_SLOT(volume),        TAV_SLOT(provisional),
            TAV_SLOT(change),        TAV_SLOT(body),          TAV_SLOT(maLong),
            TAV_SLOT(maMid),         TAV_SLOT(maShort),       TAV_SLOT(waveLine),
            TAV_SLOT(bollingerMid),  TAV_SLOT(kijun),         TAV_SLOT(tenkan),
            TAV_SLOT(chikou),        TAV_SLOT(senkou1),       TAV_SLOT(senkou2),
            TAV_SLOT(macdLongEma),   TAV_SLOT(macdShortEma),  TAV_SLOT(macd),
            TAV_SLOT(macdSignal),    TAV_SLOT(forceIndex),    TAV_SLOT(sarTrend),
            TAV_SLOT(sar),           TAV_SLOT(sarBand),       TAV_SLOT(hlHigh),
            TAV_SLOT(hlLow),         TAV_SLOT(turnMark),      TAV_SLOT(turnConfirmed),
            TAV_SLOT(turnDistance),  TAV_SLOT(turnRatio),     TAV_SLOT(psychUpCount),
            TAV_SLOT(upBar),         TAV_SLOT(williamsR),     TAV_SLOT(rsi),
            TAV_SLOT(rsiLong),       TAV_SLOT(rsiMid),        TAV_SLOT(rsiShort),
            TAV_SLOT(rci),           TAV_SLOT(rciLong),       TAV_SLOT(rciMid),
            TAV_SLOT(rciShort),      TAV_SLOT(volatility5),   TAV_SLOT(vlRsi),
            TAV_SLOT(deviationLong), TAV_SLOT(deviationMid),  TAV_SLOT(roc),
            TAV_SLOT(vr),            TAV_SLOT(wakoVr),        TAV_SLOT(pvr),
            TAV_SLOT(dx),            TAV_SLOT(adx),           TAV_SLOT(plusDi),
            TAV_SLOT(minusDi),       TAV_SLOT(stochK),        TAV_SLOT(stochD),
            TAV_SLOT(stochSlowD),    TAV_SLOT(volumeMaShort), TAV_SLOT(volumeMaLong),
            TAV_SLOT(range),         TAV_SLOT(rangeAverage),
        };
        // The turning marks, one byte each, in the order of TurnMarkSlot.
        static constexpr const char* kMarks[] = {"turnMarkWilliamsR", "turnMarkRsi",
                                                 "turnMarkRci",       "turnMarkRoc",
                                                 "turnMarkPvr",       "turnMarkWakoVr",
                                                 "turnMarkVlRsi"};
        for (std::size_t k = 0; k < std::size(kMarks); ++k)
            list.push_back({kMarks[k], offsetof(DailyBar, turnMarks) + k, &dtypeOf<uint8_t>});
        return list;
    }();
    return columns;
}

const std::vector<SlotColumn>& tradeColumns() {
    static const std::vector<SlotColumn> columns = {TAV_SLOT(tradeMark), TAV_SLOT(tradeReentry),
                                                    TAV_SLOT(tradeUnits), TAV_SLOT(tradePerShare)};
    return columns;
}

const std::vector<PercentColumn>& percentColumns() {
    static const std::vector<PercentColumn> columns = [] {
        std::vector<PercentColumn> list;
        for (const PercentRule& rule : percentRules())
            list.push_back(rule.column);
        return list;
    }();
    return columns;
}

py::object dateIndex(std::span<const DailyBar> bars) {
    py::array_t<int64_t> nanoseconds(static_cast<py::ssize_t>(bars.size()));
    int64_t* out = nanoseconds.mutable_data();
    for (std::size_t i = 0; i < bars.size(); ++i)
        out[i] = dateNanoseconds(bars[i].dateText());
    py::object pandas = py::module_::import("pandas");
    return pandas.attr("DatetimeIndex")(nanoseconds.attr("view")("datetime64[ns]"),
                                        py::arg("name") = "date");
}

py::object barFrame(std::vector<DailyBar>&& bars, const std::vector<SlotColumn>& columns,
                    bool percent) {
    auto* block = new std::vector<DailyBar>(std::move(bars));
    py::capsule owner(block, [](void* held) { delete static_cast<std::vector<DailyBar>*>(held); });
    const std::span<const DailyBar> view(*block);
    const auto* base = reinterpret_cast<const char*>(block->data());
    const auto count = static_cast<py::ssize_t>(block->size());
    py::dict data;
    for (const SlotColumn& column : columns) {
        if (count == 0) {
            data[column.name] = py::array(column.dtype(), std::vector<py::ssize_t>{0}, std::vector<py::ssize_t>{});
            continue;
        }
        data[column.name] = py::array(column.dtype(), {count},
                                      {static_cast<py::ssize_t>(sizeof(DailyBar))},
                                      base + column.offset, owner);
    }
    if (percent)
        for (const PercentRule& rule : percentRules())
            data[rule.column.name] = percentValues(view, rule);
    py::object pandas = py::module_::import("pandas");
    return pandas.attr("DataFrame")(data, py::arg("index") = dateIndex(view));
}

std::vector<DailyBar> barsFromFrame(const py::object& frame) {
    py::object numpy = py::module_::import("numpy");
    py::object pandas = py::module_::import("pandas");
    if (!py::isinstance(frame, pandas.attr("DataFrame")))
        throw py::type_error("a DataFrame with open, high, low, close and volume columns is needed");
    const py::object columns = frame.attr("columns");
    py::object dates = columns.attr("__contains__")("date").cast<bool>()
                           ? pandas.attr("DatetimeIndex")(
                                 pandas.attr("to_datetime")(frame["date"], py::arg("format") = "%Y%m%d"))
                           : pandas.attr("DatetimeIndex")(frame.attr("index"));
    auto days = dates.attr("values")
                    .attr("astype")("datetime64[D]")
                    .attr("astype")("int64")
                    .cast<py::array_t<int64_t, py::array::c_style | py::array::forcecast>>();
    const auto count = static_cast<std::size_t>(days.size());
    std::vector<DailyBar> bars(count);
    std::memset(static_cast<void*>(bars.data()), 0, count * sizeof(DailyBar));
    const bool hasNaT = dates.attr("hasnans").cast<bool>();
    if (hasNaT) throw py::value_error("the frame has a bar without a date");
    for (std::size_t i = 0; i < count; ++i) {
        int64_t y, m, d;
        civilFromDays(days.at(static_cast<py::ssize_t>(i)), y, m, d);
        char text[64];
        std::snprintf(text, sizeof text, "%04lld%02lld%02lld", static_cast<long long>(y),
                      static_cast<long long>(m), static_cast<long long>(d));
        setBarDate(bars[i], text);
    }
    const auto read = [&](const char* name) {
        if (!columns.attr("__contains__")(name).cast<bool>())
            throw py::value_error(std::string("the frame has no column ") + name);
        py::array values = numpy.attr("asarray")(frame[name]);
        const char kind = values.dtype().kind();
        if (kind == 'f') {
            const bool whole = numpy
                                   .attr("all")(numpy.attr("isfinite")(values) &
                                                numpy.attr("equal")(numpy.attr("floor")(values), values))
                                   .cast<bool>();
            if (!whole) throw py::value_error(std::string("column ") + name + " holds a value that is no whole number");
        } else if (kind != 'i' && kind != 'u') {
            throw py::value_error(std::string("column ") + name + " is not numeric");
        }
        return values.attr("astype")("int64").cast<py::array_t<int64_t, py::array::c_style | py::array::forcecast>>();
    };
    struct Price {
        const char* name;
        int32_t DailyBar::*field;
    };
    for (const Price& price : {Price{"open", &DailyBar::open}, Price{"high", &DailyBar::high},
                               Price{"low", &DailyBar::low}, Price{"close", &DailyBar::close}}) {
        const auto values = read(price.name);
        for (std::size_t i = 0; i < count; ++i) {
            const int64_t v = values.at(static_cast<py::ssize_t>(i));
            if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
                throw py::value_error(std::string("column ") + price.name + " holds " + std::to_string(v) +
                                      ", beyond a 32-bit price");
            bars[i].*price.field = static_cast<int32_t>(v);
        }
    }
    const auto volumes = read("volume");
    for (std::size_t i = 0; i < count; ++i)
        bars[i].volume = volumes.at(static_cast<py::ssize_t>(i));
    return bars;
}

py::object csvFrame(const std::string& text) {
    py::object io = py::module_::import("io");
    py::object pandas = py::module_::import("pandas");
    py::object frame = pandas.attr("read_csv")(io.attr("StringIO")(text),
                                               py::arg("keep_default_na") = false,
                                               py::arg("dtype") = py::dict(py::arg("tactic") = "str",
                                                                           py::arg("side") = "str",
                                                                           py::arg("reason") = "str"));
    for (const char* column : {"date", "entryDate", "exitDate"}) {
        if (!frame.attr("columns").attr("__contains__")(column).cast<bool>()) continue;
        frame[column] = pandas.attr("to_datetime")(frame[column].attr("astype")("str"),
                                                   py::arg("format") = "%Y%m%d",
                                                   py::arg("errors") = "coerce");
    }
    return frame;
}

}  // namespace tav::python
