#include "watchlist_commands.h"

#include <iostream>

#include "watchlists/entry_lists.h"

namespace tav::cli {

namespace {

constexpr const char* kWatchlistsUsage =
    "usage: watchlists list | add TITLE | rename N TITLE | delete N | move N up|down";
constexpr const char* kWatchlistUsage =
    "usage: watchlist N show | add CODE... | remove CODE | move CODE up|down | copy-to M [CODE] | "
    "move-to M [CODE] | clear | import FILE | paste";
constexpr const char* kHistoryUsage = "usage: history show | clear | length N";

std::optional<int> parseNumber(const std::string& text) {
    if (text.empty() || text.size() > 4 ||
        text.find_first_not_of("0123456789") != std::string::npos)
        return std::nullopt;
    return std::stoi(text);
}

// The stored options decide the history length and the sort order, as in the
// desktop.
Workspace& prepared(CommandContext& context) {
    Workspace& workspace = context.workspace;
    workspace.loadSettings(std::nullopt);
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
        std::cerr << "tavrento-cli: " << codeText(*code) << " is not in " << lists.displayedFileName()
                  << '\n';
        return kExitFailed;
    }
    return kExitOk;
}

}  // namespace

int runWatchlists(CommandContext& context) {
    const auto& words = context.line.words;
    if (words.size() < 2) return usageError(kWatchlistsUsage);
    Watchlists& lists = prepared(context).watchlists();
    const std::string& action = words[1];
    if (action == "list" && words.size() == 2) {
        const auto& titles = lists.titles();
        for (std::size_t i = 0; i < titles.size(); ++i)
            std::cout << i + 1 << ' ' << titles[i] << '\n';
        return kExitOk;
    }
    if (action == "add" && words.size() == 3) {
        context.prompter.presetInput = words[2];
        return exitCode(lists.addWatchlist());
    }
    if (action == "rename" && words.size() == 4) {
        if (!showWatchlist(lists, words[2])) return kExitUsage;
        context.prompter.presetInput = words[3];
        return exitCode(lists.renameWatchlist());
    }
    if (action == "delete" && words.size() == 3) {
        if (!showWatchlist(lists, words[2])) return kExitUsage;
        return exitCode(lists.deleteWatchlist());
    }
    if (action == "move" && words.size() == 4 && (words[3] == "up" || words[3] == "down")) {
        if (!showWatchlist(lists, words[2])) return kExitUsage;
        return exitCode(words[3] == "up" ? lists.moveWatchlistUp() : lists.moveWatchlistDown());
    }
    return usageError(kWatchlistsUsage);
}

int runWatchlist(CommandContext& context) {
    const auto& words = context.line.words;
    if (words.size() < 3) return usageError(kWatchlistUsage);
    Watchlists& lists = prepared(context).watchlists();
    if (!showWatchlist(lists, words[1])) return kExitUsage;
    const std::string& action = words[2];
    const std::size_t count = words.size();

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
        return exitCode(words[4] == "up" ? lists.moveEntryUp(false) : lists.moveEntryDown(false));
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
