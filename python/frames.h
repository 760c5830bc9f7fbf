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
struct SlotColumn {
    const char* name;
    std::size_t offset;
    py::dtype (*dtype)();
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

// A DataFrame of the named slot columns, indexed by date. The bars move into
// a block that numpy views without a copy; pandas keeps its own copy of the
// values, the views keep the block alive as long as any refers to it.
// `percent` adds the scaled float columns.
py::object barFrame(std::vector<DailyBar>&& bars, const std::vector<SlotColumn>& columns,
                    bool percent);

// The bars of a DataFrame with open, high, low, close and volume columns and
// a DatetimeIndex (or a "date" column); throws ValueError when it has no such
// columns or a value does not fit its field.
std::vector<DailyBar> barsFromFrame(const py::object& frame);

// A DataFrame from CSV text with a header line (the engine's exports).
py::object csvFrame(const std::string& text);

}  // namespace tav::python
