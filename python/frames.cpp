#include "frames.h"

#include <pybind11/stl.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdlib>
#include <cstring>
#include <limits>
#include <mutex>
#include <new>
#include <type_traits>

namespace tav::python {

namespace {

template <class T>
constexpr SlotType slotType() {
    if constexpr (std::is_same_v<T, uint8_t>)
        return SlotType::U8;
    else if constexpr (std::is_same_v<T, int16_t>)
        return SlotType::I16;
    else if constexpr (std::is_same_v<T, int32_t>)
        return SlotType::I32;
    else if constexpr (std::is_same_v<T, int64_t>)
        return SlotType::I64;
    else if constexpr (std::is_same_v<T, float>)
        return SlotType::F32;
    else {
        static_assert(std::is_same_v<T, double>);
        return SlotType::F64;
    }
}

#define TAV_SLOT(field)                                                            \
    SlotColumn {                                                                   \
#field, offsetof(DailyBar, field), slotType < decltype(DailyBar::field)>() \
    }

// Calls f(T{}) with the C++ type of a slot type.
template <class F>
decltype(auto) withType(SlotType type, F&& f) {
    switch (type) {
        case SlotType::U8:
            return f(uint8_t{});
        case SlotType::I16:
            return f(int16_t{});
        case SlotType::I32:
            return f(int32_t{});
        case SlotType::I64:
            return f(int64_t{});
        case SlotType::F32:
            return f(float{});
        case SlotType::F64:
            break;
    }
    return f(double{});
}

std::string numpyFormat(SlotType type) {
    return withType(type,
                    [](auto value) { return py::format_descriptor<decltype(value)>::format(); });
}

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

// The slot each percent column scales, looked up once.
const SlotColumn& percentSlot(std::size_t rule) {
    static const std::vector<const SlotColumn*> slots = [] {
        std::vector<const SlotColumn*> list;
        for (const PercentRule& each : percentRules())
            list.push_back(&slotNamed(each.column.slot));
        return list;
    }();
    return *slots[rule];
}

template <class T>
void fillPercent(std::span<const DailyBar> bars, std::size_t offset, Undefined undefined,
                 double* values) {
    const char* at = reinterpret_cast<const char*>(bars.data()) + offset;
    for (std::size_t i = 0; i < bars.size(); ++i, at += sizeof(DailyBar)) {
        T v;
        std::memcpy(&v, at, sizeof v);
        const bool none = (undefined == Undefined::Negative && v < 0) ||
                          (undefined == Undefined::Deviation && v == kUndefinedDeviationValue);
        values[i] = none ? std::numeric_limits<double>::quiet_NaN() : static_cast<double>(v) / 10.0;
    }
}

void fillPercent(std::span<const DailyBar> bars, std::size_t rule, double* values) {
    const SlotColumn& slot = percentSlot(rule);
    const Undefined undefined = percentRules()[rule].undefined;
    if (slot.type == SlotType::I16)
        fillPercent<int16_t>(bars, slot.offset, undefined, values);
    else
        fillPercent<int32_t>(bars, slot.offset, undefined, values);
}

// Memory for the blocks of frames, kept when a frame goes for the next one:
// a block of this size fresh from the system costs the first touch of each
// of its pages on every call, more than gathering the values into it.
class BlockMemory {
  public:
    struct Buffer {
        char* data = nullptr;
        std::size_t size = 0;
    };

    static BlockMemory& shared() {
        static BlockMemory* memory = new BlockMemory;  // outlives every frame
        return *memory;
    }

    Buffer take(std::size_t size) {
        {
            std::lock_guard lock(mutex_);
            auto best = kept_.end();
            for (auto it = kept_.begin(); it != kept_.end(); ++it)
                if (it->size >= size && (best == kept_.end() || it->size < best->size)) best = it;
            if (best != kept_.end()) {
                const Buffer found = *best;
                kept_.erase(best);
                return found;
            }
        }
        auto* data = static_cast<char*>(std::malloc(size));
        if (!data) throw std::bad_alloc();
        return {data, size};
    }

    void give(Buffer buffer) {
        std::lock_guard lock(mutex_);
        kept_.push_back(buffer);
        if (kept_.size() > kKept) {
            std::free(kept_.front().data);
            kept_.erase(kept_.begin());
        }
    }

  private:
    static constexpr std::size_t kKept = 8;
    std::mutex mutex_;
    std::vector<Buffer> kept_;
};

// One block of the frame: columns of one type, a row per column.
struct Block {
    SlotType type;
    std::vector<int64_t> positions;          // the columns' places in the frame
    std::vector<const SlotColumn*> columns;  // null: the percent columns
    py::array values;
    char* data = nullptr;
};

template <class T>
void gather(std::span<const DailyBar> bars, std::size_t offset, T* out) {
    const char* at = reinterpret_cast<const char*>(bars.data()) + offset;
    for (std::size_t i = 0; i < bars.size(); ++i, at += sizeof(DailyBar))
        std::memcpy(out + i, at, sizeof(T));
}

// The frame of the blocks through pandas' block manager, which takes them as
// they are; a plain dictionary of columns where that is not available.
py::object frameOfBlocks(std::vector<Block>& blocks, const py::list& names, const py::object& index,
                         bool everySlot) {
    py::object pandas = py::module_::import("pandas");
    py::object numpy = py::module_::import("numpy");
    try {
        py::object internals = py::module_::import("pandas.core.internals");
        py::object makeBlock = py::module_::import("pandas.core.internals.api").attr("make_block");
        py::list made;
        for (Block& block : blocks)
            made.append(makeBlock(block.values,
                                  py::arg("placement") = numpy.attr("asarray")(
                                      py::cast(block.positions), py::arg("dtype") = "intp"),
                                  py::arg("ndim") = 2));
        py::list axes;
        if (everySlot) {
            // The columns of every indicator frame, made once (an Index never changes).
            static py::object* const columns = new py::object(pandas.attr("Index")(names));
            axes.append(*columns);
        } else {
            axes.append(pandas.attr("Index")(names));
        }
        axes.append(index);
        py::object manager = internals.attr("BlockManager")(made, axes);
        py::object frameType = pandas.attr("DataFrame");
        if (py::hasattr(frameType, "_from_mgr"))
            return frameType.attr("_from_mgr")(manager, py::arg("axes") = manager.attr("axes"));
        return frameType(manager);
    } catch (const py::error_already_set&) {
        // A pandas whose internals differ: the columns go through a dictionary.
        py::dict columns;
        for (Block& block : blocks)
            for (std::size_t r = 0; r < block.positions.size(); ++r)
                columns[names[static_cast<std::size_t>(block.positions[r])]] =
                    block.values[py::int_(r)];
        return pandas.attr("DataFrame")(columns, py::arg("index") = index,
                                        py::arg("columns") = names);
    }
}

}  // namespace

const std::vector<SlotColumn>& slotColumns() {
    static const std::vector<SlotColumn> columns = [] {
        std::vector<SlotColumn> list = {
            TAV_SLOT(open),
            TAV_SLOT(high),
            TAV_SLOT(low),
            TAV_SLOT(close),
            TAV_SLOT(volume),
            TAV_SLOT(provisional),
            TAV_SLOT(change),
            TAV_SLOT(body),
            TAV_SLOT(maLong),
            TAV_SLOT(maMid),
            TAV_SLOT(maShort),
            TAV_SLOT(waveLine),
            TAV_SLOT(bollingerMid),
            TAV_SLOT(kijun),
            TAV_SLOT(tenkan),
            TAV_SLOT(chikou),
            TAV_SLOT(senkou1),
            TAV_SLOT(senkou2),
            TAV_SLOT(macdLongEma),
            TAV_SLOT(macdShortEma),
            TAV_SLOT(macd),
            TAV_SLOT(macdSignal),
            TAV_SLOT(forceIndex),
            TAV_SLOT(sarTrend),
            TAV_SLOT(sar),
            TAV_SLOT(sarBand),
            TAV_SLOT(hlHigh),
            TAV_SLOT(hlLow),
            TAV_SLOT(turnMark),
            TAV_SLOT(turnConfirmed),
            TAV_SLOT(turnDistance),
            TAV_SLOT(turnRatio),
            TAV_SLOT(psychUpCount),
            TAV_SLOT(upBar),
            TAV_SLOT(williamsR),
            TAV_SLOT(rsi),
            TAV_SLOT(rsiLong),
            TAV_SLOT(rsiMid),
            TAV_SLOT(rsiShort),
            TAV_SLOT(rci),
            TAV_SLOT(rciLong),
            TAV_SLOT(rciMid),
            TAV_SLOT(rciShort),
            TAV_SLOT(volatility5),
            TAV_SLOT(vlRsi),
            TAV_SLOT(deviationLong),
            TAV_SLOT(deviationMid),
            TAV_SLOT(roc),
            TAV_SLOT(vr),
            TAV_SLOT(wakoVr),
            TAV_SLOT(pvr),
            TAV_SLOT(dx),
            TAV_SLOT(adx),
            TAV_SLOT(plusDi),
            TAV_SLOT(minusDi),
            TAV_SLOT(stochK),
            TAV_SLOT(stochD),
            TAV_SLOT(stochSlowD),
            TAV_SLOT(volumeMaShort),
            TAV_SLOT(volumeMaLong),
            TAV_SLOT(range),
            TAV_SLOT(rangeAverage),
        };
        // The turning marks, one byte each, in the order of TurnMarkSlot.
        static constexpr const char* kMarks[] = {
            "turnMarkWilliamsR", "turnMarkRsi",    "turnMarkRci",  "turnMarkRoc",
            "turnMarkPvr",       "turnMarkWakoVr", "turnMarkVlRsi"};
        for (std::size_t k = 0; k < std::size(kMarks); ++k)
            list.push_back({kMarks[k], offsetof(DailyBar, turnMarks) + k, SlotType::U8});
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

py::object barFrame(std::span<const DailyBar> bars, const std::vector<SlotColumn>& columns,
                    bool percent, py::object index) {
    std::vector<Block> blocks;
    py::list names;
    int64_t position = 0;
    for (const SlotColumn& column : columns) {
        auto block = std::find_if(blocks.begin(), blocks.end(),
                                  [&](const Block& b) { return b.type == column.type; });
        if (block == blocks.end())
            block = blocks.insert(blocks.end(), Block{column.type, {}, {}, {}});
        block->positions.push_back(position++);
        block->columns.push_back(&column);
        names.append(column.name);
    }
    if (percent) {
        Block& scaled = blocks.emplace_back(Block{SlotType::F64, {}, {}, {}});
        for (const PercentRule& rule : percentRules()) {
            scaled.positions.push_back(position++);
            scaled.columns.push_back(nullptr);
            names.append(rule.column.name);
        }
    }
    const auto count = static_cast<py::ssize_t>(bars.size());
    // One buffer for every block, each block on a cache line of its own.
    constexpr std::size_t kLine = 64;
    std::size_t total = 0;
    std::vector<std::size_t> starts;
    for (const Block& block : blocks) {
        starts.push_back(total);
        const std::size_t bytes = block.positions.size() * bars.size() *
                                  withType(block.type, [](auto value) { return sizeof value; });
        total += (bytes + kLine - 1) / kLine * kLine;
    }
    auto* buffer =
        new BlockMemory::Buffer(BlockMemory::shared().take(std::max<std::size_t>(total, kLine)));
    py::capsule owner(buffer, [](void* held) {
        auto* kept = static_cast<BlockMemory::Buffer*>(held);
        BlockMemory::shared().give(*kept);
        delete kept;
    });
    for (std::size_t b = 0; b < blocks.size(); ++b) {
        Block& block = blocks[b];
        const auto rows = static_cast<py::ssize_t>(block.positions.size());
        block.data = buffer->data + starts[b];
        const py::dtype type(numpyFormat(block.type));
        block.values = py::array(type, std::vector<py::ssize_t>{rows, count},
                                 std::vector<py::ssize_t>{count * type.itemsize(), type.itemsize()},
                                 block.data, owner);
    }
    {
        // In runs of bars that stay in the first-level cache while every
        // column takes its values from them.
        constexpr std::size_t kRun = 64;
        py::gil_scoped_release release;
        for (std::size_t first = 0; first < bars.size(); first += kRun) {
            const std::span<const DailyBar> run =
                bars.subspan(first, std::min(kRun, bars.size() - first));
            for (Block& block : blocks)
                withType(block.type, [&](auto value) {
                    using T = decltype(value);
                    T* out = reinterpret_cast<T*>(block.data) + first;
                    for (std::size_t r = 0; r < block.columns.size(); ++r, out += bars.size()) {
                        if (block.columns[r])
                            gather(run, block.columns[r]->offset, out);
                        else if constexpr (std::is_same_v<T, double>)
                            fillPercent(run, r, out);
                    }
                    return 0;
                });
        }
    }
    if (index.is_none()) index = dateIndex(bars);
    return frameOfBlocks(blocks, names, index, percent && &columns == &slotColumns());
}

py::array barRecords(std::vector<DailyBar>&& bars) {
    py::list names, formats, offsets;
    names.append("date");
    formats.append("S12");
    offsets.append(offsetof(DailyBar, date));
    for (const std::vector<SlotColumn>* list : {&slotColumns(), &tradeColumns()})
        for (const SlotColumn& column : *list) {
            names.append(column.name);
            formats.append(numpyFormat(column.type));
            offsets.append(column.offset);
        }
    py::dict layout;
    layout["names"] = names;
    layout["formats"] = formats;
    layout["offsets"] = offsets;
    layout["itemsize"] = sizeof(DailyBar);
    const py::dtype record = py::module_::import("numpy").attr("dtype")(layout);
    auto* block = new std::vector<DailyBar>(std::move(bars));
    py::capsule owner(block, [](void* held) { delete static_cast<std::vector<DailyBar>*>(held); });
    return py::array(record, std::vector<py::ssize_t>{static_cast<py::ssize_t>(block->size())},
                     std::vector<py::ssize_t>{static_cast<py::ssize_t>(sizeof(DailyBar))},
                     block->data(), owner);
}

py::object barsFromFrame(const py::object& frame, std::vector<DailyBar>& bars) {
    py::object numpy = py::module_::import("numpy");
    py::object pandas = py::module_::import("pandas");
    if (!py::isinstance(frame, pandas.attr("DataFrame")))
        throw py::type_error(
            "a DataFrame with open, high, low, close and volume columns is needed");
    const py::object columns = frame.attr("columns");
    py::object dates = columns.attr("__contains__")("date").cast<bool>()
                           ? pandas.attr("DatetimeIndex")(pandas.attr("to_datetime")(
                                 frame["date"], py::arg("format") = "%Y%m%d"))
                           : pandas.attr("DatetimeIndex")(frame.attr("index"));
    // Nanoseconds since the epoch, a bar's day their floor in days.
    auto nanoseconds =
        dates.attr("asi8").cast<py::array_t<int64_t, py::array::c_style | py::array::forcecast>>();
    const auto count = static_cast<std::size_t>(nanoseconds.size());
    bars.resize(count);
    std::memset(static_cast<void*>(bars.data()), 0, count * sizeof(DailyBar));
    const int64_t* stamp = nanoseconds.data();
    constexpr int64_t kDay = 86'400'000'000'000;
    const bool hasNaT = dates.attr("hasnans").cast<bool>();
    if (hasNaT) throw py::value_error("the frame has a bar without a date");
    for (std::size_t i = 0; i < count; ++i) {
        int64_t y, m, d;
        const int64_t day = stamp[i] / kDay - (stamp[i] % kDay < 0 ? 1 : 0);
        civilFromDays(day, y, m, d);
        if (y < 1 || y > 9999) throw py::value_error("a date beyond the years 1 to 9999");
        // YYYYMMDD, as the data files write it.
        char* text = bars[i].date;
        text[0] = static_cast<char>('0' + y / 1000);
        text[1] = static_cast<char>('0' + y / 100 % 10);
        text[2] = static_cast<char>('0' + y / 10 % 10);
        text[3] = static_cast<char>('0' + y % 10);
        text[4] = static_cast<char>('0' + m / 10);
        text[5] = static_cast<char>('0' + m % 10);
        text[6] = static_cast<char>('0' + d / 10);
        text[7] = static_cast<char>('0' + d % 10);
    }
    const auto read = [&](const char* name) {
        if (!columns.attr("__contains__")(name).cast<bool>())
            throw py::value_error(std::string("the frame has no column ") + name);
        py::array values = numpy.attr("asarray")(frame[name]);
        const char kind = values.dtype().kind();
        if (kind == 'f') {
            const bool whole =
                numpy
                    .attr("all")(numpy.attr("isfinite")(values) &
                                 numpy.attr("equal")(numpy.attr("floor")(values), values))
                    .cast<bool>();
            if (!whole)
                throw py::value_error(std::string("column ") + name +
                                      " holds a value that is no whole number");
        } else if (kind != 'i' && kind != 'u') {
            throw py::value_error(std::string("column ") + name + " is not numeric");
        }
        return values.attr("astype")("int64")
            .cast<py::array_t<int64_t, py::array::c_style | py::array::forcecast>>();
    };
    struct Price {
        const char* name;
        int32_t DailyBar::*field;
    };
    for (const Price& price : {Price{"open", &DailyBar::open}, Price{"high", &DailyBar::high},
                               Price{"low", &DailyBar::low}, Price{"close", &DailyBar::close}}) {
        const auto values = read(price.name);
        const int64_t* value = values.data();
        for (std::size_t i = 0; i < count; ++i) {
            const int64_t v = value[i];
            if (v < std::numeric_limits<int32_t>::min() || v > std::numeric_limits<int32_t>::max())
                throw py::value_error(std::string("column ") + price.name + " holds " +
                                      std::to_string(v) + ", beyond a 32-bit price");
            bars[i].*price.field = static_cast<int32_t>(v);
        }
    }
    const auto volumes = read("volume");
    const int64_t* volume = volumes.data();
    for (std::size_t i = 0; i < count; ++i)
        bars[i].volume = volume[i];
    return dates.attr("rename")("date");
}

py::object csvFrame(const std::string& text) {
    py::object io = py::module_::import("io");
    py::object pandas = py::module_::import("pandas");
    py::object frame = pandas.attr("read_csv")(
        io.attr("StringIO")(text), py::arg("keep_default_na") = false,
        py::arg("dtype") = py::dict(py::arg("tactic") = "str", py::arg("side") = "str",
                                    py::arg("reason") = "str"));
    for (const char* column : {"date", "entryDate", "exitDate"}) {
        if (!frame.attr("columns").attr("__contains__")(column).cast<bool>()) continue;
        frame[column] =
            pandas.attr("to_datetime")(frame[column].attr("astype")("str"),
                                       py::arg("format") = "%Y%m%d", py::arg("errors") = "coerce");
    }
    return frame;
}

}  // namespace tav::python
