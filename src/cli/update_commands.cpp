#include "update_commands.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <iostream>
#include <iterator>

#include "api_commands.h"
#include "core/file_io.h"
#include "interrupt.h"
#include "updates/archive_update.h"
#include "watchlists/entry_lists.h"
#include "workspace/archive.h"
#include "workspace/csv_import.h"
#include "workspace/market_api.h"
#include "workspace/quotes.h"
#include "workspace/updates.h"

namespace tav::cli {

namespace {

std::string barLine(const DailyBar& bar) {
    char line[160];
    std::snprintf(line, sizeof line, "%s,%d,%d,%d,%d,%lld%s", bar.date, bar.open, bar.high, bar.low,
                  bar.close, static_cast<long long>(bar.volume),
                  bar.provisional ? " (provisional)" : "");
    return line;
}

void printSummary(const Workspace& workspace) {
    const BarSeries& series = workspace.series();
    std::cout << codeText(series.code) << ' ' << series.name << '\n';
    if (series.empty()) {
        std::cout << "bars: 0\n";
        return;
    }
    std::cout << "bars: " << series.count() << " (" << series.bars.front().dateText() << " - "
              << series.bars.back().dateText() << ")\n"
              << "last: " << barLine(series.bars.back()) << '\n';
}

// "--from" answers the start-date question.
void presetStartDate(CommandContext& context) {
    if (auto from = context.line.option("from")) context.prompter.presetInput = *from;
}

// "--mode 0|1|2|3", or "--source api" (mode 3) and "--source archive"
// (the stored archive mode, the public server when it was the API).
std::optional<SourceMode> modeOption(CommandContext& context, bool& bad) {
    bad = false;
    auto text = context.line.option("mode");
    auto source = context.line.option("source");
    if (text && source) {
        bad = true;
        return std::nullopt;
    }
    if (source) {
        if (*source == "api") return SourceMode::Api;
        if (*source != "archive") bad = true;
        int stored = context.workspace.options().updateOption;
        return stored == static_cast<int>(SourceMode::Api) || stored >= kSourceModeCount
                   ? SourceMode::Net
                   : static_cast<SourceMode>(stored);
    }
    if (!text) return std::nullopt;
    if (text->size() == 1 && (*text)[0] >= '0' && (*text)[0] < '0' + kSourceModeCount)
        return static_cast<SourceMode>((*text)[0] - '0');
    bad = true;
    return std::nullopt;
}

// The code argument, or the start code of the stored options.
std::optional<StockCode> codeOrStartCode(CommandContext& context, std::size_t index) {
    const auto& words = context.line.words;
    if (words.size() > index) return parseCodeArgument(words[index]);
    return context.workspace.options().stockCode;
}

}  // namespace

bool createStoreOnFirstStart(CommandContext& context) {
    presetStartDate(context);
    Workspace& workspace = context.workspace;
    auto proposal = proposeArchiveUpdate(workspace);
    ArchiveRunResult result;
    if (proposal) {
        result = runArchiveUpdate(workspace, *proposal);
        std::cout << "days added: " << result.imported << ", skipped: " << result.skipped;
        if (result.rejected.total > 0) std::cout << ", rejected lines: " << result.rejected.total;
        std::cout << '\n';
    }
    std::string last = lastStoredDate(workspace.folder());
    if (last.empty())
        std::cout << "no daily series of code 1010 yet: the store is empty\n";
    else
        std::cout << "store created: code 1010 up to " << last << '\n';
    if (result.stopped) std::cerr << "tavrento-cli: the import stopped before its last day\n";
    return !result.stopped;
}

int runShow(CommandContext& context) {
    const auto& words = context.line.words;
    if (words.size() != 2) return usageError("usage: show CODE [--period daily|weekly|monthly]");
    auto code = parseCodeArgument(words[1]);
    if (!code) return usageError("not a security code: " + words[1]);
    Workspace& workspace = context.workspace;
    const bool shown = static_cast<bool>(selectSecurity(workspace, *code));
    if (shown) printSummary(workspace);
    // As when the program closes: the series goes back to its file.
    workspace.saveIfChanged();
    return exitCode(shown);
}

int runUpdate(CommandContext& context) {
    if (context.line.words.size() != 1)
        return usageError(
            "usage: update [--from YYYYMMDD] [--mode 0|1|2|3 | --source archive|api]");
    bool badMode = false;
    auto mode = modeOption(context, badMode);
    if (badMode)
        return usageError(
            "--mode must be 0 (disk), 1 (net), 2 (member server) or 3 (data API); "
            "--source archive or api, not both");
    if (!applyApiPlanOption(context)) return kExitUsage;
    Workspace& workspace = context.workspace;
    workspace.initProgramFolder();
    if (workspace.periodMode != PeriodMode::Daily) return exitCode(updateCommand(workspace, false));

    if (context.line.option("from") && !lastStoredDate(workspace.folder()).empty())
        std::cerr << "tavrento-cli: the store holds days already; --from only answers the start "
                     "date of an empty store\n";
    presetStartDate(context);
    if (mode) workspace.options().updateOption = static_cast<uint8_t>(*mode);
    auto proposal = proposeArchiveUpdate(workspace);
    if (!proposal) return kExitFailed;
    ArchiveRunResult result;
    {
        InterruptGuard guard;
        workspace.stopRequested = InterruptGuard::asker();
        result = runArchiveUpdate(workspace, *proposal);
        workspace.stopRequested = nullptr;
    }
    std::cout << "days added: " << result.imported << ", skipped: " << result.skipped;
    if (result.rejected.total > 0) std::cout << ", rejected lines: " << result.rejected.total;
    std::string last = lastStoredDate(workspace.folder(), proposal->mode);
    if (!last.empty()) std::cout << ", store up to " << last;
    std::cout << '\n';
    // The source mode of the run is kept, as the dialog's run button does.
    workspace.saveSettings();
    if (result.cancelled) {
        std::cerr << "tavrento-cli: update stopped on request; the days added before it are kept\n";
        return kExitInterrupted;
    }
    return exitCode(!result.stopped);
}

int runRefetch(CommandContext& context) {
    const auto& words = context.line.words;
    if (words.size() != 2)
        return usageError(
            "usage: refetch CODE [--period daily|weekly|monthly] [--split-adjusted] [--source "
            "api]");
    auto code = parseCodeArgument(words[1]);
    if (!code) return usageError("not a security code: " + words[1]);
    Workspace& workspace = context.workspace;
    if (auto source = context.line.option("source")) {
        if (*source != "api" || workspace.periodMode != PeriodMode::Daily)
            return usageError("--source api re-fetches the daily series from the data API");
        if (!applyApiPlanOption(context)) return kExitUsage;
        bool fetched = refetchFromApi(workspace, *code) && workspace.loadStoredSeries(*code);
        if (fetched) printSummary(workspace);
        return exitCode(fetched);
    }
    workspace.loadStoredSeries(*code);
    bool fetched = context.line.flag("split-adjusted")
                       ? workspace.requireWritableStore() && splitAdjustedRefetch(workspace)
                       : updateCommand(workspace, true);
    if (fetched) printSummary(workspace);
    return exitCode(fetched);
}

int runImport(CommandContext& context) {
    const auto& words = context.line.words;
    const std::string usage = "usage: import CODE FILE [--format auto|yahoo|stooq|plain]";
    if (words.size() != 3) return usageError(usage);
    auto code = parseCodeArgument(words[1]);
    if (!code) return usageError("not a security code: " + words[1]);
    CsvLayout layout = CsvLayout::Auto;
    if (auto format = context.line.option("format")) {
        static const std::pair<const char*, CsvLayout> kLayouts[] = {{"auto", CsvLayout::Auto},
                                                                     {"yahoo", CsvLayout::Yahoo},
                                                                     {"stooq", CsvLayout::Stooq},
                                                                     {"plain", CsvLayout::Plain}};
        auto found = std::find_if(std::begin(kLayouts), std::end(kLayouts),
                                  [&](const auto& entry) { return *format == entry.first; });
        if (found == std::end(kLayouts)) return usageError(usage);
        layout = found->second;
    }
    std::error_code error;
    auto size = std::filesystem::file_size(words[2], error);
    if (error || size > kMaxCsvBytes) {
        std::cerr << "tavrento-cli: cannot read " << words[2] << (error ? "" : " (too large)")
                  << '\n';
        return kExitFailed;
    }
    auto bytes = fileio::readFile(words[2]);
    if (!bytes) {
        std::cerr << "tavrento-cli: cannot read " << words[2] << '\n';
        return kExitFailed;
    }
    Workspace& workspace = context.workspace;
    workspace.loadStoredSeries(*code);
    if (!importCsvBars(workspace, *code, *bytes, layout)) return kExitFailed;
    workspace.loadStoredSeries(*code);
    printSummary(workspace);
    return kExitOk;
}

int runUpdateList(CommandContext& context) {
    const auto& words = context.line.words;
    if (words.size() != 2)
        return usageError("usage: update-list N|MARKET [--download]   (N a watchlist number)");
    Workspace& workspace = context.workspace;
    std::optional<int> position;
    int watchlist = 0;
    if (auto number = parseCodeArgument(words[1])) {
        if (*number > workspace.watchlists().watchlistCount())
            return usageError("no watchlist " + words[1]);
        watchlist = *number;
        position = watchlistPosition(watchlist);
    }
    for (int i = 0; i < kMarketCount && !position; ++i)
        if (words[1] == kMarketNames[i]) position = i;
    if (!position) return usageError("no watchlist or market " + words[1]);

    // The security on display comes back after the run.
    workspace.loadStoredSeries(workspace.options().stockCode);
    if (context.line.flag("download")) {
        if (watchlist == 0) return usageError("--download takes a watchlist");
        return exitCode(batchDownload(workspace, watchlist));
    }
    return exitCode(batchUpdateList(workspace, *position));
}

int runRealtime(CommandContext& context) {
    if (context.line.words.size() > 2) return usageError("usage: realtime [CODE]");
    auto code = codeOrStartCode(context, 1);
    if (!code) return usageError("not a security code: " + context.line.words[1]);
    Workspace& workspace = context.workspace;
    if (!workspace.loadStoredSeries(*code)) {
        std::cerr << "tavrento-cli: no stored series of " << codeText(*code) << '\n';
        return kExitFailed;
    }
    IntradayQuote given;
    if (auto quote = fetchQuote(workspace, *code, true))
        given = {quote->open, quote->high, quote->low, quote->price, quote->volume};
    bool added = addIntradayBar(workspace, given, true);
    if (added)
        printSummary(workspace);
    else
        std::cerr << "tavrento-cli: no quote for today\n";
    return exitCode(added);
}

}  // namespace tav::cli
