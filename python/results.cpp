#include "results.h"

#include <pybind11/stl.h>

#include "core/stock_code.h"
#include "screening/multi_run.h"
#include "simulation/trade_insight.h"

namespace tav::python {

py::dict countsDict(const ScanCounts& counts, bool ranking) {
    py::dict out;
    out["selected"] = counts.selected;
    out["skipped"] = counts.skipped;
    out["failed"] = counts.failed;
    out["text"] = summaryText(counts, ranking);
    return out;
}

// A boolean array that views the engine's bytes (each 0 or 1).
py::array boolArray(std::vector<uint8_t>&& values) {
    auto* block = new std::vector<uint8_t>(std::move(values));
    py::capsule owner(block, [](void* held) { delete static_cast<std::vector<uint8_t>*>(held); });
    return py::array(py::dtype("bool"), {static_cast<py::ssize_t>(block->size())}, {py::ssize_t{1}},
                     block->empty() ? nullptr : block->data(), owner);
}

py::object frameOf(const py::dict& columns, const std::vector<std::string>& order) {
    py::list names;
    for (const std::string& name : order)
        names.append(name);
    return py::module_::import("pandas").attr("DataFrame")(columns, py::arg("columns") = names);
}

// The result types, made once when the module loads.
py::object resultType(const char* name) {
    return py::module_::import("tavrento").attr(name);
}

py::object makeNamedTuple(const char* name, const std::vector<const char*>& fields) {
    py::list names;
    for (const char* field : fields)
        names.append(field);
    py::object type = py::module_::import("collections").attr("namedtuple")(name, names);
    type.attr("__module__") = "tavrento";
    return type;
}

py::dict resultDict(const SimulationResult& r) {
    py::dict out;
    out["capital"] = r.capital;
    out["equity"] = r.equity;
    out["bars"] = r.bars;
    out["trades"] = r.trades;
    out["wins"] = r.wins;
    out["grossProfit"] = r.grossProfit;
    out["grossLoss"] = r.grossLoss;
    out["averageWin"] = r.averageWin;
    out["averageLoss"] = r.averageLoss;
    out["averageProfit"] = r.averageProfit;
    out["maxProfit"] = r.maxProfit;
    out["maxLoss"] = r.maxLoss;
    out["profitFactor"] = static_cast<double>(r.profitFactor);
    out["position"] = r.position;
    out["entryPrice"] = r.entryPrice;
    out["units"] = r.units;
    out["openPerShare"] = r.openPerShare;
    out["openProfit"] = r.openProfit;
    out["totalProfit"] = r.totalProfit;
    out["totalCommission"] = r.totalCommission;
    out["tax"] = r.tax;
    return out;
}

py::list noteList(const std::vector<NoteLine>& lines) {
    py::list out;
    for (const NoteLine& line : lines)
        out.append(py::make_tuple(line.label, line.value));
    return out;
}

py::object rankFrame(const std::vector<ResultRow>& rows, const ScanCounts& counts) {
    py::dict columns;
    const std::vector<std::string> order = {
        "rank",        "code",          "name",      "market",      "unit",        "markedProfit",
        "trades",      "wins",          "winRate",   "grossProfit", "grossLoss",   "averageWin",
        "averageLoss", "averageProfit", "maxProfit", "maxLoss",     "profitFactor"};
    for (const std::string& name : order)
        columns[py::str(name)] = py::list();
    for (const ResultRow& r : rows) {
        columns["rank"].cast<py::list>().append(r.rank);
        columns["code"].cast<py::list>().append(codeText(r.code));
        columns["name"].cast<py::list>().append(r.name);
        columns["market"].cast<py::list>().append(r.market);
        columns["unit"].cast<py::list>().append(r.unit);
        columns["markedProfit"].cast<py::list>().append(r.markedProfit);
        columns["trades"].cast<py::list>().append(r.trades);
        columns["wins"].cast<py::list>().append(r.wins);
        columns["winRate"].cast<py::list>().append(winRate(r));
        columns["grossProfit"].cast<py::list>().append(r.grossProfit);
        columns["grossLoss"].cast<py::list>().append(r.grossLoss);
        columns["averageWin"].cast<py::list>().append(r.averageWin);
        columns["averageLoss"].cast<py::list>().append(r.averageLoss);
        columns["averageProfit"].cast<py::list>().append(r.averageProfit);
        columns["maxProfit"].cast<py::list>().append(r.maxProfit);
        columns["maxLoss"].cast<py::list>().append(r.maxLoss);
        columns["profitFactor"].cast<py::list>().append(static_cast<double>(r.profitFactor));
    }
    py::object frame = frameOf(columns, order);
    frame.attr("attrs")["counts"] = countsDict(counts, true);
    return frame;
}

py::object optimisationResult(const ResearchJob& job, const OptimizationReport& report,
                              const OptimizationOptions& request, const std::string& strategyName) {
    const ResearchData& data = report.data;
    std::vector<std::string> order = {"rank"};
    for (const ParameterSweep& sweep : job.sweeps)
        order.push_back(sweep.name);
    for (const char* name : {"netProfit", "trades", "winRate", "profitFactor", "expectancy",
                             "maxDrawdown", "recoveryFactor", "sharpe", "sortino", "qualified"})
        order.push_back(name);
    std::vector<py::list> cells(order.size());
    for (std::size_t r = 0; r < report.order.size(); ++r) {
        const auto p = static_cast<std::size_t>(report.order[r]);
        const Metrics& m = report.metrics[p];
        std::size_t c = 0;
        cells[c++].append(r + 1);
        for (std::size_t s = 0; s < job.sweeps.size(); ++s)
            cells[c++].append(
                job.sweeps[s].values[static_cast<std::size_t>(data.points[p].point[s])]);
        cells[c++].append(data.points[p].netProfit);
        cells[c++].append(m.trades);
        cells[c++].append(m.winRate);
        cells[c++].append(m.profitFactor);
        cells[c++].append(m.expectancy);
        cells[c++].append(m.maxDrawdown);
        cells[c++].append(m.recoveryFactor);
        cells[c++].append(m.sharpe);
        cells[c++].append(m.sortino);
        cells[c++].append(m.trades >= request.minTrades);
    }
    py::dict columns;
    for (std::size_t c = 0; c < order.size(); ++c)
        columns[py::str(order[c])] = cells[c];
    py::object points = frameOf(columns, order);

    py::object windows = py::none();
    py::dict summary;
    summary["strategy"] = strategyName;
    summary["objective"] = std::string(objectiveName(request.objective));
    summary["points"] = data.points.size();
    summary["days"] = report.days();
    summary["capital"] = data.capital;
    if (report.walkForward) {
        const WalkForward& wf = *report.walkForward;
        std::vector<std::string> names = {"inFrom", "inTo", "outFrom", "outTo"};
        for (const ParameterSweep& sweep : job.sweeps)
            names.push_back(sweep.name);
        for (const char* name : {"inNet", "inTrades", "outNet", "outTrades"})
            names.push_back(name);
        std::vector<py::list> rows(names.size());
        const auto date = [&](int first, int last, bool end) -> py::object {
            if (first >= last) return py::none();
            return py::int_(data.dates[static_cast<std::size_t>(end ? last - 1 : first)]);
        };
        for (const WalkForwardWindow& w : wf.windows) {
            std::size_t c = 0;
            rows[c++].append(date(w.inFirst, w.inLast, false));
            rows[c++].append(date(w.inFirst, w.inLast, true));
            rows[c++].append(date(w.outFirst, w.outLast, false));
            rows[c++].append(date(w.outFirst, w.outLast, true));
            for (std::size_t s = 0; s < job.sweeps.size(); ++s)
                rows[c++].append(
                    w.chosen < 0
                        ? py::object(py::none())
                        : py::object(py::int_(job.sweeps[s].values[static_cast<std::size_t>(
                              data.points[static_cast<std::size_t>(w.chosen)].point[s])])));
            rows[c++].append(w.inSample.net);
            rows[c++].append(w.inSample.trades);
            rows[c++].append(w.outOfSample.net);
            rows[c++].append(w.outOfSample.trades);
        }
        py::dict table;
        for (std::size_t c = 0; c < names.size(); ++c)
            table[py::str(names[c])] = rows[c];
        windows = frameOf(table, names);
        summary["walkForwardNet"] = wf.outOfSample.net;
        summary["walkForwardTrades"] = wf.outOfSample.trades;
        summary["walkForwardMaxDrawdown"] = wf.outOfSample.maxDrawdown;
        summary["walkForwardEfficiency"] = wf.efficiency;
    }
    if (report.pbo) {
        summary["pbo"] = report.pbo->probability;
        summary["pboLogits"] = report.pbo->logits;
    }
    if (report.deflated) {
        summary["deflatedSharpe"] = report.deflated->probability;
        summary["sharpe"] = report.deflated->sharpe;
        summary["expectedMaximumSharpe"] = report.deflated->expectedMaximum;
        summary["skewness"] = report.deflated->skewness;
        summary["kurtosis"] = report.deflated->kurtosis;
    }
    if (report.monteCarlo) {
        const char* at[] = {"5", "50", "95"};
        for (std::size_t k = 0; k < 3; ++k) {
            summary[py::str(std::string("monteCarloDrawdown") + at[k])] =
                report.monteCarlo->drawdown[k];
            summary[py::str(std::string("monteCarloFinalEquity") + at[k])] =
                report.monteCarlo->finalEquity[k];
        }
    }
    summary["counts"] = countsDict(data.counts, false);
    return resultType("Optimisation")(points, windows, summary);
}

py::object portfolioResult(const PortfolioOutcome& out) {
    py::dict summary = resultDict(out.summary);
    summary["maxDrawdown"] = out.maxDrawdown;
    summary["maxDrawdownPercent"] = out.maxDrawdownPercent;
    summary["exposure"] = out.exposure;
    summary["skippedCash"] = out.skippedCash;
    summary["skippedLimit"] = out.skippedLimit;
    summary["skippedLot"] = out.skippedLot;
    summary["notes"] = noteList(portfolioNoteLines(out));
    summary["counts"] = countsDict(out.counts, false);

    py::list code, name, trades, net;
    for (const PortfolioSecurity& s : out.securities)
        if (s.trades > 0) {
            code.append(codeText(s.code));
            name.append(s.name);
            trades.append(s.trades);
            net.append(s.net);
        }
    py::dict securities;
    securities["code"] = code;
    securities["name"] = name;
    securities["trades"] = trades;
    securities["net"] = net;

    const std::vector<std::string> tradeOrder = {
        "code",  "name",   "side",       "entryDate", "exitDate", "entryPrice", "exitPrice",
        "units", "profit", "commission", "net",       "reason",   "outcome",    "score"};
    std::vector<py::list> cells(tradeOrder.size());
    const auto date = [](int32_t value) -> py::object {
        return value == 0 ? py::object(py::none()) : py::object(py::int_(value));
    };
    for (const PortfolioTrade& t : out.trades) {
        const PortfolioSecurity& s = out.securities[static_cast<std::size_t>(t.security)];
        const bool taken = t.outcome == EntryOutcome::Taken;
        const auto ifTaken = [&](int64_t value) -> py::object {
            return taken ? py::object(py::int_(value)) : py::object(py::none());
        };
        std::size_t c = 0;
        cells[c++].append(codeText(s.code));
        cells[c++].append(s.name);
        cells[c++].append(t.side == 1 ? "long" : "short");
        cells[c++].append(date(t.entryDate));
        cells[c++].append(date(t.exitDate));
        cells[c++].append(t.entryPrice);
        cells[c++].append(ifTaken(t.exitPrice));
        cells[c++].append(t.units);
        cells[c++].append(ifTaken(t.profit));
        cells[c++].append(ifTaken(t.commission));
        cells[c++].append(ifTaken(t.net()));
        cells[c++].append(taken ? std::string(exitReasonName(t.reason)) : std::string());
        cells[c++].append(std::string(entryOutcomeName(t.outcome)));
        cells[c++].append(t.score);
    }
    py::dict trade;
    for (std::size_t c = 0; c < tradeOrder.size(); ++c)
        trade[py::str(tradeOrder[c])] = cells[c];

    py::list dates, equity, cash, drawdown, positions;
    for (const PortfolioDay& d : out.days) {
        dates.append(d.date);
        equity.append(d.equity);
        cash.append(d.cash);
        drawdown.append(d.drawdown);
        positions.append(d.positions);
    }
    py::dict days;
    days["date"] = dates;
    days["equity"] = equity;
    days["cash"] = cash;
    days["drawdown"] = drawdown;
    days["positions"] = positions;
    return resultType("Portfolio")(
        summary, frameOf(securities, {"code", "name", "trades", "net"}), frameOf(trade, tradeOrder),
        frameOf(days, {"date", "equity", "cash", "drawdown", "positions"}));
}

}  // namespace tav::python
