#include "watchlist_commands.h"

#include <unistd.h>

#include <iostream>

#include "quotes/web_pages.h"
#include "simulation/strategy_file.h"
#include "watchlist_runs/link_menu.h"
#include "watchlist_runs/range_marks.h"
#include "watchlists/entry_lists.h"
#include "workspace/updates.h"
#include "workspace/watchlist_batch.h"

namespace tav::cli {

namespace {

constexpr const char* kWatchlistsUsage =
    "usage: watchlists list | add TITLE | rename N TITLE | delete N | move N up|down";
constexpr const char* kWatchlistUsage =
    "usage: watchlist N show | add CODE... | remove CODE | move CODE up|down | copy-to M [CODE] | "
    "move-to M [CODE] | clear | import FILE | paste | marks --range T | marks --strategy [K] | "
    "levels [--block 5|6] | update | download | strategy [K]";
constexpr const char* kHistoryUsage = "usage: history show | clear | length N";

std::optional<int> parseNumber(const std::string& text) {
    if (text.empty() || text.size() > 4 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(text);
}

// The stored options decide the history length and the sort order, as in the
// desktop. They are read already: reading them again would bring back the
// window's period in place of the one the command line gives.
Workspace& prepared(CommandContext& context) {
    Workspace& workspace = context.workspace;
    workspace.history().setLengthSetting(workspace.options().historyLength);
    workspace.watchlists().sorted = workspace.options().watchlistSorted != 0;
    return workspace;
}

// Shows watchlist N, or says why it cannot.
std::optional<int> showWatchlist(Watchlists& lists, const std::string& word) {
    auto number = parseNumber(word);
    if (!number || *number < 1 || *number > lists.watchlistCount()) {
        usageError("no watchlist " + word + " (there are " +
                   std::to_string(lists.watchlistCount()) + ")");
        return std::nullopt;
    }
    lists.select(watchlistPosition(*number));
    return number;
}

void printEntries(const Watchlists& lists) {
    for (const WatchlistEntry& entry : lists.entries())
        std::cout << entry.text << '\n';
}

int selectCodeOrFail(Watchlists& lists, const std::string& word) {
    auto code = parseCodeArgument(word);
    if (!code) return usageError("not a security code: " + word);
    if (!lists.selectCode(*code)) {
        std::cerr << "tavrento-cli: " << codeText(*code) << " is not in "
                  << lists.displayedFileName() << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

// A progress line on stderr, only when someone watches it.
void watchProgress(RunControl& control, const char* what) {
    if (isatty(STDERR_FILENO)) {
        control.progress = [what](int done, int total) {
            std::cerr << '\r' << what << ' ' << done << '/' << total << std::flush;
            if (done == total) std::cerr << '\n';
        };
    }
}

void printMarks(const std::vector<EntryMark>& marks) {
    for (const EntryMark& mark : marks)
        std::cout << mark.line << ' ' << static_cast<int>(mark.mark) << '\n';
}

int runMarks(CommandContext& context, int number) {
    Workspace& workspace = context.workspace;
    const auto range = context.line.option("range");
    const auto strategy = context.line.option("strategy");
    if (range.has_value() == strategy.has_value())
        return usageError("usage: watchlist N marks --range T | --strategy [K]");
    RunControl control;
    watchProgress(control, "marks");
    if (range) {
        auto type = parseInt(*range);
        if (!type || *type < 0 || *type >= kRangeTypeCount)
            return usageError("--range takes a range type 0-9");
        auto run = prepareWatchlistRun(workspace, number);
        if (!run) return kExitFailed;
        auto marks = runRangeMarks(*run, *type, control);
        if (!marks) return kExitFailed;
        printMarks(*marks);
        return kExitOk;
    }
    std::optional<int> chosen;
    if (!strategy->empty()) {
        chosen = parseInt(*strategy);
        if (!chosen || *chosen < 1) return usageError("--strategy takes a strategy number");
    }
    auto prepared = prepareStrategyMarks(workspace, number, chosen);
    if (!prepared) return kExitFailed;
    auto marks = runStrategyMarks(prepared->run, prepared->rules, control);
    if (!marks) return kExitFailed;
    printMarks(*marks);
    return kExitOk;
}

int runLevels(CommandContext& context, int number) {
    Workspace& workspace = context.workspace;
    std::optional<int> block;
    if (auto given = context.line.option("block")) {
        block = parseInt(*given);
        if (!block || (*block != 5 && *block != 6)) return usageError("--block takes 5 or 6");
    }
    auto prepared = prepareLevelExport(workspace, number, block);
    if (!prepared) return kExitFailed;
    RunControl control;
    watchProgress(control, "levels");
    auto columns = runLevelColumns(prepared->run, control);
    if (!columns) return kExitFailed;
    auto path = finishLevelExport(workspace, *prepared, *columns, false);
    if (!path) {
        std::cerr << "tavrento-cli: cannot write " << kLayerFileName << '\n';
        return kExitFailed;
    }
    std::cout << *path << '\n';
    return kExitOk;
}

int runBatch(CommandContext& context, int number, bool download) {
    Workspace& workspace = context.workspace;
    // The security on display comes back after the run.
    workspace.loadStoredSeries(workspace.options().stockCode);
    RunControl control;
    watchProgress(control, download ? "download" : "update");
    const BatchSummary summary =
        download ? batchDownload(workspace, number, control)
                 : batchUpdateList(workspace, watchlistPosition(number), control);
    if (!summary.ran) return kExitFailed;
    std::cout << "done " << summary.done << ", skipped " << summary.skipped << ", failed "
              << summary.failed << '\n';
    if (summary.failed > 0)
        std::cout << "first failure: " << summary.firstFailedCode << ' ' << summary.firstFailure
                  << '\n';
    return exitCode(summary.failed == 0);
}

int runListStrategy(CommandContext& context, int number, const std::vector<std::string>& words) {
    Watchlists& lists = context.workspace.watchlists();
    if (words.size() == 3) {
        std::cout << lists.watchlistStrategy(number) << '\n';
        return kExitOk;
    }
    const auto strategies = readStrategyNames(context.workspace.folder().root()).size();
    auto strategy = parseInt(words[3]);
    if (!strategy || *strategy < 0 || static_cast<std::size_t>(*strategy) > strategies)
        return usageError("no strategy " + words[3] + " (0: none, or 1 to " +
                          std::to_string(strategies) + ")");
    return exitCode(lists.setWatchlistStrategy(number, *strategy));
}

}  // namespace

int runWatchlists(CommandContext& context) {
    const auto& words = context.line.words;
    if (words.size() < 2) return usageError(kWatchlistsUsage);
    Watchlists& lists = prepared(context).watchlists();
    const std::string& action = words[1];
    const int told = context.prompter.toldCount();
    if (action == "list" && words.size() == 2) {
        const auto& titles = lists.titles();
        for (std::size_t i = 0; i < titles.size(); ++i)
            std::cout << i + 1 << ' ' << titles[i] << '\n';
        return kExitOk;
    }
    if (action == "add" && words.size() == 3) {
        context.prompter.presetInput = words[2];
        return editExitCode(context, lists.addWatchlist(), told);
    }
    if (action == "rename" && words.size() == 4) {
        if (!showWatchlist(lists, words[2])) return kExitUsage;
        context.prompter.presetInput = words[3];
        return editExitCode(context, lists.renameWatchlist(), told);
    }
    if (action == "delete" && words.size() == 3) {
        if (!showWatchlist(lists, words[2])) return kExitUsage;
        return editExitCode(context, lists.deleteWatchlist(), told);
    }
    if (action == "move" && words.size() == 4 && (words[3] == "up" || words[3] == "down")) {
        const auto number = showWatchlist(lists, words[2]);
        if (!number) return kExitUsage;
        const bool up = words[3] == "up";
        if (*number == (up ? 1 : lists.watchlistCount())) {
            std::cerr << "tavrento-cli: watchlist " << *number << " is already the "
                      << (up ? "first" : "last") << '\n';
            return kExitFailed;
        }
        const bool moved = up ? lists.moveWatchlistUp() : lists.moveWatchlistDown();
        return editExitCode(context, moved, told);
    }
    return usageError(kWatchlistsUsage);
}

int runWatchlist(CommandContext& context) {
    const auto& words = context.line.words;
    if (words.size() < 3) return usageError(kWatchlistUsage);
    Watchlists& lists = prepared(context).watchlists();
    const auto number = showWatchlist(lists, words[1]);
    if (!number) return kExitUsage;
    const std::string& action = words[2];
    const std::size_t count = words.size();
    const std::string where = "watchlist N " + action;

    if (action == "marks" && count == 3) {
        if (!onlyOptions(context.line, {"period", "range", "strategy"}, where)) return kExitUsage;
        return runMarks(context, *number);
    }
    if (action == "levels" && count == 3) {
        if (!onlyOptions(context.line, {"period", "block"}, where)) return kExitUsage;
        return runLevels(context, *number);
    }
    if ((action == "update" || action == "download") && count == 3) {
        if (!onlyOptions(context.line, {"period"}, where)) return kExitUsage;
        return runBatch(context, *number, action == "download");
    }
    // The list's own forms read no options.
    if (!onlyOptions(context.line, {}, where)) return kExitUsage;
    if (action == "strategy" && (count == 3 || count == 4))
        return runListStrategy(context, *number, words);

    if (action == "show" && count == 3) {
        printEntries(lists);
        return kExitOk;
    }
    if (action == "add" && count >= 4) {
        std::vector<StockCode> codes;
        for (std::size_t i = 3; i < count; ++i) {
            auto code = parseCodeArgument(words[i]);
            if (!code) return usageError("not a security code: " + words[i]);
            codes.push_back(*code);
        }
        return exitCode(lists.addCodes(codes) == static_cast<int>(codes.size()));
    }
    if (action == "remove" && count == 4) {
        if (int status = selectCodeOrFail(lists, words[3]); status != kExitOk) return status;
        const std::size_t before = lists.entries().size();
        lists.removeEntry();
        // A refused rewrite leaves the entry listed.
        return exitCode(lists.entries().size() < before);
    }
    if (action == "move" && count == 5 && (words[4] == "up" || words[4] == "down")) {
        if (int status = selectCodeOrFail(lists, words[3]); status != kExitOk) return status;
        const bool up = words[4] == "up";
        const int last = static_cast<int>(lists.entries().size()) - 1;
        if (lists.selectedIndex() == (up ? 0 : last)) {
            std::cerr << "tavrento-cli: " << words[3] << " is already the "
                      << (up ? "first" : "last") << " entry of " << lists.displayedFileName()
                      << '\n';
            return kExitFailed;
        }
        return exitCode(up ? lists.moveEntryUp(false) : lists.moveEntryDown(false));
    }
    if ((action == "copy-to" || action == "move-to") && (count == 4 || count == 5)) {
        auto target = parseNumber(words[3]);
        if (!target || *target < 1 || *target > lists.watchlistCount())
            return usageError("no watchlist " + words[3]);
        const bool copy = action == "copy-to";
        if (count == 5) {
            if (int status = selectCodeOrFail(lists, words[4]); status != kExitOk) return status;
            return exitCode(copy ? lists.copyEntryTo(*target) : lists.moveEntryTo(*target));
        }
        return exitCode(copy ? lists.copyAllTo(*target) : lists.moveAllTo(*target));
    }
    if (action == "clear" && count == 3) return exitCode(lists.clearAll());
    if (action == "import" && count == 4) return exitCode(lists.importFile(words[3]));
    if (action == "paste" && count == 3)
        return exitCode(lists.pasteEntries(context.workspace.platform().clipboard));
    return usageError(kWatchlistUsage);
}

int runMarket(CommandContext& context) {
    const auto& words = context.line.words;
    if (words.size() != 2) return usageError("usage: market M   (1-12 or a market name)");
    std::optional<int> position;
    if (auto number = parseNumber(words[1]); number && *number >= 1 && *number <= kMarketCount)
        position = *number - 1;
    for (int i = 0; i < kMarketCount && !position; ++i)
        if (words[1] == kMarketNames[i]) position = i;
    if (!position) {
        std::string names;
        for (std::string_view name : kMarketNames)
            names += " " + std::string(name);
        return usageError("unknown market (1-12 or" + names + ")");
    }
    Watchlists& lists = prepared(context).watchlists();
    lists.select(*position);
    printEntries(lists);
    return kExitOk;
}

int runHistory(CommandContext& context) {
    const auto& words = context.line.words;
    if (words.size() < 2) return usageError(kHistoryUsage);
    Workspace& workspace = prepared(context);
    History& history = workspace.history();
    if (words[1] == "show" && words.size() == 2) {
        for (const std::string& line : history.historyLines())
            std::cout << line << '\n';
        return kExitOk;
    }
    if (words[1] == "clear" && words.size() == 2)
        return exitCode(history.clearHistory(context.prompter));
    if (words[1] == "length" && words.size() == 3) {
        auto length = parseNumber(words[2]);
        if (!length || *length < History::kMinLength || *length > History::kMaxLength)
            return usageError("the history length is 5 to 50");
        if (!history.setHistoryLength(*length)) return kExitFailed;
        // The length is a general setting: keep it for the next start.
        workspace.options().historyLength = static_cast<uint8_t>(*length);
        return exitCode(workspace.storeWritable() && workspace.settingsStore().writeOptions());
    }
    return usageError(kHistoryUsage);
}

}  // namespace tav::cli

namespace tav::cli {

int runLinks(CommandContext& context) {
    const auto& words = context.line.words;
    if (words.size() > 2) return usageError("usage: links [CODE]");
    Workspace& workspace = prepared(context);
    StockCode code = workspace.options().stockCode;
    if (words.size() == 2) {
        auto given = parseCodeArgument(words[1]);
        if (!given) return usageError("not a security code: " + words[1]);
        code = *given;
    }
    SecurityInfo security;
    workspace.master().lookupSecurity(code, security);
    auto menu = linkMenu(workspace.folder(), workspace.endpoints(), code, security.symbol);
    if (!menu) {
        workspace.prompter().message(std::string(kUrlListMissing), MessageIcon::Stop);
        return kExitFailed;
    }
    for (const LinkEntry& entry : *menu)
        std::cout << entry.title << '\t' << entry.address << '\n';
    const Endpoints endpoints = workspace.endpoints();
    std::cout << "企業情報\t" << companyWebPage(endpoints, code, security.symbol) << '\n';
    std::cout << "日中\t" << intradayWebPage(endpoints, code, security.symbol) << '\n';
    return kExitOk;
}

}  // namespace tav::cli
