#pragma once

#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>

#include <string>
#include <vector>

#include "portfolio/portfolio_run.h"
#include "research/optimization_report.h"
#include "screening/market_scan.h"
#include "simulation/simulation_engine.h"
#include "simulation/simulation_results.h"

// The engine's results as Python values: the columns and names the
// command-line tool's CSV and JSON output use, numbers unformatted.
namespace tav::python {

namespace py = pybind11;

// selected, skipped, failed and the summary line ("抽出 3 件、…").
py::dict countsDict(const ScanCounts& counts, bool ranking);
// A boolean array viewing the engine's bytes (each 0 or 1), which it keeps.
py::array boolArray(std::vector<uint8_t>&& values);
// A DataFrame of list columns in the given order.
py::object frameOf(const py::dict& columns, const std::vector<std::string>& order);

// The named-tuple types of results (Backtest, Optimisation, Portfolio): made
// once when the module loads, looked up by name.
py::object makeNamedTuple(const char* name, const std::vector<const char*>& fields);
py::object resultType(const char* name);

// A run's result block by the field names `tavrento-cli backtest` prints.
py::dict resultDict(const SimulationResult& result);
// The note pane's lines as (label, value) pairs.
py::list noteList(const std::vector<NoteLine>& lines);

// The ranking of `tavrento-cli rank --format csv`, counts in attrs["counts"].
py::object rankFrame(const std::vector<ResultRow>& rows, const ScanCounts& counts);
// Optimisation(points, walk_forward, summary) as `tavrento-cli optimize`
// reports them.
py::object optimisationResult(const ResearchJob& job, const OptimizationReport& report,
                              const OptimizationOptions& request, const std::string& strategyName);
// Portfolio(summary, securities, trades, equity) as `tavrento-cli portfolio`.
py::object portfolioResult(const PortfolioOutcome& outcome);

}  // namespace tav::python
