#include "screening_commands.h"

#include <unistd.h>

#include <cstdio>
#include <iostream>

#include "core/file_io.h"
#include "json_output.h"
#include "watchlists/watchlist_files.h"
#include "workspace/screening.h"

namespace tav::cli {

namespace {

constexpr const char* kScreenUsage =
    "usage: screen [--item N] [--value V] [--strategy N] [--capsule N] [--market M] [--unit U] "
    "[--margin G] [--liquidity L --multiple X] [--trading-value MIN MAX] [--input W] "
    "[--output W] [--threads N] [--format csv|json]";
constexpr const char* kRankUsage =
    "usage: rank --strategy N [--market M] [--unit U] [--margin G] [--liquidity L --multiple X] "
    "[--input W] [--by profit|winrate] [--top N] [--report FILE] [--output W] [--threads N] "
    "[--format csv|json]";

// A list choice given as its index or as its label.
template <std::size_t N>
std::optional<int> choiceOption(const CommandLine& line, const char* name,
                                const std::array<std::string_view, N>& labels, int& target) {
    const auto word = line.option(name);
    if (!word) return target;
    for (std::size_t i = 0; i < N; ++i)
        if (*word == labels[i]) return target = static_cast<int>(i);
    const auto number = parseInt(*word);
    if (!number || *number < 0 || *number >= static_cast<int>(N)) {
        usageError(std::string("--") + name + " takes 0 to " + std::to_string(N - 1) +
                   " or a label of its list");
        return std::nullopt;
    }
    return target = *number;
}

// An integer option within [low, high], stored in target when given.
bool intOption(const CommandLine& line, const char* name, int64_t low, int64_t high, auto& target) {
    const auto word = line.option(name);
    if (!word) return true;
    const auto number = parseInt(*word);
    if (!number || *number < low || *number > high) {
        usageError(std::string("--") + name + " takes a number from " + std::to_string(low) +
                   " to " + std::to_string(high));
        return false;
    }
    target = *number;
    return true;
}

bool filterOptions(const CommandLine& line, SecurityFilters& filters) {
    return choiceOption(line, "market", kMarketLabels, filters.market) &&
           choiceOption(line, "unit", kUnitLabels, filters.unit) &&
           choiceOption(line, "margin", kMarginLabels, filters.marginType) &&
           choiceOption(line, "liquidity", kLiquidityLabels, filters.liquidity) &&
           intOption(line, "multiple", 0, INT32_MAX, filters.liquidityMultiple);
}

// Progress on a terminal only, so pipes and logs get the result alone.
void terminalProgress(RunControl& control) {
    if (::isatty(STDERR_FILENO)) {
        control.progress = [](int done, int total) {
            std::cerr << "\r  " << done << " / " << total << std::flush;
        };
    }
}

bool watchlistExists(Workspace& workspace, int number) {
    const auto titles = readTitles(workspace.folder());
    if (number >= 1 && number <= static_cast<int>(titles.size())) return true;
    usageError("no watchlist " + std::to_string(number) + " (there are " +
               std::to_string(titles.size()) + ")");
    return false;
}

void endProgress(const RunControl& control) {
    if (control.progress) std::cerr << '\n';
}

}  // namespace

int runScreen(CommandContext& context) {
    const CommandLine& line = context.line;
    if (line.words.size() != 1) return usageError(kScreenUsage);
    const auto format =
        line.option("format") ? outputFormat(line) : std::optional(OutputFormat::Csv);
    if (!format) return kExitUsage;
    Workspace& workspace = context.workspace;
    // Only what the command line names is chosen; the output watchlist
    // defaults to the one of the last run.
    ScreeningSettings settings;
    int strategy = 1;
    int capsule = 1;
    int output = ScreeningSettings::from(workspace.options()).outputWatchlist();
    int threads = 0;
    if (!intOption(line, "item", 0, kSearchItemCount - 1, settings.searchItem) ||
        !intOption(line, "value", INT32_MIN, INT32_MAX, settings.value) ||
        !intOption(line, "strategy", 1, 256, strategy) ||
        !intOption(line, "capsule", 1, 256, capsule) || !filterOptions(line, settings.filters) ||
        !intOption(line, "input", 0, kMaxWatchlists, settings.input) ||
        !intOption(line, "output", 1, kMaxWatchlists, output) ||
        !intOption(line, "threads", 0, 256, threads))
        return kExitUsage;
    if (const auto range = line.option("trading-value")) {
        int64_t low = 0;
        int64_t high = 0;
        char rest = 0;
        if (std::sscanf(range->c_str(), "%ld %ld %c", &low, &high, &rest) != 2 || low < INT32_MIN ||
            low > INT32_MAX || high < INT32_MIN || high > INT32_MAX)
            return usageError("--trading-value takes two numbers: MIN MAX");
        settings.tradingValueMin = static_cast<int32_t>(low);
        settings.tradingValueMax = static_cast<int32_t>(high);
    }
    // A strategy or capsule named on its own chooses its search.
    if (!line.option("item")) {
        if (line.option("strategy")) settings.searchItem = kSearchStrategy;
        if (line.option("capsule")) settings.searchItem = kSearchCapsule;
    }
    settings.strategy = strategy - 1;
    settings.capsule = capsule - 1;
    settings.output = output - 1;
    if (!watchlistExists(workspace, output) ||
        (settings.input != 0 && !watchlistExists(workspace, settings.input)))
        return kExitUsage;
    if (!workspace.requireWritableStore()) return kExitFailed;

    auto job = prepareScreening(workspace, settings, threads);
    if (!job) return kExitFailed;
    RunControl control;
    terminalProgress(control);
    const auto outcome = runScreening(*job, control);
    endProgress(control);
    if (!finishScreening(workspace, *job, outcome)) return kExitFailed;
    workspace.saveSettings();

    if (!line.option("format")) {
        for (const std::string& selected : outcome->selected)
            std::cout << selected << '\n';
    } else {
        Table table{{{"code", true}, {"name", true}}, {}};
        for (const std::string& selected : outcome->selected) {
            const std::size_t blank = selected.find(' ');
            table.rows.push_back({selected.substr(0, blank),
                                  blank == std::string::npos ? "" : selected.substr(blank + 1)});
        }
        std::cout << formatTable(table, *format);
    }
    std::cout << std::flush;
    std::cerr << summaryText(outcome->counts) << '\n';
    return kExitOk;
}

int runRank(CommandContext& context) {
    const CommandLine& line = context.line;
    if (line.words.size() != 1 || !line.option("strategy")) return usageError(kRankUsage);
    const auto format =
        line.option("format") ? outputFormat(line) : std::optional(OutputFormat::Csv);
    if (!format) return kExitUsage;
    Workspace& workspace = context.workspace;
    MultiRunSettings settings;
    int strategy = 1;
    int output = 0;
    int threads = 0;
    if (!intOption(line, "strategy", 1, 256, strategy) || !filterOptions(line, settings.filters) ||
        !intOption(line, "input", 0, kMaxWatchlists, settings.input) ||
        !intOption(line, "top", 1, kMaxRankingLength, settings.rankingLength) ||
        !intOption(line, "output", 0, kMaxWatchlists, output) ||
        !intOption(line, "threads", 0, 256, threads))
        return kExitUsage;
    if (const auto by = line.option("by")) {
        if (*by != "profit" && *by != "winrate")
            return usageError("--by must be profit or winrate");
        settings.rankingKind = *by == "profit" ? kRankByProfit : kRankByWinRate;
    }
    settings.strategy = strategy - 1;
    if ((output != 0 && !watchlistExists(workspace, output)) ||
        (settings.input != 0 && !watchlistExists(workspace, settings.input)))
        return kExitUsage;
    if (output != 0 && !workspace.requireWritableStore()) return kExitFailed;
    if (output != 0 && output == multiRunInputWatchlist(workspace, settings)) {
        context.prompter.message(kSameInputOutputMessage, MessageIcon::Warning);
        return kExitFailed;
    }
    std::string reportFolder;
    std::string reportName;
    if (const auto report = line.option("report")) {
        const std::size_t slash = report->rfind('/');
        reportFolder = slash == std::string::npos ? "." : report->substr(0, slash);
        if (reportFolder.empty()) reportFolder = "/";
        reportName = slash == std::string::npos ? *report : report->substr(slash + 1);
        if (reportName.empty()) return usageError("--report needs a file name: " + *report);
    }

    auto job = prepareMultiRun(workspace, settings, threads);
    if (!job) return kExitFailed;
    RunControl control;
    terminalProgress(control);
    const auto outcome = runMultiSimulation(*job, control);
    endProgress(control);
    if (!outcome) return kExitFailed;
    const int64_t capital = job->simulation.capital;

    // The report first: when it cannot be written the watchlist keeps its entries.
    if (!reportName.empty() && !writeReport(reportFolder, reportName, job->strategyName, capital,
                                            outcome->rows, context.prompter))
        return kExitFailed;
    if (output != 0 && !storeRanking(workspace, output, outcome->rows)) return kExitFailed;
    if (workspace.storeWritable()) workspace.saveSettings();

    if (!line.option("format")) {
        // The result list: its headers and cell texts, one tab between cells.
        std::cout << resultListText(outcome->rows, capital);
    } else {
        Table table;
        for (const char* name :
             {"rank", "code", "name", "market", "unit", "markedProfit", "trades", "wins", "winRate",
              "grossProfit", "grossLoss", "averageWin", "averageLoss", "averageProfit", "maxProfit",
              "maxLoss", "profitFactor"}) {
            const std::string_view column = name;
            table.columns.push_back(
                {name, column == "code" || column == "name" || column == "market"});
        }
        for (const ResultRow& r : outcome->rows) {
            char factor[32];
            std::snprintf(factor, sizeof factor, "%.2f", static_cast<double>(r.profitFactor));
            table.rows.push_back({std::to_string(r.rank), codeText(r.code), r.name, r.market,
                                  r.unit, std::to_string(r.markedProfit), std::to_string(r.trades),
                                  std::to_string(r.wins), std::to_string(winRate(r)),
                                  std::to_string(r.grossProfit), std::to_string(r.grossLoss),
                                  std::to_string(r.averageWin), std::to_string(r.averageLoss),
                                  std::to_string(r.averageProfit), std::to_string(r.maxProfit),
                                  std::to_string(r.maxLoss), factor});
        }
        std::cout << formatTable(table, *format);
    }
    std::cout << std::flush;
    std::cerr << summaryText(outcome->counts, true) << '\n';
    return kExitOk;
}

}  // namespace tav::cli
