#include "optimize_command.h"

#include <unistd.h>

#include <charconv>
#include <cstdio>
#include <iostream>

#include "core/integer_field.h"
#include "interrupt.h"
#include "json_output.h"
#include "research/optimization_report.h"
#include "watchlists/watchlist_files.h"
#include "workspace/screening.h"

namespace tav::cli {

namespace {

constexpr const char* kOptimizeUsage =
    "usage: optimize --strategy N --param SWEEP [--param SWEEP ...] --objective O [--min-trades K] "
    "[--code C | --watchlist W | --market] [--search grid|evolve --budget B --seed S] "
    "[--walk-forward IS:OOS[:anchored]] [--pbo S] [--monte-carlo R] [--threads T] "
    "[--format text|csv|json]";

bool numberOption(const CommandLine& line, const char* name, int64_t low, int64_t high,
                  int64_t& value) {
    const auto word = line.option(name);
    if (!word) return true;
    const auto number = parseWholeNumber(*word);
    if (!number || *number < low || *number > high) {
        usageError(std::string("--") + name + " takes a number from " + std::to_string(low) +
                   " to " + std::to_string(high));
        return false;
    }
    value = *number;
    return true;
}

std::string fixed(double value, int decimals) {
    char text[64];
    std::snprintf(text, sizeof text, "%.*f", decimals, value);
    return text;
}

struct WalkForwardOption {
    int inMonths = 0;
    int outMonths = 0;
    bool anchored = false;
};

std::optional<WalkForwardOption> walkForwardOption(const std::string& word) {
    std::vector<std::string> parts(1);
    for (char c : word) {
        if (c == ':')
            parts.emplace_back();
        else
            parts.back() += c;
    }
    if (parts.size() < 2 || parts.size() > 3 || (parts.size() == 3 && parts[2] != "anchored"))
        return std::nullopt;
    const int64_t in = parseWholeNumber(parts[0]).value_or(0);
    const int64_t out = parseWholeNumber(parts[1]).value_or(0);
    if (in < 1 || out < 1 || in > 600 || out > 600) return std::nullopt;
    return WalkForwardOption{static_cast<int>(in), static_cast<int>(out), parts.size() == 3};
}

Table pointTable(const ResearchJob& job, const ResearchData& data,
                 const std::vector<Metrics>& metrics, const std::vector<int>& order, int minTrades,
                 bool japanese) {
    Table table;
    table.columns.push_back({japanese ? "順位" : "rank"});
    for (const ParameterSweep& sweep : job.sweeps)
        table.columns.push_back({sweep.name});
    const std::vector<std::string_view> names =
        japanese ? std::vector<std::string_view>{"損益",       "取引数", "勝率",     "PF",
                                                 "期待値",     "最大DD", "回復係数", "シャープ",
                                                 "ソルティノ", "条件"}
                 : std::vector<std::string_view>{
                       "netProfit",   "trades",         "winRate", "profitFactor", "expectancy",
                       "maxDrawdown", "recoveryFactor", "sharpe",  "sortino",      "qualified"};
    for (std::string_view name : names)
        table.columns.push_back({std::string(name)});
    for (std::size_t r = 0; r < order.size(); ++r) {
        const auto p = static_cast<std::size_t>(order[r]);
        const Metrics& m = metrics[p];
        std::vector<std::string> row{std::to_string(r + 1)};
        for (std::size_t s = 0; s < job.sweeps.size(); ++s)
            row.push_back(std::to_string(
                job.sweeps[s].values[static_cast<std::size_t>(data.points[p].point[s])]));
        const bool qualified = m.trades >= minTrades;
        row.insert(row.end(), {std::to_string(data.points[p].netProfit), std::to_string(m.trades),
                               fixed(m.winRate, 2), fixed(m.profitFactor, 3),
                               fixed(m.expectancy, 0), std::to_string(m.maxDrawdown),
                               fixed(m.recoveryFactor, 3), fixed(m.sharpe, 3), fixed(m.sortino, 3),
                               japanese ? (qualified ? "○" : "×") : (qualified ? "1" : "0")});
        table.rows.push_back(std::move(row));
    }
    return table;
}

Table windowTable(const ResearchJob& job, const ResearchData& data, const WalkForward& wf,
                  bool japanese) {
    Table table;
    for (const char* name : {"inFrom", "inTo", "outFrom", "outTo"})
        table.columns.push_back({name, true});
    for (const ParameterSweep& sweep : job.sweeps)
        table.columns.push_back({sweep.name});
    for (const char* name : {"inNet", "inTrades", "outNet", "outTrades"})
        table.columns.push_back({name});
    if (japanese) {
        const char* labels[] = {"IS開始", "IS終了", "OOS開始", "OOS終了"};
        for (int i = 0; i < 4; ++i)
            table.columns[static_cast<std::size_t>(i)].name = labels[i];
        const char* tail[] = {"IS損益", "IS取引数", "OOS損益", "OOS取引数"};
        for (int i = 0; i < 4; ++i)
            table.columns[table.columns.size() - 4 + i].name = tail[i];
    }
    auto date = [&](int first, int last) {
        return first < last ? std::to_string(data.dates[static_cast<std::size_t>(first)]) + "\t" +
                                  std::to_string(data.dates[static_cast<std::size_t>(last - 1)])
                            : std::string("\t");
    };
    for (const WalkForwardWindow& w : wf.windows) {
        std::vector<std::string> row;
        for (int pair = 0; pair < 2; ++pair) {
            const std::string both =
                pair == 0 ? date(w.inFirst, w.inLast) : date(w.outFirst, w.outLast);
            const std::size_t tab = both.find('\t');
            row.push_back(both.substr(0, tab));
            row.push_back(both.substr(tab + 1));
        }
        for (std::size_t s = 0; s < job.sweeps.size(); ++s)
            row.push_back(w.chosen < 0
                              ? ""
                              : std::to_string(job.sweeps[s].values[static_cast<std::size_t>(
                                    data.points[static_cast<std::size_t>(w.chosen)].point[s])]));
        row.insert(row.end(),
                   {std::to_string(w.inSample.net), std::to_string(w.inSample.trades),
                    std::to_string(w.outOfSample.net), std::to_string(w.outOfSample.trades)});
        table.rows.push_back(std::move(row));
    }
    return table;
}

}  // namespace

int runOptimizeCommand(CommandContext& context) {
    const CommandLine& line = context.line;
    if (line.words.size() != 1) return usageError(kOptimizeUsage);
    for (const char* required : {"strategy", "param", "objective"})
        if (!line.option(required))
            return usageError(std::string("--") + required + " is needed\n" + kOptimizeUsage);
    const std::string format = line.option("format").value_or("text");
    if (format != "text" && format != "csv" && format != "json")
        return usageError("--format must be text, csv or json");
    const auto objective = parseObjective(*line.option("objective"));
    if (!objective)
        return usageError(
            "--objective takes net-profit, profit-factor, win-rate, expectancy, max-drawdown, "
            "recovery-factor, sharpe or sortino");
    int scopes = 0;
    for (const char* scope : {"code", "watchlist", "market"})
        scopes += line.option(scope) ? 1 : 0;
    if (scopes > 1) return usageError("--code, --watchlist and --market exclude each other");
    if (const auto market = line.option("market"); market && !market->empty())
        return usageError("--market takes no value here (the whole master list): " + *market);
    const std::string search = line.option("search").value_or("grid");
    if (search != "grid" && search != "evolve")
        return usageError("--search must be grid or evolve");
    if (search == "grid" && (line.option("budget") || line.option("seed")))
        return usageError("--budget and --seed go with --search evolve");

    int64_t strategyNumber = 0, minTrades = 0, threads = 0, budget = 200, seed = 1, blocks = 0,
            monteCarlo = 0;
    if (!numberOption(line, "strategy", 1, 256, strategyNumber) ||
        !numberOption(line, "min-trades", 0, 1000000000, minTrades) ||
        !numberOption(line, "threads", 0, 256, threads) ||
        !numberOption(line, "budget", 1, 10000000, budget) ||
        !numberOption(line, "seed", 0, INT64_MAX, seed) ||
        !numberOption(line, "pbo", 2, 24, blocks) ||
        !numberOption(line, "monte-carlo", 1, 1000000, monteCarlo))
        return kExitUsage;
    if (line.option("pbo") && blocks % 2 != 0)
        return usageError("--pbo takes an even number of blocks from 2 to 24");
    std::optional<WalkForwardOption> walk;
    if (const auto word = line.option("walk-forward")) {
        walk = walkForwardOption(*word);
        if (!walk)
            return usageError("--walk-forward takes IS:OOS or IS:OOS:anchored in months: " + *word);
    }

    Workspace& workspace = context.workspace;
    MultiRunSettings multi;
    multi.strategy = static_cast<int>(strategyNumber) - 1;
    if (const auto word = line.option("watchlist")) {
        const auto number = parseWholeNumber(*word);
        const auto titles = readTitles(workspace.folder());
        if (!number || *number < 1 || *number > static_cast<int64_t>(titles.size()))
            return usageError("no watchlist " + *word + " (there are " +
                              std::to_string(titles.size()) + ")");
        multi.input = static_cast<int>(*number);
    }
    std::optional<StockCode> code;
    if (const auto word = line.option("code")) {
        code = parseCodeArgument(*word);
        if (!code) return usageError("--code takes a security code: " + *word);
    }

    auto prepared = prepareMultiRun(workspace, multi, static_cast<int>(threads));
    if (!prepared) return kExitFailed;
    ResearchJob job = researchJobOf(*prepared);
    if (code && !restrictScanToCode(job.scan, *code))
        return usageError("no security " + codeText(*code) + " in the master list");
    for (const auto& [name, value] : line.options) {
        if (name != "param") continue;
        std::string error;
        auto sweep = parseSweep(value, job.strategy, error);
        if (!sweep) return usageError("--param: " + error);
        job.sweeps.push_back(std::move(*sweep));
    }
    const int64_t size = gridSize(job.sweeps);
    if (search == "grid" && size > kMaxExhaustiveGrid)
        return usageError("the grid has " + std::to_string(size) +
                          " points, more than an exhaustive search takes (" +
                          std::to_string(kMaxExhaustiveGrid) + "): use --search evolve --budget B");

    OptimizationOptions options;
    options.objective = *objective;
    options.minTrades = static_cast<int>(minTrades);
    options.evolve = search == "evolve";
    options.evolution = {static_cast<int>(budget), static_cast<uint64_t>(seed), 20};
    if (walk) options.walkForward = {{walk->inMonths, walk->outMonths, walk->anchored}};
    options.pboBlocks = static_cast<int>(blocks);
    options.monteCarloRuns = static_cast<int>(monteCarlo);
    options.monteCarloSeed = static_cast<uint64_t>(seed);
    // Ctrl-C stops the run at the next item. Processes sharing it would each
    // run their share of the current batch before they learn of it when the
    // outcomes are exchanged: they all end at once instead. (Ctrl-C on mpirun
    // itself ends them all in any case.)
    InterruptGuard guard;
    RunControl control;
    const bool showProgress = ::isatty(STDERR_FILENO);
    control.progress = [&](int done, int total) {
        if (InterruptGuard::requested()) {
            if (context.sharing) {
                std::cerr << "tavrento-cli: optimize stopped on request\n" << std::flush;
                context.sharing->abortAll(kExitInterrupted);
            }
            control.cancel();
        }
        if (showProgress) std::cerr << "\r  " << done << " / " << total << std::flush;
    };
    const std::optional<OptimizationReport> report =
        runOptimization(job, options, control, context.sharing);
    if (showProgress) std::cerr << '\n';
    if (!report) {
        if (!control.cancelled()) return kExitFailed;
        std::cerr << "tavrento-cli: optimize stopped on request\n";
        return kExitInterrupted;
    }

    const ResearchData* data = &report->data;
    const int days = report->days();
    const std::vector<Metrics>& metrics = report->metrics;
    const std::vector<int>& order = report->order;
    const std::optional<WalkForward>& wf = report->walkForward;
    const std::optional<OverfittingOdds>& pbo = report->pbo;
    const std::optional<DeflatedSharpe>& dsr = report->deflated;
    const std::optional<TradeMonteCarlo>& mc = report->monteCarlo;
    if (report->pboRefused)
        std::cerr << "PBO: " << data->points.size() << " combinations over " << days
                  << " days cannot be cut into " << blocks << " blocks\n";

    if (format == "text") {
        std::cout << "最適化\t" << prepared->strategyName << '\n'
                  << "目的\t" << objectiveName(*objective) << '\n'
                  << "組合せ\t" << data->points.size() << '\n'
                  << "日数\t" << days << '\n'
                  << '\n';
        std::cout << tabText(
            pointTable(job, *data, metrics, order, static_cast<int>(minTrades), true));
        if (wf) {
            std::cout << "\nウォークフォワード\n";
            std::cout << tabText(windowTable(job, *data, *wf, true));
            std::cout << "OOS損益\t" << wf->outOfSample.net << '\n'
                      << "OOS取引数\t" << wf->outOfSample.trades << '\n'
                      << "OOS最大DD\t" << wf->outOfSample.maxDrawdown << '\n'
                      << "WF効率\t" << fixed(wf->efficiency, 3) << '\n';
        }
        if (pbo) {
            std::cout << "\nPBO\t" << fixed(pbo->probability, 4) << "\t(" << pbo->logits.size()
                      << " 通り)\n";
            // The logits as a coarse histogram.
            constexpr double kEdges[] = {-2, -1, -0.5, 0, 0.5, 1, 2};
            std::array<int, 8> counts{};
            for (double l : pbo->logits) {
                std::size_t bin = 0;
                while (bin < std::size(kEdges) && l > kEdges[bin])
                    ++bin;
                ++counts[bin];
            }
            const char* labels[] = {"≤-2",    "-2〜-1", "-1〜-0.5", "-0.5〜0",
                                    "0〜0.5", "0.5〜1", "1〜2",     ">2"};
            for (std::size_t b = 0; b < counts.size(); ++b)
                std::cout << "ロジット " << labels[b] << '\t' << counts[b] << '\n';
        }
        if (dsr)
            std::cout << "\nDSR\t" << fixed(dsr->probability, 4) << "\nSR(日次)\t"
                      << fixed(dsr->sharpe, 4) << "\nSR0(日次)\t" << fixed(dsr->expectedMaximum, 4)
                      << "\n歪度\t" << fixed(dsr->skewness, 3) << "\n尖度\t"
                      << fixed(dsr->kurtosis, 3) << '\n';
        if (mc) {
            std::cout << "\nモンテカルロ\t" << mc->runs << " 回\n"
                      << "\t5%\t50%\t95%\n"
                      << "最大DD\t" << mc->drawdown[0] << '\t' << mc->drawdown[1] << '\t'
                      << mc->drawdown[2] << '\n'
                      << "最終資産\t" << mc->finalEquity[0] << '\t' << mc->finalEquity[1] << '\t'
                      << mc->finalEquity[2] << '\n';
        }
    } else {
        const OutputFormat as = format == "csv" ? OutputFormat::Csv : OutputFormat::Json;
        const std::string points = formatTable(
            pointTable(job, *data, metrics, order, static_cast<int>(minTrades), false), as);
        Table summary{{{"measure", true}, {"value"}}, {}};
        if (wf) {
            summary.rows.push_back({"walkForwardNet", std::to_string(wf->outOfSample.net)});
            summary.rows.push_back({"walkForwardTrades", std::to_string(wf->outOfSample.trades)});
            summary.rows.push_back({"walkForwardEfficiency", fixed(wf->efficiency, 6)});
        }
        if (pbo) summary.rows.push_back({"pbo", fixed(pbo->probability, 6)});
        if (dsr) {
            summary.rows.push_back({"deflatedSharpe", fixed(dsr->probability, 6)});
            summary.rows.push_back({"expectedMaximumSharpe", fixed(dsr->expectedMaximum, 6)});
        }
        if (mc)
            for (std::size_t k = 0; k < 3; ++k) {
                const char* at[] = {"5", "50", "95"};
                summary.rows.push_back(
                    {std::string("monteCarloDrawdown") + at[k], std::to_string(mc->drawdown[k])});
                summary.rows.push_back({std::string("monteCarloFinalEquity") + at[k],
                                        std::to_string(mc->finalEquity[k])});
            }
        if (as == OutputFormat::Csv) {
            std::cout << points;
            if (wf) std::cout << '\n' << formatTable(windowTable(job, *data, *wf, false), as);
            if (!summary.rows.empty()) std::cout << '\n' << formatTable(summary, as);
        } else {
            std::cout << "{\"points\":" << points;
            if (wf)
                std::cout << ",\"walkForward\":"
                          << formatTable(windowTable(job, *data, *wf, false), as);
            std::cout << ",\"summary\":" << formatTable(summary, as) << "}\n";
        }
    }
    std::cout << std::flush;
    std::cerr << summaryText(data->counts) << '\n';
    return kExitOk;
}

}  // namespace tav::cli
