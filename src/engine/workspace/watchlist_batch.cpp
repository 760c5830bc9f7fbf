#include "workspace/watchlist_batch.h"

#include <unordered_map>

#include "core/file_io.h"
#include "simulation/strategy_file.h"
#include "watchlists/entry_lists.h"
#include "watchlists/watchlist_files.h"

namespace tav {

std::optional<WatchlistRun> prepareWatchlistRun(Workspace& workspace, int number,
                                                const ProvisionalQuotes& provisional) {
    Watchlists& lists = workspace.watchlists();
    if (number < 1 || number > lists.watchlistCount()) return std::nullopt;
    WatchlistRun run;
    run.source.folder = workspace.folder();
    run.source.period = workspace.periodMode;
    run.source.parameters = workspace.analysisParameters;
    run.source.switches = workspace.displaySwitches;
    run.source.provisional = provisional;
    run.source.today = formatDate(workspace.platform().clock.today());

    std::vector<BatchEntry> entries =
        readBatchEntries(workspace.folder().path(watchlistFileName(number)));
    // The master list is read once, whatever the length of the watchlist.
    const auto masterBytes = fileio::readFile(workspace.folder().path(StockMaster::kFileName));
    std::unordered_map<StockCode, std::string_view> lines;
    if (masterBytes) {
        fileio::forEachLine(*masterBytes, [&](std::string_view line) {
            lines.try_emplace(parseMasterLine(line).code, line);
        });
    }
    for (BatchEntry& entry : entries) {
        RunEntry runEntry{entry.code, std::move(entry.line), {}};
        auto found = lines.find(entry.code);
        StockMaster::lookupIn(found != lines.end() ? found->second : std::string_view(),
                              entry.code, runEntry.security);
        run.entries.push_back(std::move(runEntry));
    }
    return run;
}

std::optional<StrategyMarkRun> prepareStrategyMarks(Workspace& workspace, int number,
                                                    std::optional<int> strategy,
                                                    const ProvisionalQuotes& provisional) {
    auto run = prepareWatchlistRun(workspace, number, provisional);
    if (!run) return std::nullopt;
    int chosen = strategy.value_or(0);
    if (!strategy) {
        if (const int own = workspace.watchlists().watchlistStrategy(number); own != 0) {
            workspace.options().selectedStrategy = static_cast<uint8_t>(own);
            chosen = own;
        } else {
            chosen = workspace.selectedStrategy();
        }
    }
    std::optional<StrategyReading> reading;
    if (chosen > 0) reading = loadStrategy(workspace.folder().root(), chosen);
    if (!reading) {
        workspace.prompter().message(kNoStrategyMessage, MessageIcon::Warning);
        return std::nullopt;
    }
    StrategyMarkRun marks{std::move(*run), {}, chosen};
    marks.rules.strategy = std::move(reading->strategy);
    marks.rules.settings = SimulationSettings::from(workspace.options());
    marks.rules.capsules = workspace.capsules();
    marks.rules.currentYear = workspace.platform().clock.today().year;
    return marks;
}

std::optional<LevelExportRun> prepareLevelExport(Workspace& workspace, int number,
                                                 std::optional<int> blockSize,
                                                 const ProvisionalQuotes& provisional) {
    if (number < 1 || number > workspace.watchlists().watchlistCount()) return std::nullopt;
    int size = 5;
    if (blockSize) {
        if (*blockSize != 5 && *blockSize != 6) return std::nullopt;
        size = *blockSize;
    } else {
        switch (workspace.prompter().askYesNoCancel(kLayerQuestion, QuestionKind::Ordinary)) {
            case Answer::Yes: size = 5; break;
            case Answer::No: size = 6; break;
            case Answer::Cancel: return std::nullopt;
        }
    }
    auto run = prepareWatchlistRun(workspace, number, provisional);
    if (!run) return std::nullopt;
    return LevelExportRun{std::move(*run), size};
}

std::optional<std::string> finishLevelExport(Workspace& workspace, const LevelExportRun& run,
                                             const std::vector<LevelColumn>& columns, bool open) {
    auto path = writeLayerBlocks(workspace.folder(), columns, run.blockSize);
    if (path && open) workspace.platform().shell.open(*path);
    return path;
}

void applyMarks(Workspace& workspace, int number, const std::vector<EntryMark>& marks) {
    Watchlists& lists = workspace.watchlists();
    if (lists.displayedWatchlist() != number) return;
    std::unordered_map<StockCode, uint8_t> byCode;
    for (const EntryMark& mark : marks)
        byCode.try_emplace(mark.code, mark.mark);
    const auto& entries = lists.entries();
    for (std::size_t i = 0; i < entries.size(); ++i) {
        auto found = byCode.find(lineCode(entries[i].text));
        lists.setMark(static_cast<int>(i), found != byCode.end() ? found->second : 0);
    }
}

}  // namespace tav
