#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <span>
#include <string>
#include <vector>

#include "core/daily_bar.h"

namespace tav::python {

namespace py = pybind11;

// A bar field as a DataFrame column: its name (the field's name in the
// engine and in `tavrento-cli dump`), where it lies in a bar and its numpy type.
enum class SlotType : uint8_t { U8, I16, I32, I64, F32, F64 };

struct SlotColumn {
    const char* name;
    std::size_t offset;
    SlotType type;
};

// Every column `tavrento-cli dump` prints after the date, in its order.
const std::vector<SlotColumn>& slotColumns();

// The trade slots a back-test writes into the bars.
const std::vector<SlotColumn>& tradeColumns();

// The per-mille slots the indicator pane shows divided by ten, each with the
// value that means "not defined" there (shown as NaN).
struct PercentColumn {
    const char* slot;
    const char* name;  // slot + "Percent"
};
const std::vector<PercentColumn>& percentColumns();

// The dates of the bars (YYYYMMDD) as a DatetimeIndex named "date".
py::object dateIndex(std::span<const DailyBar> bars);

// A DataFrame of the slot columns, indexed by date, `percent` adding the
// scaled float columns. The bars hold a record per bar; the frame a block of
// columns per type: the values are gathered once into blocks that pandas
// takes over as they are.
// `index` (None: made from the bars' dates) is the frame's index.
py::object barFrame(std::span<const DailyBar> bars, const std::vector<SlotColumn>& columns,
                    bool percent, py::object index = py::none());

// The bars themselves as a numpy structured array (a field per slot column,
// and "date"), viewing the engine's memory without a copy; the array keeps
// the bars alive.
py::array barRecords(std::vector<DailyBar>&& bars);

// The bars of a DataFrame with open, high, low, close and volume columns and
// a DatetimeIndex (or a "date" column), into `bars` (every other field 0);
// returns the dates as a DatetimeIndex named "date". Throws ValueError when it
// has no such columns or a value does not fit its field.
py::object barsFromFrame(const py::object& frame, std::vector<DailyBar>& bars);

// A DataFrame from CSV text with a header line (the engine's exports).
py::object csvFrame(const std::string& text);

}  // namespace tav::python
