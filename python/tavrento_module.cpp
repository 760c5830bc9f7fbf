// The engine as the Python module `tavrento`: a program folder's store,
// indicators, conditions, back-tests and market-wide runs, each call doing
// what the matching tavrento-cli command does and returning numpy and pandas
// values instead of text.
#include <pybind11/numpy.h>
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <memory>
#include <optional>
#include <sstream>
#include <string>
#include <unordered_set>
#include <vector>

#include "conditions/capsule_file.h"
#include "core/file_io.h"
#include "core/stock_code.h"
#include "data/price_store.h"
#include "data/program_folder.h"
#include "data/stock_master.h"
#include "frames.h"
#include "portfolio/portfolio_run.h"
#include "research/optimization_report.h"
#include "research/parameter_space.h"
#include "results.h"
#include "screening/market_scan.h"
#include "session.h"
#include "simulation/insight_export.h"
#include "simulation/strategy_file.h"
#include "simulation/trade_insight.h"
#include "watchlists/watchlist_files.h"
#include "workspace/screening.h"

namespace tav::python {

namespace {

namespace py = pybind11;

StockCode codeArgument(const py::handle& value) {
    const std::string text = py::str(value);
    const auto code = parseCode(text);
    if (!code) throw py::value_error("not a security code: " + text);
    return *code;
}

PeriodMode periodArgument(const std::string& name) {
    const auto period = parsePeriodName(name);
    if (!period) throw py::value_error("period must be daily, weekly or monthly: " + name);
    return *period;
}

// Analysis parameters by the names the optimizer sweeps them under
// (rsiPeriod, maShortPeriod, ...), each a number from 0 to 255, as the
// optimizer's texts ("rsiPeriod=9"); read while the GIL is held.
std::vector<std::string> parameterTexts(const py::object& values) {
    std::vector<std::string> texts;
    if (values.is_none()) return texts;
    for (const auto& [name, value] : values.cast<py::dict>())
        texts.push_back(py::str(name).cast<std::string>() + "=" +
                        std::to_string(value.cast<int64_t>()));
    return texts;
}

void applyParameters(const std::vector<std::string>& texts, AnalysisParameters& parameters,
                     PeriodMode period) {
    Strategy none;
    for (const std::string& text : texts) {
        std::string error;
        const auto sweep = parseSweep(text, none, error);
        if (!sweep) throw py::value_error(error);
        if (sweep->address.kind != ParameterAddress::Kind::Analysis)
            throw py::value_error("no such analysis parameter: " + sweep->name);
        applyParameter(sweep->address, sweep->values.front(), none, parameters, period);
    }
}

// Up to ten 16-bit fields, as text ("F1 ... F10") or a sequence of numbers.
Condition conditionArgument(const py::object& value) {
    std::vector<int64_t> fields;
    if (py::isinstance<py::str>(value)) {
        std::istringstream words(value.cast<std::string>());
        std::string word;
        while (words >> word) {
            try {
                std::size_t used = 0;
                fields.push_back(std::stoll(word, &used));
                if (used != word.size()) fields.push_back(INT64_MAX);
            } catch (const std::exception&) {
                fields.push_back(INT64_MAX);
            }
        }
    } else {
        for (const auto& field : value)
            fields.push_back(field.cast<int64_t>());
    }
    int16_t row[10] = {};
    if (fields.empty() || fields.size() > 10)
        throw py::value_error("a condition takes up to ten 16-bit numbers");
    for (std::size_t i = 0; i < fields.size(); ++i) {
        if (fields[i] < INT16_MIN || fields[i] > INT16_MAX)
            throw py::value_error("a condition takes up to ten 16-bit numbers");
        row[i] = static_cast<int16_t>(fields[i]);
    }
    return Condition{row[0], row[1], row[2], row[3], row[4],
                     row[5], row[6], row[7], row[8], row[9]};
}

// A list choice given as its index or as one of its labels.
template <std::size_t N>
int choiceArgument(const py::object& value, const char* name,
                   const std::array<std::string_view, N>& labels) {
    if (value.is_none()) return 0;
    if (py::isinstance<py::str>(value)) {
        const std::string text = value.cast<std::string>();
        for (std::size_t i = 0; i < N; ++i)
            if (text == labels[i]) return static_cast<int>(i);
    } else {
        const int64_t index = value.cast<int64_t>();
        if (index >= 0 && index < static_cast<int64_t>(N)) return static_cast<int>(index);
    }
    throw py::value_error(std::string(name) + " takes 0 to " + std::to_string(N - 1) +
                          " or a label of its list");
}

SecurityFilters filtersArgument(const py::object& market, const py::object& unit,
                                const py::object& margin, const py::object& liquidity,
                                int32_t multiple) {
    SecurityFilters filters;
    filters.market = choiceArgument(market, "market", kMarketLabels);
    filters.unit = choiceArgument(unit, "unit", kUnitLabels);
    filters.marginType = choiceArgument(margin, "margin", kMarginLabels);
    filters.liquidity = choiceArgument(liquidity, "liquidity", kLiquidityLabels);
    if (multiple < 0) throw py::value_error("multiple takes a number from 0");
    filters.liquidityMultiple = multiple;
    return filters;
}

int watchlistArgument(Workspace& workspace, const py::object& value) {
    if (value.is_none()) return 0;
    const int64_t number = value.cast<int64_t>();
    const auto titles = readTitles(workspace.folder());
    if (number < 1 || number > static_cast<int64_t>(titles.size()))
        throw py::value_error("no watchlist " + std::to_string(number) + " (there are " +
                              std::to_string(titles.size()) + ")");
    return static_cast<int>(number);
}

// The program folder the calls work on.
class Store {
  public:
    explicit Store(const std::optional<std::string>& folder)
        : root_(locateProgramFolder(currentFolderLocation(folder))) {
        if (!fileio::directoryExists(root_))
            throw EngineError("no program folder at " + root_ + " (run init first)");
    }
    const std::string& root() const { return root_; }

    std::vector<std::string> codes(const std::string& periodName) const {
        const PeriodMode period = periodArgument(periodName);
        py::gil_scoped_release release;
        std::vector<std::string> out;
        const ProgramFolder folder(root_);
        for (const StockCode code : masterCodes())
            if (fileio::fileExists(dataFilePath(folder, code, period, StorageMode::Accumulate)))
                out.push_back(codeText(code));
        return out;
    }

    py::object master() const {
        std::vector<StockCode> codes;
        std::vector<SecurityInfo> entries;
        {
            py::gil_scoped_release release;
            const auto bytes = fileio::readFile(ProgramFolder(root_).path(StockMaster::kFileName));
            if (!bytes)
                throw EngineError("cannot open " +
                                  ProgramFolder(root_).path(StockMaster::kFileName));
            const MasterIndex index(*bytes);
            codes = masterCodes(*bytes);
            for (const StockCode code : codes)
                entries.push_back(index.lookUp(code));
        }
        py::list code, name, market, unit, symbol;
        for (std::size_t i = 0; i < codes.size(); ++i) {
            code.append(codeText(codes[i]));
            name.append(entries[i].name);
            market.append(entries[i].market);
            unit.append(entries[i].unit);
            symbol.append(entries[i].symbol);
        }
        py::dict columns;
        columns["code"] = code;
        columns["name"] = name;
        columns["market"] = market;
        columns["unit"] = unit;
        columns["symbol"] = symbol;
        return frameOf(columns, {"code", "name", "market", "unit", "symbol"});
    }

    py::object series(const py::object& codeValue, const std::string& periodName) const {
        const StockCode code = codeArgument(codeValue);
        const PeriodMode period = periodArgument(periodName);
        std::vector<DailyBar> bars;
        {
            py::gil_scoped_release release;
            Session session(root_, period);
            if (!session.workspace().loadStoredSeries(code))
                throw EngineError("no stored series for " + codeText(code));
            bars = std::move(session.workspace().series().bars);
        }
        const auto& all = slotColumns();
        return barFrame(bars, std::vector<SlotColumn>(all.begin(), all.begin() + 5), false);
    }

    py::object indicators(const py::object& source, const py::object& params,
                          const std::string& periodName, bool raw) const {
        const PeriodMode period = periodArgument(periodName);
        const bool fromFrame =
            py::isinstance(source, py::module_::import("pandas").attr("DataFrame"));
        std::vector<DailyBar> bars;
        std::optional<StockCode> code;
        py::object dates = py::none();
        if (fromFrame)
            dates = barsFromFrame(source, bars);
        else
            code = codeArgument(source);
        const std::vector<std::string> texts = parameterTexts(params);
        {
            py::gil_scoped_release release;
            Session session(root_, period);
            Workspace& workspace = session.workspace();
            if (code) {
                // The security's own series, recomputed as the window would.
                if (!workspace.loadStoredSeries(*code))
                    throw EngineError("no stored series for " + codeText(*code));
                applyParameters(texts, workspace.analysisParameters, period);
                workspace.seriesChanged(StrategyRun::None);
                bars = std::move(workspace.series().bars);
            } else {
                AnalysisParameters parameters = workspace.analysisParameters;
                applyParameters(texts, parameters, period);
                AnalysisState state;
                recomputeIndicators(
                    bars, AnalysisSettings::from(parameters, period, workspace.displaySwitches),
                    state);
            }
        }
        if (raw) return barRecords(std::move(bars));
        return barFrame(bars, slotColumns(), true, dates);
    }

    py::object evaluate(const py::object& codeValue, const py::object& condition,
                        const py::object& capsule, const std::string& periodName) const {
        const StockCode code = codeArgument(codeValue);
        const PeriodMode period = periodArgument(periodName);
        if (condition.is_none() == capsule.is_none())
            throw py::value_error("evaluate takes a condition or a capsule");
        std::optional<Condition> row;
        int capsuleNumber = 0;
        if (!condition.is_none()) {
            row = conditionArgument(condition);
        } else {
            capsuleNumber = capsule.cast<int>();
            if (capsuleNumber < 1) throw py::value_error("capsule takes a file number from 1");
        }
        std::vector<uint8_t> holds;
        std::vector<DailyBar> bars;
        {
            py::gil_scoped_release release;
            Session session(root_, period);
            Workspace& workspace = session.workspace();
            ConditionCapsule rules;
            if (!row)
                rules =
                    readCapsuleFile(workspace.folder().path(capsuleFileName(capsuleNumber - 1)));
            if (!workspace.loadStoredSeries(code))
                throw EngineError("no stored series for " + codeText(code));
            workspace.seriesChanged();
            const ConditionInputs inputs = workspace.conditionInputs();
            holds = row ? evaluateEveryBar(inputs, *row) : evaluateEveryBar(inputs, rules);
            bars = std::move(workspace.series().bars);
        }
        return py::module_::import("pandas").attr("Series")(boolArray(std::move(holds)),
                                                            py::arg("index") = dateIndex(bars),
                                                            py::arg("name") = "holds");
    }

    py::object backtest(const py::object& codeValue, int strategy,
                        const std::string& periodName) const {
        const StockCode code = codeArgument(codeValue);
        const PeriodMode period = periodArgument(periodName);
        if (strategy < 1) throw py::value_error("strategy takes a file number from 1");
        std::vector<DailyBar> bars;
        SimulationResult result;
        std::vector<NoteLine> notes;
        std::string trips, equity;
        bool shortOfData = false;
        {
            py::gil_scoped_release release;
            Session session(root_, period);
            Workspace& workspace = session.workspace();
            if (!fileio::fileExists(workspace.folder().path(strategyFileName(strategy))))
                throw EngineError("no " + strategyFileName(strategy));
            if (!workspace.loadStoredSeries(code))
                throw EngineError("no stored series for " + codeText(code));
            // Only this strategy runs over the freshly loaded bars, not the chart's.
            workspace.seriesChanged(StrategyRun::None);
            workspace.strategyDisplay.view = ChartView{};
            if (!workspace.runStrategyDisplay(strategy))
                session.fail("backtest " + codeText(code) + " --strategy " +
                             std::to_string(strategy) + ": failed");
            const StrategyDisplay& display = workspace.strategyDisplay;
            shortOfData = display.shortOfData;
            result = display.results.result;
            notes = noteLines(display.results);
            TradeInsight insight;
            computeInsight(workspace.series().bars, display.journal, insight);
            trips = tripsCsv(insight, workspace.series().bars, display.tacticNames);
            equity = equityCsv(insight, workspace.series().bars);
            bars = std::move(workspace.series().bars);
        }
        py::dict summary = resultDict(result);
        summary["shortOfData"] = shortOfData;
        summary["notes"] = noteList(notes);
        py::object curve = csvFrame(equity).attr("set_index")("date");
        return resultType("Backtest")(summary, csvFrame(trips), curve["equity"], curve["drawdown"],
                                      barFrame(bars, tradeColumns(), false));
    }

    py::object screen(const py::object& item, int32_t value, const py::object& strategy,
                      const py::object& capsule, const py::object& market, const py::object& unit,
                      const py::object& margin, const py::object& liquidity, int32_t multiple,
                      const py::object& tradingValue, const py::object& input,
                      const py::object& output, int threads) const {
        ScreeningSettings settings;
        settings.value = value;
        settings.filters = filtersArgument(market, unit, margin, liquidity, multiple);
        if (!item.is_none()) {
            settings.searchItem = item.cast<int>();
            if (settings.searchItem < 0 || settings.searchItem >= kSearchItemCount)
                throw py::value_error("item takes a number from 0 to " +
                                      std::to_string(kSearchItemCount - 1));
        } else if (!strategy.is_none()) {
            settings.searchItem = kSearchStrategy;
        } else if (!capsule.is_none()) {
            settings.searchItem = kSearchCapsule;
        }
        settings.strategy = strategy.is_none() ? 0 : strategy.cast<int>() - 1;
        settings.capsule = capsule.is_none() ? 0 : capsule.cast<int>() - 1;
        if (!tradingValue.is_none()) {
            const auto range = tradingValue.cast<std::pair<int32_t, int32_t>>();
            settings.tradingValueMin = range.first;
            settings.tradingValueMax = range.second;
        }
        Session session(root_, PeriodMode::Daily);
        Workspace& workspace = session.workspace();
        settings.input = watchlistArgument(workspace, input);
        const int outputNumber = watchlistArgument(workspace, output);
        // Without an output the run writes nothing; the dialog's check that
        // input and output differ is then met by any other list.
        settings.output = outputNumber != 0 ? outputNumber - 1 : (settings.input == 1 ? 1 : 0);
        std::optional<ScreeningOutcome> outcome;
        {
            py::gil_scoped_release release;
            if (outputNumber != 0 && !workspace.requireWritableStore())
                session.fail("screen: failed");
            auto job = prepareScreening(workspace, settings, threads);
            if (!job) session.fail("screen: failed");
            RunControl control;
            outcome = runScreening(*job, control);
            if (outputNumber != 0) {
                if (!finishScreening(workspace, *job, outcome)) session.fail("screen: failed");
                workspace.saveSettings();
            }
        }
        py::list codes, names;
        for (const std::string& selected : outcome->selected) {
            const std::size_t blank = selected.find(' ');
            codes.append(selected.substr(0, blank));
            names.append(blank == std::string::npos ? "" : selected.substr(blank + 1));
        }
        py::dict columns;
        columns["code"] = codes;
        columns["name"] = names;
        py::object frame = frameOf(columns, {"code", "name"});
        frame.attr("attrs")["counts"] = countsDict(outcome->counts, false);
        return frame;
    }

    py::object rank(int strategy, const std::string& by, int top, const py::object& market,
                    const py::object& unit, const py::object& margin, const py::object& liquidity,
                    int32_t multiple, const py::object& input, int threads) const {
        MultiRunSettings settings;
        if (strategy < 1) throw py::value_error("strategy takes a file number from 1");
        settings.strategy = strategy - 1;
        settings.filters = filtersArgument(market, unit, margin, liquidity, multiple);
        if (by != "profit" && by != "winrate")
            throw py::value_error("by must be profit or winrate");
        settings.rankingKind = by == "profit" ? kRankByProfit : kRankByWinRate;
        if (top < 1 || top > kMaxRankingLength)
            throw py::value_error("top takes a number from 1 to " +
                                  std::to_string(kMaxRankingLength));
        settings.rankingLength = top;
        Session session(root_, PeriodMode::Daily);
        settings.input = watchlistArgument(session.workspace(), input);
        std::optional<MultiRunOutcome> outcome;
        {
            py::gil_scoped_release release;
            auto job = prepareMultiRun(session.workspace(), settings, threads);
            if (!job) session.fail("rank: failed");
            RunControl control;
            outcome = runMultiSimulation(*job, control);
            if (!outcome) session.fail("rank: failed");
        }
        return rankFrame(outcome->rows, outcome->counts);
    }

    py::object optimize(int strategy, const py::object& params, const std::string& objectiveName,
                        int minTrades, const py::object& codeValue, const py::object& watchlist,
                        bool market, const std::string& search, int budget, uint64_t seed,
                        const py::object& walkForward, int pbo, int monteCarlo, int threads) const {
        const auto objective = parseObjective(objectiveName);
        if (!objective)
            throw py::value_error(
                "objective takes net-profit, profit-factor, win-rate, expectancy, max-drawdown, "
                "recovery-factor, sharpe or sortino");
        if (int{!codeValue.is_none()} + int{!watchlist.is_none()} + int{market} > 1)
            throw py::value_error("code, watchlist and market exclude each other");
        if (search != "grid" && search != "evolve")
            throw py::value_error("search must be grid or evolve");
        if (strategy < 1 || strategy > 256)
            throw py::value_error("strategy takes a number from 1 to 256");
        if (pbo != 0 && (pbo < 2 || pbo > 24 || pbo % 2 != 0))
            throw py::value_error("pbo takes an even number of blocks from 2 to 24");
        OptimizationOptions request;
        request.objective = *objective;
        request.minTrades = minTrades;
        request.evolve = search == "evolve";
        request.evolution.budget = budget;
        request.evolution.seed = seed;
        request.pboBlocks = pbo;
        request.monteCarloRuns = monteCarlo;
        request.monteCarloSeed = seed;
        if (!walkForward.is_none()) {
            const auto window = walkForward.cast<py::tuple>();
            if (window.size() < 2 || window.size() > 3)
                throw py::value_error("walk_forward takes (in_months, out_months[, anchored])");
            request.walkForward = OptimizationOptions::WalkForwardPlan{window[0].cast<int>(), window[1].cast<int>(),
                                                     window.size() == 3 && window[2].cast<bool>()};
            if (request.walkForward->inMonths < 1 || request.walkForward->outMonths < 1 ||
                request.walkForward->inMonths > 600 || request.walkForward->outMonths > 600)
                throw py::value_error("walk_forward takes months from 1 to 600");
        }
        std::vector<std::string> sweepTexts;
        if (py::isinstance<py::dict>(params)) {
            for (const auto& [name, values] : params.cast<py::dict>()) {
                std::string text = py::str(name).cast<std::string>() + "=";
                if (py::isinstance<py::str>(values)) {
                    text += values.cast<std::string>();
                } else {
                    std::string list;
                    for (const auto& v : values)
                        list += (list.empty() ? "" : ",") + std::to_string(v.cast<int64_t>());
                    text += list;
                }
                sweepTexts.push_back(text);
            }
        } else {
            for (const auto& text : params)
                sweepTexts.push_back(text.cast<std::string>());
        }
        std::optional<StockCode> code;
        if (!codeValue.is_none()) code = codeArgument(codeValue);
        MultiRunSettings multi;
        multi.strategy = strategy - 1;
        Session session(root_, PeriodMode::Daily);
        multi.input = watchlistArgument(session.workspace(), watchlist);

        std::optional<OptimizationReport> report;
        std::optional<ResearchJob> job;
        std::string strategyName;
        {
            py::gil_scoped_release release;
            auto prepared = prepareMultiRun(session.workspace(), multi, threads);
            if (!prepared) session.fail("optimize: failed");
            strategyName = prepared->strategyName;
            job = researchJobOf(*prepared);
            if (code && !restrictScanToCode(job->scan, *code))
                throw py::value_error("no security " + codeText(*code) + " in the master list");
            for (const std::string& text : sweepTexts) {
                std::string error;
                auto sweep = parseSweep(text, job->strategy, error);
                if (!sweep) throw py::value_error(error);
                job->sweeps.push_back(std::move(*sweep));
            }
            const int64_t size = gridSize(job->sweeps);
            if (!request.evolve && size > kMaxExhaustiveGrid)
                throw py::value_error("the grid has " + std::to_string(size) +
                                      " points, more than an exhaustive search takes (" +
                                      std::to_string(kMaxExhaustiveGrid) +
                                      "): use search=\"evolve\"");
            RunControl control;
            report = runOptimization(*job, request, control);
            if (!report) session.fail("optimize: failed");
        }
        return optimisationResult(*job, *report, request, strategyName);
    }

    py::object portfolio(int strategy, int64_t capital, int maxPositions, const std::string& size,
                         const std::string& score, const py::object& watchlist,
                         const py::object& market, int32_t from, int32_t to, int threads) const {
        PortfolioSettings settings;
        MultiRunSettings multi;
        if (strategy < 1 || strategy > 256)
            throw py::value_error("strategy takes a number from 1 to 256");
        if (capital < 1) throw py::value_error("capital takes a number from 1");
        if (maxPositions < 0) throw py::value_error("max_positions takes a number from 0");
        if (!watchlist.is_none() && !market.is_none())
            throw py::value_error("watchlist and market exclude each other");
        multi.strategy = strategy - 1;
        settings.capital = capital;
        settings.maxPositions = maxPositions;
        if (!parsePositionSizing(size, settings))
            throw py::value_error("size takes fixed:YEN, equity:PERCENT (1-100) or strategy: " +
                                  size);
        if (!parsePositionScore(score, settings)) {
            std::string slots;
            for (const ScoreSlot& slot : scoreSlots())
                slots += (slots.empty() ? "" : ", ") + std::string(slot.name);
            throw py::value_error(
                "score takes value, bars, random:SEED or slot:NAME with NAME one of " + slots +
                ": " + score);
        }
        if (to != 0 && from > to) throw py::value_error("from lies after to");
        settings.from = from;
        settings.to = to;
        if (!market.is_none())
            multi.filters.market = choiceArgument(market, "market", kMarketLabels);
        Session session(root_, PeriodMode::Daily);
        multi.input = watchlistArgument(session.workspace(), watchlist);
        std::optional<PortfolioOutcome> outcome;
        {
            py::gil_scoped_release release;
            auto prepared = prepareMultiRun(session.workspace(), multi, threads);
            if (!prepared) session.fail("portfolio: failed");
            PortfolioJob job{std::move(prepared->scan), std::move(prepared->strategy.strategy),
                             prepared->simulation, prepared->currentYear, settings};
            RunControl control;
            outcome = runPortfolio(job, control);
            if (!outcome) session.fail("portfolio: failed");
        }
        return portfolioResult(*outcome);
    }

  private:
    std::vector<StockCode> masterCodes() const {
        const auto bytes = fileio::readFile(ProgramFolder(root_).path(StockMaster::kFileName));
        return bytes ? masterCodes(*bytes) : std::vector<StockCode>{};
    }

    // The codes of the master list in its order, each once.
    static std::vector<StockCode> masterCodes(const std::string& bytes) {
        std::vector<StockCode> codes;
        std::unordered_set<StockCode> seen;
        fileio::forEachLine(bytes, [&](std::string_view line) {
            const StockCode code = parseMasterLine(line).code;
            if (code != 0 && seen.insert(code).second) codes.push_back(code);
        });
        return codes;
    }

    std::string root_;
};

py::object indicatorsOfFrame(const py::object& frame, const py::object& params,
                             const std::string& periodName, bool raw) {
    const PeriodMode period = periodArgument(periodName);
    // Reused from call to call: a fresh block of this size would cost its
    // first touch of every page on every call.
    thread_local std::vector<DailyBar> bars;
    const py::object dates = barsFromFrame(frame, bars);
    AnalysisParameters parameters = AnalysisParameters::defaults();
    applyParameters(parameterTexts(params), parameters, period);
    {
        py::gil_scoped_release release;
        AnalysisState state;
        recomputeIndicators(bars, AnalysisSettings::from(parameters, period, DisplaySwitches{}),
                            state);
    }
    if (raw) return barRecords(std::vector<DailyBar>(bars));
    return barFrame(bars, slotColumns(), true, dates);
}

py::dict parameterDefaults() {
    py::dict out;
    for (const ParameterInfo& info : kChartParams)
        out[py::str(std::string(info.name))] = info.defaultValue;
    for (const ParameterInfo& info : kIndicatorParams)
        out[py::str(std::string(info.name))] = info.defaultValue;
    return out;
}

}  // namespace

}  // namespace tav::python

PYBIND11_MODULE(tavrento, m) {
    namespace py = pybind11;
    using tav::python::Store;
    m.doc() = R"(The Tavrento engine from Python.

A Store is a program folder (the one tavrento-cli --folder names). Each call
does what the matching tavrento-cli command does and gives numpy and pandas
values: series and indicators as DataFrames indexed by date, evaluations as
boolean Series, back-tests, screenings, rankings, optimisations and portfolio
runs. Long runs release the GIL, so calls on several threads run at once.
Failures raise tavrento.Error with the message the command-line tool prints.)";

    static py::exception<tav::python::EngineError> error(m, "Error", PyExc_RuntimeError);
    py::register_exception_translator([](std::exception_ptr thrown) {
        try {
            if (thrown) std::rethrow_exception(thrown);
        } catch (const tav::python::EngineError& failure) {
            error(failure.what());
        }
    });

    m.attr("Backtest") = tav::python::makeNamedTuple(
        "Backtest", {"summary", "trades", "equity", "drawdown", "marks"});
    m.attr("Optimisation") =
        tav::python::makeNamedTuple("Optimisation", {"points", "walk_forward", "summary"});
    m.attr("Portfolio") =
        tav::python::makeNamedTuple("Portfolio", {"summary", "securities", "trades", "equity"});

    m.def("indicators", &tav::python::indicatorsOfFrame, py::arg("frame"),
          py::arg("params") = py::none(), py::arg("period") = "daily", py::arg("raw") = false,
          R"(Every indicator slot of the bars of `frame` (open, high, low, close and
volume columns, a DatetimeIndex or a "date" column), computed with the default
analysis parameters overridden by `params` ({"rsiPeriod": 9, ...}).

Columns: the slots by their engine names (those of `tavrento-cli dump`) with
the engine's integer values, then <slot>Percent floats for the per-mille
slots the indicator pane shows divided by ten (NaN where it shows nothing).
With raw=True: the engine's bars themselves as a numpy structured array (a
field per slot, and "date"), viewing the engine's memory without a copy.)");
    m.def("parameter_defaults", &tav::python::parameterDefaults,
          "The analysis parameters by name with their default values.");
    m.attr("SLOT_COLUMNS") = [] {
        py::list names;
        for (const auto& column : tav::python::slotColumns())
            names.append(column.name);
        return names;
    }();
    m.attr("PERCENT_COLUMNS") = [] {
        py::list names;
        for (const auto& column : tav::python::percentColumns())
            names.append(column.name);
        return names;
    }();

    py::class_<Store>(m, "Store", "A program folder: its store, settings and rule files.")
        .def(py::init<const std::optional<std::string>&>(), py::arg("folder") = py::none(),
             "Opens the program folder `folder` (else $TAVRENTO_HOME, ... as tavrento-cli finds "
             "it).")
        .def_property_readonly("folder", &Store::root, "The program folder's path.")
        .def("codes", &Store::codes, py::arg("period") = "daily",
             "The codes of the master list that have a stored series of the period, in list order.")
        .def("master", &Store::master,
             "The master list (Stock.lst): code, name, market, unit, symbol; each code once.")
        .def("series", &Store::series, py::arg("code"), py::arg("period") = "daily",
             "The stored bars of `code`: open, high, low, close, volume indexed by date.")
        .def("indicators", &Store::indicators, py::arg("source"), py::arg("params") = py::none(),
             py::arg("period") = "daily", py::arg("raw") = false,
             R"(Every indicator slot of a stored security (`source` a code) or of a
DataFrame of bars, with the folder's parameters in force (the security's own
when individual settings are on) overridden by `params`. The columns of
tavrento.indicators (or its raw array); the values of `tavrento-cli dump`.)")
        .def("evaluate", &Store::evaluate, py::arg("code"), py::arg("condition") = py::none(),
             py::arg("capsule") = py::none(), py::arg("period") = "daily",
             R"(Whether a condition row (up to ten numbers, or their text "F1 ... F10")
or capsule N holds on each bar, as `tavrento-cli evaluate`: a boolean Series.)")
        .def("backtest", &Store::backtest, py::arg("code"), py::arg("strategy"),
             py::arg("period") = "daily",
             R"(Strategy N over the stored series, as `tavrento-cli backtest`. A named
tuple: summary (dict of the result block, with its note lines), trades (the
round trips), equity and drawdown (Series by date), marks (the trade slots).)")
        .def("screen", &Store::screen, py::arg("item") = py::none(), py::arg("value") = 0,
             py::arg("strategy") = py::none(), py::arg("capsule") = py::none(),
             py::arg("market") = py::none(), py::arg("unit") = py::none(),
             py::arg("margin") = py::none(), py::arg("liquidity") = py::none(),
             py::arg("multiple") = 0, py::arg("trading_value") = py::none(),
             py::arg("input") = py::none(), py::arg("output") = py::none(), py::arg("threads") = 0,
             R"(A screening as `tavrento-cli screen`: the selected code and name. The
output watchlist is written only when `output` is given. attrs["counts"]
holds the counts.)")
        .def(
            "rank", &Store::rank, py::arg("strategy"), py::arg("by") = "profit",
            py::arg("top") = 30, py::arg("market") = py::none(), py::arg("unit") = py::none(),
            py::arg("margin") = py::none(), py::arg("liquidity") = py::none(),
            py::arg("multiple") = 0, py::arg("input") = py::none(), py::arg("threads") = 0,
            "A back-test of every security that passes the filters, ranked as `tavrento-cli rank`.")
        .def("optimize", &Store::optimize, py::arg("strategy"), py::arg("params"),
             py::arg("objective") = "net-profit", py::arg("min_trades") = 0,
             py::arg("code") = py::none(), py::arg("watchlist") = py::none(),
             py::arg("market") = false, py::arg("search") = "grid", py::arg("budget") = 200,
             py::arg("seed") = 1, py::arg("walk_forward") = py::none(), py::arg("pbo") = 0,
             py::arg("monte_carlo") = 0, py::arg("threads") = 0,
             R"(A parameter sweep of strategy N as `tavrento-cli optimize`. `params` is a
list of the command's --param texts or a dict of name -> values (or text).
A named tuple: points (ranked), walk_forward (or None), summary.)")
        .def("portfolio", &Store::portfolio, py::arg("strategy"), py::arg("capital"),
             py::arg("max_positions"), py::arg("size"), py::arg("score"),
             py::arg("watchlist") = py::none(), py::arg("market") = py::none(),
             py::arg("date_from") = 0, py::arg("date_to") = 0, py::arg("threads") = 0,
             R"(One account over the strategy's signals as `tavrento-cli portfolio`. A
named tuple: summary, securities, trades, equity.)");
}
